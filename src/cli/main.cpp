// audrel-cli: the command-line companion of Audrel. Each command is one entry
// of the command table below; "info" reports what the file readers find.

#include "cli/commandline.h"
#include "cli/convertcommand.h"
#include "cli/tagcommand.h"
#include "info/audiotags.h"
#include "info/genres.h"
#include "info/infotext.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "jobs/counttext.h"
#include "jobs/playlists.h"
#include "platform/audio/ffmpegmodule.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using namespace audrel;

struct Console
{
    QTextStream out{stdout};
    QTextStream err{stderr};
};

struct Command
{
    const char* name;
    const char* summary;
    const char* usage;
    int (*run)(const QStringList& arguments, Console& console);
};

using audrel::cli::CommandLine;
using audrel::cli::ExitFailed;
using audrel::cli::ExitOk;
using audrel::cli::ExitUsage;

QJsonObject mpegJson(const TMPEGAudio& mpeg);
QJsonObject wavJson(const TWAVfile& wav);
QJsonObject wmaJson(const TWMAfile& wma);

// Fills lines, or returns the reason why the file cannot be reported.
QString describeMpeg(const QString& path, QStringList& lines, QJsonObject& facts)
{
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr; // no questions on the command line: the raw result is reported
    mpeg.Data.FileName = path;
    const int32_t result = mpeg.Analyze();
    if (result > 0)
        return QStringLiteral("cannot open the file: ") + QString::fromLocal8Bit(std::strerror(result));
    if (result < 0) {
        if (!QFileInfo::exists(path)) return QStringLiteral("file not found");
        return QStringLiteral("no MPEG audio found (no frame header confirmed by the next one, "
                              "or the file ends inside a header)");
    }
    if (!mpeg.IsValid()) return QStringLiteral("file too short to hold MPEG audio");
    lines = MpegMemoLines(mpeg) + MpegTagLines(mpeg);
    facts = mpegJson(mpeg);
    return {};
}

QString describeWav(const QString& path, QStringList& lines, QJsonObject& facts)
{
    TWAVfile wav;
    if (!wav.LoadFile(path)) {
        if (!QFileInfo::exists(path)) return QStringLiteral("file not found");
        return QStringLiteral("cannot read the WAV header (unreadable file, or shorter than its header)");
    }
    if (!wav.Valid)
        return QStringLiteral("not a one- or two-channel RIFF WAVE file with a \"fmt \" chunk first");
    lines = WavMemoLines(wav);
    facts = wavJson(wav);
    return {};
}

QString describeWma(const QString& path, QStringList& lines, QJsonObject& facts)
{
    TWMAfile wma;
    if (!wma.LoadFile(path)) {
        if (!QFileInfo::exists(path)) return QStringLiteral("file not found");
        return QStringLiteral("cannot read the ASF header (unreadable file, or header objects past its end)");
    }
    if (!wma.Valid)
        return QStringLiteral("not a Windows Media Audio file with one or two channels at a supported rate");
    lines = WmaMemoLines(wma);
    facts = wmaJson(wma);
    return {};
}

// Any other audio file, as FFmpeg reads it, with its tags.
QString describeMedia(const QString& path, QStringList& lines, QJsonObject& facts)
{
    QString problem;
    const audio::FfmpegModule* ffmpeg = audio::FfmpegModule::load(ProgramFolder(), &problem);
    if (!ffmpeg) return problem;
    audio::MediaFacts media;
    switch (ffmpeg->probe(path, media)) {
    case audio::AudioError::None:
        break;
    case audio::AudioError::NoSuchFile:
        return QStringLiteral("file not found");
    case audio::AudioError::PermissionDenied:
    case audio::AudioError::OpenFailed:
    case audio::AudioError::ReadFailed:
        return QStringLiteral("cannot read the file");
    case audio::AudioError::Protected:
        return QStringLiteral("protected by DRM");
    default:
        return QStringLiteral("holds no audio that can be decoded");
    }
    const AudioTags tags = ReadTags(path);
    lines = MediaMemoLines(media, tags);
    facts = {
        {QStringLiteral("type"), QStringLiteral("audio")},
        {QStringLiteral("container"), media.container},
        {QStringLiteral("codec"), media.codec},
        {QStringLiteral("format"), FormatText(media)},
        {QStringLiteral("seconds"), double(media.durationMs) / 1000},
        {QStringLiteral("bitrateKbps"), double((media.bitRate + 500) / 1000)},
        {QStringLiteral("sampleRate"), media.sampleRate},
        {QStringLiteral("channels"), media.channels},
        {QStringLiteral("bitsPerSample"), media.bitsPerSample},
        {QStringLiteral("size"), double(QFileInfo(path).size())},
    };
    QJsonObject tagFacts;
    const auto put = [&tagFacts](const char* name, const QString& value) {
        if (!value.isEmpty()) tagFacts.insert(QLatin1String(name), value);
    };
    put("title", tags.Title);
    put("artist", tags.Artist);
    put("album", tags.Album);
    put("albumArtist", tags.AlbumArtist);
    put("year", tags.Year);
    put("genre", tags.Genre);
    put("comment", tags.Comment);
    put("copyright", tags.Copyright);
    if (tags.Track) tagFacts.insert(QStringLiteral("track"), int(tags.Track));
    if (tags.TrackTotal) tagFacts.insert(QStringLiteral("trackTotal"), int(tags.TrackTotal));
    if (tags.Disc) tagFacts.insert(QStringLiteral("disc"), int(tags.Disc));
    if (tags.DiscTotal) tagFacts.insert(QStringLiteral("discTotal"), int(tags.DiscTotal));
    if (!tags.Cover.isEmpty()) tagFacts.insert(QStringLiteral("cover"), tags.CoverMime);
    facts.insert(QStringLiteral("tags"), tagFacts);
    return {};
}

// The facts of the text report, as one JSON object.
QJsonObject mpegJson(const TMPEGAudio& mpeg)
{
    const TMPEGInfo& d = mpeg.Data;
    QJsonObject tag{{QStringLiteral("present"), mpeg.HasTag()}};
    if (mpeg.HasTag()) {
        tag.insert(QStringLiteral("title"), d.Title);
        tag.insert(QStringLiteral("artist"), d.Artist);
        tag.insert(QStringLiteral("album"), d.Album);
        tag.insert(QStringLiteral("year"), d.Year);
        tag.insert(QStringLiteral("comment"), d.Comment);
        tag.insert(QStringLiteral("track"), int(d.Track));
        tag.insert(QStringLiteral("genre"), GenreName(d.Genre));
    }
    return {
        {QStringLiteral("type"), QStringLiteral("mpeg")},
        {QStringLiteral("size"), double(d.FileLength)},
        {QStringLiteral("seconds"), double(d.Duration)},
        {QStringLiteral("version"), mpeg.VersionText()},
        {QStringLiteral("layer"), mpeg.LayerText()},
        {QStringLiteral("bitrateKbps"), d.BitRate},
        {QStringLiteral("frameLength"), int(d.FrameLength)},
        {QStringLiteral("sampleRate"), d.SampleRate},
        {QStringLiteral("mode"), mpeg.ModeText()},
        {QStringLiteral("crc"), !d.ErrorProt},
        {QStringLiteral("copyrighted"), d.Copyrighted},
        {QStringLiteral("original"), d.Original},
        {QStringLiteral("padding"), d.Padding},
        {QStringLiteral("id3v1"), tag},
    };
}

QJsonObject wavJson(const TWAVfile& wav)
{
    return {
        {QStringLiteral("type"), QStringLiteral("wav")},
        {QStringLiteral("format"), wav.FormatText()},
        {QStringLiteral("formatTag"), int(wav.FormatTag)},
        {QStringLiteral("channelMode"), wav.ChannelModeText()},
        {QStringLiteral("sampleRate"), double(wav.SampleRate)},
        {QStringLiteral("bytesPerSecond"), double(wav.BytesPerSecond)},
        {QStringLiteral("bitsPerSample"), int(wav.BitsPerSample)},
        {QStringLiteral("seconds"), wav.Duration()},
        {QStringLiteral("size"), double(wav.FileSize)},
    };
}

QJsonObject wmaJson(const TWMAfile& wma)
{
    return {
        {QStringLiteral("type"), QStringLiteral("wma")},
        {QStringLiteral("channelMode"), wma.ChannelModeText()},
        {QStringLiteral("sampleRate"), wma.SampleRate},
        {QStringLiteral("bitrateKbps"), wma.BitRate},
        {QStringLiteral("seconds"), wma.Duration},
        {QStringLiteral("size"), double(wma.FileSize)},
        {QStringLiteral("title"), wma.Title},
        {QStringLiteral("artist"), wma.Artist},
        {QStringLiteral("album"), wma.Album},
        {QStringLiteral("year"), wma.Year},
        {QStringLiteral("genre"), wma.Genre},
        {QStringLiteral("track"), wma.Track},
        {QStringLiteral("comment"), wma.Comment},
    };
}

int runInfo(const QStringList& arguments, Console& console)
{
    CommandLine line({QCommandLineOption(QStringLiteral("json"))});
    if (const QString problem = line.parse(arguments); !problem.isEmpty()) {
        console.err << "audrel-cli info: " << problem << " (see audrel-cli info --help)\n";
        return ExitUsage;
    }
    const QStringList files = line.positional();
    if (files.isEmpty()) {
        console.err << "audrel-cli info: no file given (see audrel-cli info --help)\n";
        return ExitUsage;
    }
    const bool json = line.isSet(QStringLiteral("json"));
    int status = ExitOk;
    for (const QString& path : files) {
        QStringList lines;
        QJsonObject facts;
        QString problem;
        switch (KindOf(path)) {
        case FileKind::Mpeg:
            problem = describeMpeg(path, lines, facts);
            break;
        case FileKind::Wav:
            problem = describeWav(path, lines, facts);
            break;
        case FileKind::Wma:
            problem = describeWma(path, lines, facts);
            break;
        default:
            problem = IsAudio(KindOf(path)) ? describeMedia(path, lines, facts)
                                            : QStringLiteral("unsupported file type (expected an audio file: .mp3, "
                                                             ".wav, .wma, .flac, .ogg, .opus, .m4a and the like)");
            break;
        }
        if (!problem.isEmpty()) {
            console.out.flush();
            console.err << "audrel-cli info: " << path << ": " << problem << '\n';
            console.err.flush();
            status = ExitFailed;
            continue;
        }
        if (json) {
            facts.insert(QStringLiteral("file"), path);
            console.out << QJsonDocument(facts).toJson(QJsonDocument::Compact) << '\n';
        } else {
            console.out << path << '\n';
            for (const QString& text : lines)
                console.out << "  " << text << '\n';
        }
        console.out.flush();
    }
    return status;
}

const Command Commands[] = {
    {"info", "show the format, playing time and tags of audio files",
     "Usage: audrel-cli info [--json] FILE...\n"
     "\n"
     "For each FILE, prints its path and then the lines of its information, as the\n"
     "program's property dialogs show them. The reader is chosen by the extension:\n"
     "  .mp3 .mp2 .mp1  MPEG audio: size, length, version and layer, bit rate and\n"
     "                  frame length, sample rate and channel mode, header flags,\n"
     "                  then the ID3v1 tag fields\n"
     "  .wav            format, channel mode, rates, sample size, duration, size\n"
     "  .wma            channel mode, sample rate, bit rate, duration, size\n"
     "  any other audio file (.flac .ogg .opus .m4a .aiff .ape .wv ...): what FFmpeg\n"
     "                  finds (format, codec, duration, bit rate, sample rate,\n"
     "                  channels, bits per sample), then the fields of its tags\n"
     "A file that cannot be read or is not of its kind gets a message on standard\n"
     "error and the next file is still reported.\n"
     "\n"
     "  --json  one JSON object per line and file instead, with the same facts under\n"
     "          names (\"file\", \"type\", \"size\", \"seconds\", \"sampleRate\", ...)\n"
     "\n"
     "Exit status: 0 when every file was reported, 1 when at least one was not,\n"
     "2 for a usage error.\n",
     runInfo},
    {"tag", audrel::cli::TagSummary, audrel::cli::TagUsage,
     [](const QStringList& arguments, Console& console) {
         return audrel::cli::runTag(arguments, console.out, console.err);
     }},
    {"convert", audrel::cli::ConvertSummary, audrel::cli::ConvertUsage,
     [](const QStringList& arguments, Console& console) {
         return audrel::cli::runConvert(arguments, console.out, console.err);
     }},
};

void printUsage(QTextStream& stream)
{
    stream << "Usage: audrel-cli COMMAND [ARGUMENTS...]\n"
              "       audrel-cli COMMAND --help\n"
              "       audrel-cli --version\n"
              "\n"
              "The command-line companion of Audrel.\n"
              "\n"
              "Commands:\n";
    for (const Command& command : Commands)
        stream << "  " << QString::fromLatin1(command.name).leftJustified(10) << command.summary << '\n';
    stream.flush();
}

bool isHelp(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

// A report that could not be written (a full disk, a closed pipe) is a
// failure, whatever printed it.
int finish(Console& console, const QString& who, int status)
{
    console.out.flush();
    if (console.out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        console.err << who << ": cannot write to standard output\n";
        if (status == ExitOk) status = ExitFailed;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("audrel-cli"));
    Console console;

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        printUsage(console.err);
        return ExitUsage;
    }
    const QString program = QStringLiteral("audrel-cli");
    if (isHelp(arguments.first())) {
        printUsage(console.out);
        return finish(console, program, ExitOk);
    }
    if (arguments.first() == QLatin1String("--version")) {
        console.out << "audrel-cli " << AUDREL_VERSION << '\n';
        return finish(console, program, ExitOk);
    }
    for (const Command& command : Commands) {
        if (arguments.first() != QLatin1String(command.name)) continue;
        const QString who = program + QLatin1Char(' ') + QLatin1String(command.name);
        const QStringList rest = arguments.mid(1);
        if (std::any_of(rest.begin(), rest.end(), isHelp)) {
            console.out << command.usage;
            return finish(console, who, ExitOk);
        }
        return finish(console, who, command.run(rest, console));
    }
    console.err << "audrel-cli: unknown command \"" << arguments.first() << "\"\n\n";
    printUsage(console.err);
    return ExitUsage;
}
