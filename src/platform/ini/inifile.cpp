#include "platform/ini/inifile.h"

#include "platform/errors.h"
#include "platform/smallfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace audrel {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// Section name of a "[name]" line, or a null string for any other line.
QString sectionName(const QString& trimmed)
{
    if (!trimmed.startsWith(QLatin1Char('['))) return {};
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0) return {};
    return trimmed.mid(1, close - 1).trimmed();
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path)
{
    // A pipe, a device or a huge file reads as empty, and is never replaced.
    const SmallFile file = ReadSmallFile(path, kMaxBytes);
    if (file.status == SmallFileStatus::Missing) return;
    if (file.status != SmallFileStatus::Ok) {
        m_unreadable = true;
        m_problem = file.problem;
        return;
    }
    const QByteArray& bytes = file.bytes;
    m_loaded = true;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        Line line{bytes.mid(start, end - start), {}};
        if (end < bytes.size()) {
            const qsizetype endLength =
                (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
            line.ending = bytes.mid(end, endLength);
            end += endLength;
        }
        m_lines.append(line);
        start = end;
    }
    reindex();
}

// Looks keys up by folded "section\nkey". Only the first section of a name and
// the first key of a name in it count.
void IniFile::reindex()
{
    m_keys.clear();
    m_sectionEnds.clear();
    QString current; // folded name of the section being read, null outside a first section
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString trimmed = QString::fromUtf8(m_lines[i].text).trimmed();
        const QString name = sectionName(trimmed);
        if (!name.isNull()) {
            const QString folded = name.toCaseFolded();
            current = m_sectionEnds.contains(folded) ? QString() : folded;
            if (!current.isNull()) m_sectionEnds.insert(current, i + 1);
            continue;
        }
        if (current.isNull() || trimmed.isEmpty()) continue;
        m_sectionEnds[current] = i + 1;
        if (isComment(trimmed)) continue;
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (eq > 0) {
            const QString id = current + QLatin1Char('\n') + trimmed.left(eq).trimmed().toCaseFolded();
            if (!m_keys.contains(id)) m_keys.insert(id, i);
        }
    }
}

int IniFile::findKey(const QString& section, const QString& key, int* sectionEnd) const
{
    const QString folded = section.toCaseFolded();
    if (sectionEnd) *sectionEnd = m_sectionEnds.value(folded, -1);
    return m_keys.value(folded + QLatin1Char('\n') + key.toCaseFolded(), -1);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const int index = findKey(section, key);
    if (index < 0) return defaultValue;
    const QString line = QString::fromUtf8(m_lines[index].text);
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value.left(MaxValueLength);
}

bool IniFile::parseInteger(const QString& text, int32_t& value)
{
    QString digits = text;
    bool negative = false;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.front() == QLatin1Char('-');
        digits.remove(0, 1);
    }
    int base = 10;
    if (digits.startsWith(QLatin1Char('$'))) {
        base = 16;
        digits.remove(0, 1);
    } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits.remove(0, 2);
    }
    if (digits.isEmpty()) return false;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        const bool decimal = u >= u'0' && u <= u'9';
        const bool hex = decimal || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!(base == 10 ? decimal : hex)) return false;
    }
    bool ok = false;
    const qlonglong magnitude = digits.toLongLong(&ok, base);
    if (!ok) return false;
    qlonglong result = negative ? -magnitude : magnitude;
    // Hexadecimal spellings cover the whole 32-bit pattern ($FFFFFFFF is -1).
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFLL)
        result = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    if (result < INT32_MIN || result > INT32_MAX) return false;
    value = static_cast<int32_t>(result);
    return true;
}

int32_t IniFile::readInteger(const QString& section, const QString& key, int32_t defaultValue) const
{
    int32_t value = 0;
    return parseInteger(readString(section, key, QString()), value) ? value : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    if (m_unreadable) throw EFileError(QStringLiteral("Unable to write to %1").arg(m_path));
    const QList<Line> before = m_lines;
    const QByteArray entry = key.toUtf8() + '=' + value.toUtf8();
    int sectionEnd = -1;
    const int index = findKey(section, key, &sectionEnd);
    if (index >= 0) {
        m_lines[index].text = entry;
    } else {
        // Appended lines need the line before them to be ended.
        auto endLine = [this](int i) {
            if (i >= 0 && i < m_lines.size() && m_lines[i].ending.isEmpty()) m_lines[i].ending = kLineEnd;
        };
        if (sectionEnd >= 0) {
            endLine(sectionEnd - 1);
            m_lines.insert(sectionEnd, Line{entry, kLineEnd});
        } else {
            endLine(int(m_lines.size()) - 1);
            if (!m_lines.isEmpty() && !m_lines.back().text.trimmed().isEmpty())
                m_lines.append(Line{{}, kLineEnd});
            m_lines.append(Line{'[' + section.toUtf8() + ']', kLineEnd});
            m_lines.append(Line{entry, kLineEnd});
        }
    }
    reindex();
    try {
        save();
    } catch (...) {
        m_lines = before;
        reindex();
        throw;
    }
}

void IniFile::writeInteger(const QString& section, const QString& key, int32_t value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::save() const
{
    QByteArray bytes;
    for (const Line& line : m_lines)
        bytes += line.text + line.ending;
    // A temporary file beside the target, renamed over it once complete: a crash
    // or a full disk never leaves a truncated file behind.
    QSaveFile file(m_path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EFileError(QStringLiteral("Unable to write to %1").arg(QFileInfo(m_path).absoluteFilePath()));
}

} // namespace audrel
