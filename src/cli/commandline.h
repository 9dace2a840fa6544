#pragma once
// What every audrel-cli command shares: its options read with
// QCommandLineParser ("--opt value" and "--opt=value" alike), "--help" for
// the command's own usage text, and the exit statuses.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>

namespace audrel::cli {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

class CommandLine
{
public:
    explicit CommandLine(const QList<QCommandLineOption>& options);

    // Reads the arguments that follow the command's name; empty when they
    // are usable, else what is wrong with them.
    QString parse(const QStringList& arguments);

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList values(const QString& name) const { return m_parser.values(name); }
    QStringList positional() const { return m_parser.positionalArguments(); }

private:
    QCommandLineParser m_parser;
};

} // namespace audrel::cli
