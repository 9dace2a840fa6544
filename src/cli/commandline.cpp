#include "cli/commandline.h"

namespace audrel::cli {

CommandLine::CommandLine(const QList<QCommandLineOption>& options)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    m_parser.addOptions(options);
}

QString CommandLine::parse(const QStringList& arguments)
{
    // The parser takes the program's name first.
    if (m_parser.parse(QStringList{QStringLiteral("audrel-cli")} + arguments)) return {};
    return m_parser.errorText();
}

} // namespace audrel::cli
