#pragma once
// Profile files ("Options.ini", "Affiliate.ini", PLS playlists): sections of
// key=value lines. Sections and keys are matched without regard to case. Every
// write updates one key and replaces the file atomically, keeping every other
// line exactly as it was.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>

namespace audrel {

class IniFile
{
public:
    // Reads the file if it exists; a missing or unreadable file reads as empty,
    // and so does anything but a regular file of at most kMaxBytes.
    explicit IniFile(const QString& path);

    static constexpr int64_t kMaxBytes = 8 * 1024 * 1024;

    const QString& path() const { return m_path; }
    // The file exists and could be read.
    bool isLoaded() const { return m_loaded; }
    // Why a file that exists could not be read; empty otherwise.
    const QString& problem() const { return m_problem; }
    int lineCount() const { return int(m_lines.size()); }

    // The value with blanks around it and one pair of enclosing quotes removed,
    // at most MaxValueLength characters; the default when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal with an optional sign, or hexadecimal after "0x" or "$"; anything
    // missing, unparsable or outside 32 bits gives the default.
    int32_t readInteger(const QString& section, const QString& key, int32_t defaultValue) const;
    // Any integer other than 0 is true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Replaces the value of the key (whatever the case of its stored name) or
    // appends the key, and its section when need be, then replaces the file.
    // Throws EFileError "Unable to write to <path>" when the file cannot be written;
    // the file on disk is then left as it was.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int32_t value);
    void writeBool(const QString& section, const QString& key, bool value);

    static constexpr int MaxValueLength = 2047;

    // Parses an integer as profile files spell them; false when it is not one.
    static bool parseInteger(const QString& text, int32_t& value);

private:
    struct Line
    {
        QByteArray text;   // without its line end
        QByteArray ending; // "\r\n", "\n", "\r" or empty for a last line without one
    };

    // Index of the line that holds the key in the section, or -1. When the key is
    // missing, sectionEnd receives the index after the section's last non-blank line
    // (-1 when the section is missing too).
    int findKey(const QString& section, const QString& key, int* sectionEnd = nullptr) const;
    void reindex();
    void save() const;

    QString m_path;
    QList<Line> m_lines;
    QHash<QString, int> m_keys;        // folded "section\nkey" -> line
    QHash<QString, int> m_sectionEnds; // folded section -> index after its last non-blank line
    bool m_loaded = false;
    bool m_unreadable = false; // exists but could not be read: never overwrite it
    QString m_problem;
};

} // namespace audrel
