#include "settings/settings.h"

#include "platform/errors.h"
#include "platform/ini/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace audrel {

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kEncode = QStringLiteral("Encode");
const QString kWMAEncode = QStringLiteral("WMAEncode");
const QString kAnyFormat = QStringLiteral("AnyFormat");

// A number out of its range takes the default.
int32_t inRange(int32_t value, int32_t low, int32_t high, int32_t fallback)
{
    return value >= low && value <= high ? value : fallback;
}

QString defaultDestFolder()
{
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/Faviorate Music"));
}

QString withSeparator(QString folder)
{
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    return folder;
}

} // namespace

Settings::Settings() : DestFolder(defaultDestFolder()) {}

QString ProgramFolder()
{
    return withSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

Settings LoadSettings(const QString& folder)
{
    return LoadSettingsFile(folder + QLatin1String(kSettingsFileName));
}

Settings LoadSettingsFile(const QString& path)
{
    const IniFile ini(path);
    const Settings d;
    Settings s;
    s.SameFolder = ini.readBool(kGeneral, QStringLiteral("SameFolder"), d.SameFolder);
    s.DestFolder = ini.readString(kGeneral, QStringLiteral("DestFolder"), d.DestFolder);
    s.ViewFolder = ini.readBool(kGeneral, QStringLiteral("ViewFolder"), d.ViewFolder);
    s.OverWrite = ini.readBool(kGeneral, QStringLiteral("OverWrite"), d.OverWrite);
    s.PlayDone = ini.readBool(kGeneral, QStringLiteral("PlayDone"), d.PlayDone);
    s.PromptCvt = ini.readBool(kGeneral, QStringLiteral("PromptCvt"), d.PromptCvt);
    s.RemoveItem = ini.readBool(kGeneral, QStringLiteral("RemoveItem"), d.RemoveItem);
    s.ConvertJobs = ini.readInteger(kGeneral, QStringLiteral("ConvertJobs"), d.ConvertJobs);
    if (s.ConvertJobs < 0 || s.ConvertJobs > kMaxConvertJobs) s.ConvertJobs = d.ConvertJobs;
    s.SampleRate = ini.readInteger(kEncode, QStringLiteral("SampleRate"), d.SampleRate);
    s.Bitrate = ini.readInteger(kEncode, QStringLiteral("Bitrate"), d.Bitrate);
    s.MaxBitrate = ini.readInteger(kEncode, QStringLiteral("MaxBitrate"), d.MaxBitrate);
    s.Mode = ini.readInteger(kEncode, QStringLiteral("Mode"), d.Mode);
    s.Quality = ini.readInteger(kEncode, QStringLiteral("Quality"), d.Quality);
    s.VBR = ini.readBool(kEncode, QStringLiteral("VBR"), d.VBR);
    s.WriteVBR = ini.readBool(kEncode, QStringLiteral("WriteVBR"), d.WriteVBR);
    s.VBRQuality = ini.readInteger(kEncode, QStringLiteral("VBRQuality"), d.VBRQuality);
    s.CopyRight = ini.readBool(kEncode, QStringLiteral("CopyRight"), d.CopyRight);
    s.Original = ini.readBool(kEncode, QStringLiteral("Original"), d.Original);
    s.CRC = ini.readBool(kEncode, QStringLiteral("CRC"), d.CRC);
    s.Private = ini.readBool(kEncode, QStringLiteral("Private"), d.Private);
    s.WMASampleRate = ini.readInteger(kWMAEncode, QStringLiteral("SampleRate"), d.WMASampleRate);
    s.WMABitRate = ini.readInteger(kWMAEncode, QStringLiteral("BitRate"), d.WMABitRate);
    s.WMAChannels = ini.readInteger(kWMAEncode, QStringLiteral("Channels"), d.WMAChannels);
    s.EnableDRM = ini.readBool(kWMAEncode, QStringLiteral("EnableDRM"), d.EnableDRM);
    s.AnyFormat = ini.readString(kAnyFormat, QStringLiteral("Format"), d.AnyFormat).trimmed().toLower();
    s.FlacLevel = inRange(ini.readInteger(kAnyFormat, QStringLiteral("FlacLevel"), d.FlacLevel), 0, 8, d.FlacLevel);
    s.VorbisQuality =
        inRange(ini.readInteger(kAnyFormat, QStringLiteral("VorbisQuality"), d.VorbisQuality), -1, 10, d.VorbisQuality);
    s.OpusBitRate =
        inRange(ini.readInteger(kAnyFormat, QStringLiteral("OpusBitRate"), d.OpusBitRate), 6, 510, d.OpusBitRate);
    s.AacBitRate = inRange(ini.readInteger(kAnyFormat, QStringLiteral("AacBitRate"), d.AacBitRate), 32, 512, d.AacBitRate);
    s.WavSixteenBit = ini.readInteger(kAnyFormat, QStringLiteral("WavSampleFormat"), 0) == 1;
    // The destination folder must be a full path: an empty or relative one
    // (a hand-edited file) would put results wherever the program was started.
    if (!QDir::isAbsolutePath(s.DestFolder)) s.DestFolder = d.DestFolder;
    return s;
}

void SaveSettings(const Settings& s, const QString& folder)
{
    IniFile ini(folder + QLatin1String(kSettingsFileName));
    // Two keys are written with other capitals than they are read with; matching
    // ignores case, so each stays one key.
    ini.writeBool(kGeneral, QStringLiteral("SameFolder"), s.SameFolder);
    ini.writeString(kGeneral, QStringLiteral("DestFolder"), s.DestFolder);
    ini.writeBool(kGeneral, QStringLiteral("ViewFolder"), s.ViewFolder);
    ini.writeBool(kGeneral, QStringLiteral("Overwrite"), s.OverWrite);
    ini.writeBool(kGeneral, QStringLiteral("PLayDone"), s.PlayDone);
    ini.writeBool(kGeneral, QStringLiteral("PromptCvt"), s.PromptCvt);
    ini.writeBool(kGeneral, QStringLiteral("RemoveItem"), s.RemoveItem);
    ini.writeInteger(kGeneral, QStringLiteral("ConvertJobs"), s.ConvertJobs);
    ini.writeInteger(kEncode, QStringLiteral("SampleRate"), s.SampleRate);
    ini.writeInteger(kEncode, QStringLiteral("Bitrate"), s.Bitrate);
    ini.writeInteger(kEncode, QStringLiteral("MaxBitrate"), s.MaxBitrate);
    ini.writeInteger(kEncode, QStringLiteral("Mode"), s.Mode);
    ini.writeInteger(kEncode, QStringLiteral("Quality"), s.Quality);
    ini.writeBool(kEncode, QStringLiteral("VBR"), s.VBR);
    ini.writeBool(kEncode, QStringLiteral("WriteVBR"), s.WriteVBR);
    ini.writeInteger(kEncode, QStringLiteral("VBRQuality"), s.VBRQuality);
    ini.writeBool(kEncode, QStringLiteral("CopyRight"), s.CopyRight);
    ini.writeBool(kEncode, QStringLiteral("Original"), s.Original);
    ini.writeBool(kEncode, QStringLiteral("CRC"), s.CRC);
    ini.writeBool(kEncode, QStringLiteral("Private"), s.Private);
    ini.writeInteger(kWMAEncode, QStringLiteral("SampleRate"), s.WMASampleRate);
    ini.writeInteger(kWMAEncode, QStringLiteral("BitRate"), s.WMABitRate);
    ini.writeInteger(kWMAEncode, QStringLiteral("Channels"), s.WMAChannels);
    ini.writeBool(kWMAEncode, QStringLiteral("EnableDRM"), s.EnableDRM);
    ini.writeString(kAnyFormat, QStringLiteral("Format"), s.AnyFormat);
    ini.writeInteger(kAnyFormat, QStringLiteral("FlacLevel"), s.FlacLevel);
    ini.writeInteger(kAnyFormat, QStringLiteral("VorbisQuality"), s.VorbisQuality);
    ini.writeInteger(kAnyFormat, QStringLiteral("OpusBitRate"), s.OpusBitRate);
    ini.writeInteger(kAnyFormat, QStringLiteral("AacBitRate"), s.AacBitRate);
    ini.writeInteger(kAnyFormat, QStringLiteral("WavSampleFormat"), s.WavSixteenBit ? 1 : 0);
}

QString SettingsFolder(const QString& programFolder)
{
    const QFileInfo file(programFolder + QLatin1String(kSettingsFileName));
    const QFileInfo folder(programFolder);
    if ((file.exists() && file.isWritable()) || (folder.isDir() && folder.isWritable())) return programFolder;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    return withSeparator(config + QStringLiteral("/Audrel"));
}

Settings LoadProgramSettings(const QString& programFolder)
{
    const QString folder = SettingsFolder(programFolder);
    if (folder != programFolder && !QFileInfo::exists(folder + QLatin1String(kSettingsFileName)))
        return LoadSettings(programFolder);
    return LoadSettings(folder);
}

void SaveProgramSettings(const Settings& settings, const QString& programFolder)
{
    const QString folder = SettingsFolder(programFolder);
    if (!QDir().mkpath(folder))
        throw EFileError(
            QStringLiteral("Unable to write to %1").arg(folder + QLatin1String(kSettingsFileName)));
    SaveSettings(settings, folder);
}

} // namespace audrel
