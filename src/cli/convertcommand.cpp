#include "cli/convertcommand.h"

#include "cli/commandline.h"
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
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <unistd.h>

namespace audrel::cli {

const char* const ConvertSummary = "convert WAV files to MP3 or WMA, or MPEG audio and WMA files to WAV";
const char* const ConvertUsage =
    "Usage: audrel-cli convert --to mp3|wma|wav [OPTIONS] FILE|FOLDER...\n"
    "\n"
    "Converts each FILE the way the program's job lists do:\n"
    "  --to mp3   WAV files (.wav) are encoded to MP3 with the encoder settings\n"
    "             (sample rate, mode, bit rate, quality, VBR, CRC and flags)\n"
    "  --to wma   WAV files (.wav) are encoded to WMA (WMA v2) with the settings of\n"
    "             the WMA encoder (sample rate, bit rate, channels); no DRM\n"
    "             protection is applied, and a warning says so when it is asked for\n"
    "  --to wav   MPEG audio files (.mp3, .mp2, .mp1) and WMA files (.wma) are\n"
    "             decoded to WAV\n"
    "FILE may also be an M3U or PLS playlist: its entries of the kinds converted\n"
    "are taken. A FOLDER gives its files of those kinds (with --recursive, those\n"
    "of its subfolders too). A file named twice is converted once.\n"
    "\n"
    "Options (each also as --option=value):\n"
    "  --options FILE  read the settings from FILE instead of the program's own\n"
    "                  Options.ini (missing keys take their defaults)\n"
    "  --dest DIR      write every result into DIR, made when missing; the files of\n"
    "                  a FOLDER keep their subfolders below DIR. Without it the\n"
    "                  settings decide (beside the source, or in their folder)\n"
    "  --overwrite     replace destination files that exist; without it they are\n"
    "                  left alone and their sources skipped\n"
    "  --jobs N        convert up to N files at once (default: the number of\n"
    "                  processors); results are reported in the order given\n"
    "  --recursive     walk the subfolders of a FOLDER too\n"
    "  --no-tags       do not carry title, artist, album, year, comment, genre and\n"
    "                  track from each source to its result\n"
    "  --quiet         no progress, only problems and the summary\n"
    "\n"
    "The destination is the source's name with the new extension. A source file is\n"
    "never changed; a result appears under its name only once it is complete, so a\n"
    "file that fails leaves nothing behind and an existing destination stays as it\n"
    "was. Progress and problems are written to standard error, each problem naming\n"
    "its file; the next file is still converted. A result whose tags could not be\n"
    "written is kept, with a warning.\n"
    "\n"
    "Exit status: 0 every file was converted or skipped because its destination\n"
    "exists, 1 at least one file failed (or its tags could not be written), 2 for\n"
    "a usage error (also an options file that cannot be read).\n";

namespace {

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
    {"wma", FileKind::Wav, JobKind::WavToWma, "a WAV file (.wav)"},
    {"wav", FileKind::Mpeg, JobKind::Mp3ToWav, "an MPEG audio file (.mp3, .mp2, .mp1)"},
    {"wav", FileKind::Wma, JobKind::WmaToWav, "a WMA file (.wma)"},
};

// The most files converted at once, whatever --jobs says.
constexpr int kMaxJobs = 64;

struct Arguments
{
    QString to;
    QString optionsFile;
    QString destFolder;
    bool overwrite = false;
    bool recursive = false;
    bool quiet = false;
    bool tags = true;
    int jobs = 1;
    QStringList files;
};

// Empty when the arguments are usable, else what is wrong with them.
QString parseArguments(const QStringList& arguments, Arguments& parsed)
{
    CommandLine line({
        {QStringLiteral("to"), {}, QStringLiteral("kind")},
        {QStringLiteral("options"), {}, QStringLiteral("file")},
        {QStringLiteral("dest"), {}, QStringLiteral("folder")},
        {QStringLiteral("jobs"), {}, QStringLiteral("n")},
        QCommandLineOption(QStringLiteral("overwrite")),
        QCommandLineOption(QStringLiteral("recursive")),
        QCommandLineOption(QStringLiteral("no-tags")),
        QCommandLineOption(QStringLiteral("quiet")),
    });
    if (const QString problem = line.parse(arguments); !problem.isEmpty()) return problem;
    for (const char* name : {"to", "options", "dest", "jobs"})
        if (line.isSet(QLatin1String(name)) && line.value(QLatin1String(name)).isEmpty())
            return QStringLiteral("--%1 needs a value").arg(QLatin1String(name));

    QStringList targets;
    for (const Direction& direction : kDirections)
        if (!targets.contains(QLatin1String(direction.to))) targets << QLatin1String(direction.to);
    const QString to = line.value(QStringLiteral("to")).toLower();
    if (to.isEmpty())
        return QStringLiteral("--to %1 is required").arg(targets.join(QStringLiteral(" or --to ")));
    if (!targets.contains(to))
        return QStringLiteral("--to takes %1, not \"%2\"").arg(targets.join(QStringLiteral(" or ")), to);
    parsed.to = to;
    parsed.optionsFile = line.value(QStringLiteral("options"));
    parsed.destFolder = line.value(QStringLiteral("dest"));
    parsed.overwrite = line.isSet(QStringLiteral("overwrite"));
    parsed.recursive = line.isSet(QStringLiteral("recursive"));
    parsed.quiet = line.isSet(QStringLiteral("quiet"));
    parsed.tags = !line.isSet(QStringLiteral("no-tags"));
    parsed.jobs = QThread::idealThreadCount();
    if (line.isSet(QStringLiteral("jobs"))) {
        bool ok = false;
        parsed.jobs = line.value(QStringLiteral("jobs")).toInt(&ok);
        if (!ok || parsed.jobs < 1) return QStringLiteral("--jobs takes a number of at least 1");
    }
    parsed.jobs = std::clamp(parsed.jobs, 1, kMaxJobs);
    parsed.files = line.positional();
    if (parsed.files.isEmpty()) return QStringLiteral("no file given");
    return {};
}

// The settings of --options FILE, or those of the program.
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
// being converted is rewritten in place while one file is converted at a time;
// otherwise each file gets one line when it is done. Quiet, only problems.
class Report
{
public:
    Report(QTextStream& err, bool quiet) : m_err(err), m_terminal(isatty(STDERR_FILENO) == 1), m_quiet(quiet)
    {
    }

    void problem(const QString& path, const QString& text) { problem(path + QStringLiteral(": ") + text); }
    void problem(const QString& text)
    {
        endLine();
        m_err << "audrel-cli convert: " << QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')) << '\n';
        m_err.flush();
    }

    void begin(int index, int count, const QString& source)
    {
        m_prefix = QStringLiteral("[%1/%2] %3").arg(index + 1).arg(count).arg(QFileInfo(source).fileName());
        m_percent = -1;
    }
    void progress(int percent)
    {
        if (m_quiet || !m_terminal || percent == m_percent) return;
        m_percent = percent;
        m_err << '\r' << m_prefix << "  " << percent << "%\x1b[K";
        m_err.flush();
        m_open = true;
    }
    void done(const QString& dest)
    {
        if (m_quiet) return endLine();
        if (m_open) m_err << '\r';
        m_err << m_prefix << "  done -> " << dest << (m_open ? "\x1b[K\n" : "\n");
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
    const bool m_quiet;
    bool m_open = false;
    QString m_prefix;
    int m_percent = -1;
};

// The files being written, one place per job, removed when the command is
// interrupted (a signal handler may touch nothing but these).
char g_partial[kMaxJobs][4096];
volatile std::sig_atomic_t g_partialSet[kMaxJobs] = {};

extern "C" void removePartialsAndExit(int signal)
{
    for (int job = 0; job < kMaxJobs; ++job)
        if (g_partialSet[job]) unlink(g_partial[job]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void setPartial(int job, const QString& path)
{
    g_partialSet[job] = 0;
    const QByteArray name = QFile::encodeName(path);
    if (path.isEmpty() || name.size() >= qsizetype(sizeof g_partial[job])) return;
    std::memcpy(g_partial[job], name.constData(), size_t(name.size()) + 1);
    g_partialSet[job] = 1;
}

// How a destination is known among those of this run.
QString destKey(const QString& dest)
{
    const QFileInfo info(dest);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? QDir::cleanPath(info.absolutePath()) : folder) + QLatin1Char('/') +
           info.fileName();
}

// One source to convert, in the order the files were given.
struct Task
{
    const Direction* direction;
    TCvtItem item;
};

// What became of a task, reported in the order of the tasks.
struct Outcome
{
    bool converted = false;
    QString dest;
    QString failure; // empty when converted
    QString warning; // a converted file whose tags could not be written
};

// Converts one task with a path of its direction (made and started on first
// use, on the calling thread); progress, when given, sees the percentages.
Outcome convertOne(const Task& task, std::unique_ptr<ConversionPath>& path, const Settings& settings,
                   bool tags, int job, const std::function<void(int)>& progress)
{
    Outcome outcome;
    outcome.dest = task.item.DestPath;
    if (!path) {
        path = ConversionPath::create(task.direction->kind, settings, ProgramFolder());
        path->setCarryTags(tags);
        try {
            path->Init();
        } catch (const EAudrelError& error) {
            outcome.failure = error.message();
            return outcome;
        }
    }
    DestinationFile destination;
    outcome.failure = destination.prepare(task.item.SourcePath, task.item.DestPath);
    if (outcome.failure.isEmpty()) {
        setPartial(job, destination.tempPath());
        outcome.failure = RunToEnd(*path, task.item, destination.tempPath(), progress, &outcome.warning);
        if (outcome.failure.isEmpty()) outcome.failure = destination.commit();
    }
    if (!outcome.failure.isEmpty()) destination.discard();
    setPartial(job, {});
    outcome.converted = outcome.failure.isEmpty();
    return outcome;
}

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

    Report report(err, parsed.quiet);
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
    // destFolder, when given, is where this source's result goes.
    auto addSource = [&](const Direction& direction, const QString& path, const QString& playlist,
                         const QString& destFolder) {
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
            TCvtItem item = TCvtItem::FromRow(list, list.count() - 1);
            if (!destFolder.isEmpty())
                item.DestPath = destFolder + QLatin1Char('/') + QFileInfo(item.DestPath).fileName();
            tasks.append({&direction, item});
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
        if (QFileInfo(path).isDir()) {
            // The folder's files of the kinds converted, in name order, its
            // subfolders after its files; below --dest each keeps its place.
            int taken = 0;
            std::function<void(const QString&)> walk = [&](const QString& folder) {
                const QDir dir(folder);
                const QString relative = QDir(path).relativeFilePath(folder);
                const QString destFolder =
                    parsed.destFolder.isEmpty()
                        ? QString()
                        : QDir::cleanPath(settings.DestFolder + QLatin1Char('/') + relative);
                for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
                    if (const Direction* direction = directionOf(KindOf(name))) {
                        addSource(*direction, dir.filePath(name), {}, destFolder);
                        ++taken;
                    }
                }
                if (!parsed.recursive) return;
                for (const QString& name :
                     dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name))
                    walk(dir.filePath(name));
            };
            walk(path);
            if (taken == 0) {
                report.problem(
                    path,
                    QStringLiteral("the folder holds no %1").arg(kindNames.join(QStringLiteral(" or "))));
                ++failed;
            }
        } else if (const Direction* direction = directionOf(fileKind)) {
            addSource(*direction, path, {}, {});
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
                addSource(*direction, QDir::cleanPath(entry), path, {});
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

    // What will not be converted is known before the first file: a destination
    // that an earlier source of this run writes, and one that exists already.
    int skipped = 0;
    QList<Task> work;
    {
        QSet<QString> claimed;
        for (const Task& task : std::as_const(tasks)) {
            const QString& dest = task.item.DestPath;
            const QFileInfo destInfo(dest);
            const QString key = destKey(dest);
            if (claimed.contains(key)) {
                report.problem(
                    task.item.SourcePath,
                    QStringLiteral("the destination \"%1\" is written from another file of this run "
                                   "and is not replaced")
                        .arg(dest));
                ++failed;
                continue;
            }
            claimed.insert(key);
            if ((destInfo.exists() || destInfo.isSymLink()) && !destInfo.isDir() && !parsed.overwrite) {
                report.problem(dest + QStringLiteral(" exists, skipped (use --overwrite)"));
                ++skipped;
                continue;
            }
            work.append(task);
        }
    }

    // Each direction's engine is started once before any file, so that an
    // engine that cannot start ends the command at once, and what it cannot do
    // as the settings ask is said once, before its first file.
    for (const Direction* direction : directions) {
        if (std::none_of(work.begin(), work.end(), [&](const Task& t) { return t.direction == direction; }))
            continue;
        std::unique_ptr<ConversionPath> probe =
            ConversionPath::create(direction->kind, settings, ProgramFolder());
        try {
            probe->Init();
        } catch (const EAudrelError& error) {
            report.problem(error.message());
            return ExitFailed;
        }
        for (const QString& line : probe->Notice().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            report.problem(QStringLiteral("warning: ") + line);
    }

    std::signal(SIGINT, removePartialsAndExit);
    std::signal(SIGTERM, removePartialsAndExit);
    std::signal(SIGHUP, removePartialsAndExit);

    int converted = 0;
    int warned = 0;
    const int count = int(work.size());
    const auto reportOutcome = [&](const Task& task, const Outcome& outcome) {
        if (!outcome.converted) {
            report.problem(task.item.SourcePath, outcome.failure);
            ++failed;
            return;
        }
        ++converted;
        report.done(outcome.dest);
        if (!outcome.warning.isEmpty()) {
            report.problem(task.item.SourcePath, QStringLiteral("warning: ") + outcome.warning);
            ++warned;
        }
    };

    const int jobs = std::min(parsed.jobs, std::max(count, 1));
    if (jobs == 1) {
        // One at a time, on this thread, with the progress of each.
        std::unique_ptr<ConversionPath> paths[4];
        for (int index = 0; index < count; ++index) {
            const Task& task = work[index];
            report.begin(index, count, task.item.SourcePath);
            report.progress(0);
            const Outcome outcome = convertOne(task, paths[int(task.direction->kind)], settings, parsed.tags,
                                               0, [&report](int percent) { report.progress(percent); });
            reportOutcome(task, outcome);
        }
    } else {
        // Up to jobs files at once, each worker with engines of its own; the
        // outcomes are reported here in the order of the files.
        std::vector<std::optional<Outcome>> outcomes(static_cast<size_t>(count));
        std::mutex mutex;
        std::condition_variable ready;
        std::atomic<int> next{0};
        std::vector<std::unique_ptr<QThread>> workers;
        for (int job = 0; job < jobs; ++job) {
            workers.emplace_back(QThread::create([&, job] {
                std::unique_ptr<ConversionPath> paths[4];
                for (int index = next++; index < count; index = next++) {
                    const Task& task = work[index];
                    Outcome outcome =
                        convertOne(task, paths[int(task.direction->kind)], settings, parsed.tags, job, {});
                    std::lock_guard lock(mutex);
                    outcomes[size_t(index)] = std::move(outcome);
                    ready.notify_all();
                }
            }));
            workers.back()->start();
        }
        for (int index = 0; index < count; ++index) {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return outcomes[size_t(index)].has_value(); });
            const Outcome outcome = *outcomes[size_t(index)];
            lock.unlock();
            report.begin(index, count, work[index].item.SourcePath);
            reportOutcome(work[index], outcome);
        }
        for (auto& worker : workers)
            worker->wait();
    }

    out << converted << " converted, " << skipped << " skipped, " << failed << " failed\n";
    out.flush();
    return failed > 0 || warned > 0 ? ExitFailed : ExitOk;
}

} // namespace audrel::cli
