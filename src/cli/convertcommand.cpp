#include "cli/convertcommand.h"

#include "convert/conversionpath.h"
#include "convert/cvtitem.h"
#include "convert/destinationfile.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "jobs/joblist.h"
#include "jobs/playlists.h"
#include "jobs/rowbuilder.h"
#include "platform/errors.h"
#include "platform/prompts/prompts.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace audrel::cli {

const char* const ConvertSummary = "convert WAV files to MP3, or MPEG audio files to WAV";
const char* const ConvertUsage =
    "Usage: audrel-cli convert --to mp3|wav [--options FILE] [--dest DIR] [--overwrite]\n"
    "                          FILE...\n"
    "\n"
    "Converts each FILE the way the program's job lists do:\n"
    "  --to mp3   WAV files (.wav) are encoded to MP3 with the encoder settings\n"
    "             (sample rate, mode, bit rate, quality, VBR, CRC and flags)\n"
    "  --to wav   MPEG audio files (.mp3, .mp2, .mp1) are decoded to WAV\n"
    "FILE may also be an M3U or PLS playlist: its entries of the kind converted\n"
    "are taken. A file listed twice is converted once.\n"
    "\n"
    "Options:\n"
    "  --options FILE  read the settings from FILE instead of the Options.ini beside\n"
    "                  audrel-cli (missing keys take their defaults)\n"
    "  --dest DIR      write every result into DIR; without it the settings decide\n"
    "                  (beside the source, or in their destination folder)\n"
    "  --overwrite     replace destination files that exist; without it they are\n"
    "                  left alone and their sources skipped\n"
    "\n"
    "The destination is the source's name with the new extension. A source file is\n"
    "never changed; a result appears under its name only once it is complete, so a\n"
    "file that fails leaves nothing behind and an existing destination stays as it\n"
    "was. Progress and problems are written to standard error, each problem naming\n"
    "its file; the next file is still converted.\n"
    "\n"
    "Exit status: 0 every file was converted or skipped because its destination\n"
    "exists, 1 at least one file failed, 2 for a usage error (also an options file\n"
    "that cannot be read).\n";

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// The conversion directions, by the value of --to and the kind of source
// file: a new direction is a new row.
struct Direction
{
    const char* to;
    FileKind source;
    JobKind kind;
    const char* sources; // what the sources are called in messages
};

const Direction kDirections[] = {
    {"mp3", FileKind::Wav, JobKind::WavToMp3, "a WAV file (.wav)"},
    {"wav", FileKind::Mpeg, JobKind::Mp3ToWav, "an MPEG audio file (.mp3, .mp2, .mp1)"},
};

struct Arguments
{
    QString to;
    QString optionsFile;
    QString destFolder;
    bool overwrite = false;
    QStringList files;
};

// Empty when the arguments are usable, else what is wrong with them.
QString parseArguments(const QStringList& arguments, Arguments& parsed)
{
    QString to;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            parsed.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = argument;
        QString value;
        bool valueGiven = false;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (argument.startsWith(QLatin1String("--")) && equals > 2) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
            valueGiven = true;
        }
        if (name == QLatin1String("--overwrite")) {
            if (valueGiven) return QStringLiteral("--overwrite takes no value");
            parsed.overwrite = true;
            continue;
        }
        if (name != QLatin1String("--to") && name != QLatin1String("--options") &&
            name != QLatin1String("--dest"))
            return QStringLiteral("unknown option \"%1\"").arg(argument);
        if (!valueGiven) {
            if (i + 1 >= arguments.size()) return name + QStringLiteral(" needs a value");
            value = arguments[++i];
        }
        if (value.isEmpty()) return name + QStringLiteral(" needs a value");
        if (name == QLatin1String("--to"))
            to = value.toLower();
        else if (name == QLatin1String("--options"))
            parsed.optionsFile = value;
        else
            parsed.destFolder = value;
    }
    QStringList targets;
    for (const Direction& direction : kDirections)
        if (!targets.contains(QLatin1String(direction.to))) targets << QLatin1String(direction.to);
    if (to.isEmpty())
        return QStringLiteral("--to %1 is required").arg(targets.join(QStringLiteral(" or --to ")));
    if (!targets.contains(to))
        return QStringLiteral("--to takes %1, not \"%2\"").arg(targets.join(QStringLiteral(" or ")), to);
    parsed.to = to;
    if (parsed.files.isEmpty()) return QStringLiteral("no file given");
    return {};
}

// The settings of --options FILE, or those of the Options.ini beside the program.
bool loadSettings(const Arguments& arguments, Settings& settings, QString& problem)
{
    if (arguments.optionsFile.isEmpty()) {
        settings = LoadProgramSettings(ProgramFolder());
    } else {
        const QFileInfo info(arguments.optionsFile);
        if (!info.isFile() || !info.isReadable()) {
            problem = QStringLiteral("cannot read the options file \"%1\"").arg(arguments.optionsFile);
            return false;
        }
        // The settings are read from the Options.ini of a folder: a file of
        // another name is linked into a folder of its own under that name.
        if (info.fileName() == QLatin1String(kSettingsFileName)) {
            settings = LoadSettings(info.absolutePath() + QLatin1Char('/'));
        } else {
            QTemporaryDir folder;
            const QString link = folder.filePath(QLatin1String(kSettingsFileName));
            if (!folder.isValid() || !QFile::link(info.absoluteFilePath(), link)) {
                problem = QStringLiteral("cannot read the options file \"%1\"").arg(arguments.optionsFile);
                return false;
            }
            settings = LoadSettings(folder.path() + QLatin1Char('/'));
        }
    }
    if (!arguments.destFolder.isEmpty()) {
        settings.SameFolder = false;
        settings.DestFolder = QDir::cleanPath(QFileInfo(arguments.destFolder).absoluteFilePath());
    }
    return true;
}

// The builder's messages (a WAV that already holds MPEG audio) are kept for the
// report instead of being shown.
class CommandPrompts final : public Prompts
{
public:
    CommandPrompts() : m_previous(Prompts::install(this)) {}
    ~CommandPrompts() override { Prompts::install(m_previous); }

    int message(const MessageRequest& request) override
    {
        last = request.text;
        last.replace(QLatin1String(",\n"), QLatin1String(", "));
        last.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return request.buttons.isEmpty() ? IdOk : request.buttons.first();
    }
    QStringList openFiles(const OpenFilesRequest&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }

    QString last;

private:
    Prompts* m_previous;
};

// Progress and problems on standard error. On a terminal the line of the file
// being converted is rewritten in place; otherwise each file gets one line
// when it is done.
class Report
{
public:
    explicit Report(QTextStream& err) : m_err(err), m_terminal(isatty(STDERR_FILENO) == 1) {}

    void problem(const QString& path, const QString& text)
    {
        endLine();
        m_err << "audrel-cli convert: " << path << ": " << text << '\n';
        m_err.flush();
    }
    void problem(const QString& text)
    {
        endLine();
        m_err << "audrel-cli convert: " << text << '\n';
        m_err.flush();
    }

    void begin(int index, int count, const QString& source)
    {
        m_prefix = QStringLiteral("[%1/%2] %3").arg(index + 1).arg(count).arg(QFileInfo(source).fileName());
        m_percent = -1;
        progress(0);
    }
    void progress(int percent)
    {
        if (!m_terminal || percent == m_percent) return;
        m_percent = percent;
        m_err << '\r' << m_prefix << "  " << percent << "%\x1b[K";
        m_err.flush();
        m_open = true;
    }
    void done(const QString& dest)
    {
        if (m_terminal) m_err << '\r';
        m_err << m_prefix << "  done -> " << dest << (m_terminal ? "\x1b[K\n" : "\n");
        m_err.flush();
        m_open = false;
    }

private:
    // Clears the progress line, so that a problem takes its place.
    void endLine()
    {
        if (!m_open) return;
        m_err << "\r\x1b[K";
        m_open = false;
    }

    QTextStream& m_err;
    const bool m_terminal;
    bool m_open = false;
    QString m_prefix;
    int m_percent = -1;
};

// The file being written, removed when the command is interrupted.
char g_partial[4096];
volatile std::sig_atomic_t g_partialSet = 0;

extern "C" void removePartialAndExit(int signal)
{
    if (g_partialSet) unlink(g_partial);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void setPartial(const QString& path)
{
    g_partialSet = 0;
    const QByteArray name = QFile::encodeName(path);
    if (path.isEmpty() || name.size() >= qsizetype(sizeof g_partial)) return;
    std::memcpy(g_partial, name.constData(), size_t(name.size()) + 1);
    g_partialSet = 1;
}

// How a destination is known among those written in this run.
QString destKey(const QString& dest)
{
    const QFileInfo info(dest);
    return QFileInfo(info.absolutePath()).canonicalFilePath() + QLatin1Char('/') + info.fileName();
}

// One row to convert, in the order the files were given.
struct Task
{
    const Direction* direction;
    int row;
};

} // namespace

int runConvert(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Arguments parsed;
    if (const QString problem = parseArguments(arguments, parsed); !problem.isEmpty()) {
        err << "audrel-cli convert: " << problem << " (see audrel-cli convert --help)\n";
        return ExitUsage;
    }
    Settings settings;
    if (QString problem; !loadSettings(parsed, settings, problem)) {
        err << "audrel-cli convert: " << problem << '\n';
        return ExitUsage;
    }

    Report report(err);
    CommandPrompts prompts;
    int failed = 0;

    // The rows, built as the program's lists build them.
    JobList mp3List(JobKind::Mp3ToWav);
    JobList wavList(JobKind::WavToMp3);
    JobList wmaList(JobKind::WmaToWav);
    JobList wavToWmaList(JobKind::WavToWma);
    JobList* const lists[4] = {&mp3List, &wavList, &wmaList, &wavToWmaList};
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr; // a file that is not MPEG audio is reported when it is decoded
    TWAVfile wav;
    TWMAfile wma;
    RowBuilder builder(lists, settings, mpeg, wav, wma);

    // The directions of --to, and the source kinds they take.
    QList<const Direction*> directions;
    for (const Direction& direction : kDirections)
        if (parsed.to == QLatin1String(direction.to)) directions << &direction;
    const auto directionOf = [&](FileKind kind) -> const Direction* {
        for (const Direction* direction : directions)
            if (direction->source == kind) return direction;
        return nullptr;
    };
    // "a WAV file (.wav)", and "WAV file (.wav)" without the article.
    QStringList sourceNames;
    QStringList kindNames;
    for (const Direction* direction : directions) {
        const QString name = QLatin1String(direction->sources);
        sourceNames << name;
        kindNames << name.mid(name.indexOf(QLatin1Char(' ')) + 1);
    }
    const QString sourcesText = sourceNames.join(QStringLiteral(" or "));
    const QString target = parsed.to.toUpper();

    QList<Task> tasks;
    auto addSource = [&](const Direction& direction, const QString& path, const QString& playlist) {
        JobList& list = *lists[int(direction.kind)];
        if (!list.IsNewSource(path)) return; // converted once
        const QFileInfo info(path);
        if (path.contains(QChar::ReplacementCharacter)) {
            // Names that are not UTF-8 do not survive the way into the program.
            report.problem(path,
                           QStringLiteral("the file name is not valid UTF-8 and cannot be opened; rename "
                                          "the file"));
            ++failed;
            return;
        }
        if (!info.exists()) {
            report.problem(path, playlist.isEmpty()
                                     ? QStringLiteral("file not found")
                                     : QStringLiteral("file not found (an entry of %1)").arg(playlist));
            ++failed;
            return;
        }
        if (!info.isFile() || !info.isReadable()) {
            report.problem(path, QStringLiteral("not a readable file"));
            ++failed;
            return;
        }
        prompts.last.clear();
        const bool added = builder.AddRow(direction.kind, path);
        if (const QStringList skipped = builder.takeSkipped(); !skipped.isEmpty()) {
            report.problem(skipped.join(QLatin1Char(' ')));
            ++failed;
            return;
        }
        if (added) {
            tasks.append({&direction, list.count() - 1});
            return;
        }
        if (!prompts.last.isEmpty())
            report.problem(prompts.last);
        else
            report.problem(path,
                           QStringLiteral("not a WAV file that can be encoded (a RIFF WAVE file with one "
                                          "or two channels and its \"fmt \" chunk first)"));
        ++failed;
    };

    for (const QString& argument : parsed.files) {
        const QString path = QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
        const FileKind fileKind = KindOf(path);
        if (const Direction* direction = directionOf(fileKind)) {
            addSource(*direction, path, {});
        } else if (fileKind == FileKind::M3u || fileKind == FileKind::Pls) {
            QStringList entries;
            try {
                entries = ReadPlaylist(path);
            } catch (const EFileError& error) {
                report.problem(path, error.message());
                ++failed;
                continue;
            }
            int taken = 0;
            for (const QString& entry : entries) {
                const Direction* direction = directionOf(KindOf(entry));
                if (!direction) continue;
                addSource(*direction, QDir::cleanPath(entry), path);
                ++taken;
            }
            if (taken == 0) {
                report.problem(
                    path,
                    QStringLiteral("the playlist names no %1").arg(kindNames.join(QStringLiteral(" or "))));
                ++failed;
            }
        } else {
            report.problem(path,
                           QStringLiteral("not %1: only those are converted to %2").arg(sourcesText, target));
            ++failed;
        }
    }

    std::signal(SIGINT, removePartialAndExit);
    std::signal(SIGTERM, removePartialAndExit);
    std::signal(SIGHUP, removePartialAndExit);

    std::unique_ptr<ConversionPath> paths[4];
    QSet<QString> written;
    int converted = 0;
    int skipped = 0;
    const int count = int(tasks.size());
    for (int index = 0; index < count; ++index) {
        const Task& task = tasks[index];
        const TCvtItem item = TCvtItem::FromRow(*lists[int(task.direction->kind)], task.row);
        const QString& source = item.SourcePath;
        const QString& dest = item.DestPath;
        const QFileInfo destInfo(dest);
        const QString key = destKey(dest);
        if (written.contains(key)) {
            report.problem(source, QStringLiteral("the destination \"%1\" was written from another file just "
                                                  "before and is not replaced")
                                       .arg(dest));
            ++failed;
            continue;
        }
        if ((destInfo.exists() || destInfo.isSymLink()) && !destInfo.isDir() && !parsed.overwrite) {
            report.problem(dest + QStringLiteral(" exists, skipped (use --overwrite)"));
            ++skipped;
            continue;
        }

        std::unique_ptr<ConversionPath>& path = paths[int(task.direction->kind)];
        if (!path) {
            path = ConversionPath::create(task.direction->kind, settings, ProgramFolder());
            try {
                path->Init();
            } catch (const EAudrelError& error) {
                report.problem(QString(error.message()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
                return ExitFailed;
            }
        }

        DestinationFile destination;
        QString failure = destination.prepare(source, dest);
        if (failure.isEmpty()) {
            setPartial(destination.tempPath());
            report.begin(index, count, source);
            failure = RunToEnd(*path, item, destination.tempPath(),
                               [&report](int percent) { report.progress(percent); });
            if (failure.isEmpty()) failure = destination.commit();
        }
        if (!failure.isEmpty()) {
            destination.discard();
            setPartial({});
            report.problem(source, failure.replace(QLatin1Char('\n'), QLatin1Char(' ')));
            ++failed;
            continue;
        }
        setPartial({});
        written.insert(key);
        ++converted;
        report.done(dest);
    }

    out << converted << " converted, " << skipped << " skipped, " << failed << " failed\n";
    out.flush();
    return failed > 0 ? ExitFailed : ExitOk;
}

} // namespace audrel::cli
