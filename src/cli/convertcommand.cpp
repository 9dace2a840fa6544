#include "cli/convertcommand.h"

#include "cli/commandline.h"
#include "convert/anyformatpath.h"
#include "convert/batchrunner.h"
#include "convert/destinationfile.h"
#include "convert/directions.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "jobs/joblist.h"
#include "jobs/playlists.h"
#include "jobs/rowbuilder.h"
#include "platform/errors.h"
#include "settings/settings.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

#include <dirent.h>
#include <unistd.h>

namespace audrel::cli {

const char* const ConvertSummary = "convert audio files: WAV to MP3 or WMA, MPEG audio and WMA to WAV, "
                                   "and any audio file to MP3, WAV, FLAC, Ogg Vorbis, Opus, AAC, ALAC or WMA";
const char* const ConvertUsage =
    "Usage: audrel-cli convert --to mp3|wma|wav|flac|ogg|opus|m4a|alac [OPTIONS] FILE|FOLDER...\n"
    "\n"
    "Converts each FILE the way the program's job lists do:\n"
    "  --to mp3   WAV files (.wav) are encoded to MP3 with the encoder settings\n"
    "             (sample rate, mode, bit rate, quality, VBR, CRC and flags)\n"
    "  --to wma   WAV files (.wav) are encoded to WMA (WMA v2) with the settings of\n"
    "             the WMA encoder (sample rate, bit rate, channels); no DRM\n"
    "             protection is applied, and a warning says so when it is asked for\n"
    "  --to wav   MPEG audio files (.mp3, .mp2, .mp1) and WMA files (.wma) are\n"
    "             decoded to WAV\n"
    "Every other audio file FFmpeg decodes (.flac .ogg .oga .opus .m4a .m4b .mp4\n"
    ".aac .aif .aiff .aifc .ape .wv .mka .webm .caf .ac3 .mpc .tta .au) is converted\n"
    "as the Any Format list converts it, to any of these:\n"
    "  --to mp3   MP3, with the MP3 encoder settings (at most 48 kHz, stereo)\n"
    "  --to wav   WAV, in the source's own sample format or 16-bit\n"
    "  --to flac  FLAC, with its compression level; the source's samples kept\n"
    "  --to ogg   Ogg Vorbis, with its quality\n"
    "  --to opus  Opus, with its bit rate, at 48 kHz\n"
    "  --to m4a   AAC in M4A, with its bit rate\n"
    "  --to alac  ALAC in M4A; the source's samples kept\n"
    "  --to wma   WMA, with the settings of the WMA encoder\n"
    "and so are MPEG audio, WAV and WMA files to a format their own list does not\n"
    "make (an MP3 file to FLAC, a WAV file to Opus). The formats' settings are\n"
    "those of the AnyFormat section of the settings. Sources of more channels than\n"
    "a format holds are mixed down (MP3 and WMA: to stereo).\n"
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
    "  --no-tags       do not carry the tags (title, artist, album, album artist,\n"
    "                  year, comment, genre, track, disc, copyright, cover) from\n"
    "                  each source to its result\n"
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

// The words of --to: those of the directions, then the formats' others.
QStringList targetWords()
{
    QStringList words;
    for (const Direction& direction : Directions())
        if (*direction.cliWord && !words.contains(QLatin1String(direction.cliWord)))
            words << QLatin1String(direction.cliWord);
    for (const DestinationFormat& format : DestinationFormats())
        if (!words.contains(QLatin1String(format.word))) words << QLatin1String(format.word);
    return words;
}

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

    const QStringList targets = targetWords();
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
        settings = LoadSettingsFile(info.absoluteFilePath());
    }
    if (!arguments.destFolder.isEmpty()) {
        settings.SameFolder = false;
        settings.DestFolder = QDir::cleanPath(QFileInfo(arguments.destFolder).absoluteFilePath());
    }
    // The Any Format list's sources are converted to the format --to names.
    settings.AnyFormat = arguments.to;
    return true;
}

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


// Why a folder cannot be listed, or an empty string.
QString unlistable(const QString& folder)
{
    DIR* listing = opendir(QFile::encodeName(folder).constData());
    if (!listing) return QString::fromLocal8Bit(std::strerror(errno));
    closedir(listing);
    return {};
}

// The sources named on the command line (files, playlists, folders), made
// into work items by the job lists' own rules; what cannot be converted is
// reported as it is met.
class Sources
{
public:
    Sources(const Arguments& arguments, const Settings& settings, Report& report)
        : m_arguments(arguments), m_settings(settings), m_report(report),
          m_builder(rules(), settings, m_mpeg, m_wav, m_wma)
    {
        m_mpeg.OnError = nullptr; // a file that is not MPEG audio is reported when it is decoded
        m_builder.setMediaFolder(ProgramFolder());
        // The program's own directions to --to's word, then the Any Format
        // list for every other audio file, when the word is one of its formats.
        const bool anyFormat = std::any_of(DestinationFormats().begin(), DestinationFormats().end(),
                                           [&](const DestinationFormat& f) { return arguments.to == QLatin1String(f.word); });
        QStringList sourceNames;
        for (const Direction& direction : Directions()) {
            if (direction.anyAudio ? !anyFormat : arguments.to != QLatin1String(direction.cliWord)) continue;
            m_directions << &direction;
            const QString name = QLatin1String(direction.sourceText);
            sourceNames << name;
            // "a WAV file (.wav)", and "WAV file (.wav)" without the article.
            m_kindNames << name.mid(name.indexOf(QLatin1Char(' ')) + 1);
        }
        m_sourcesText = sourceNames.join(QStringLiteral(" or "));
    }

    void add(const QString& argument)
    {
        const QString path = QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
        const FileKind kind = KindOf(path);
        if (QFileInfo(path).isDir())
            addFolder(path);
        else if (const Direction* direction = directionOf(kind))
            addSource(*direction, path, {}, {});
        else if (IsPlaylist(kind))
            addPlaylist(path);
        else
            problem(path, QStringLiteral("not %1: only those are converted to %2")
                              .arg(m_sourcesText, m_arguments.to.toUpper()));
    }

    QList<TCvtItem> items;
    int failed = 0;

private:
    QList<ListRule> rules()
    {
        QList<ListRule> rules;
        for (const Direction& direction : Directions()) {
            m_lists[size_t(direction.kind)].reset(NewJobList(direction.kind));
            rules << ListRuleOf(direction.kind, m_lists[size_t(direction.kind)].get(), m_settings);
        }
        return rules;
    }

    // The direction of --to for a kind of file: its own list's, else the
    // Any Format list's for an audio file.
    const Direction* directionOf(FileKind kind) const
    {
        for (const Direction* direction : m_directions)
            if (!direction->anyAudio && direction->source == kind) return direction;
        for (const Direction* direction : m_directions)
            if (direction->anyAudio && IsAudio(kind)) return direction;
        return nullptr;
    }
    QString kindNames() const { return m_kindNames.join(QStringLiteral(" or ")); }

    void problem(const QString& path, const QString& text)
    {
        m_report.problem(path, text);
        ++failed;
    }

    // destFolder, when given, is where this source's result goes.
    void addSource(const Direction& direction, const QString& path, const QString& playlist,
                   const QString& destFolder)
    {
        JobList& list = *m_lists[size_t(direction.kind)];
        if (!list.IsNewSource(path)) return; // converted once
        const QFileInfo info(path);
        // Names that are not UTF-8 do not survive the way into the program.
        if (path.contains(QChar::ReplacementCharacter))
            return problem(path, QStringLiteral("the file name is not valid UTF-8 and cannot be opened; rename "
                                                "the file"));
        if (!info.exists())
            return problem(path, playlist.isEmpty()
                                     ? QStringLiteral("file not found")
                                     : QStringLiteral("file not found (an entry of %1)").arg(playlist));
        if (!info.isFile() || !info.isReadable()) return problem(path, QStringLiteral("not a readable file"));
        const AddResult added = m_builder.AddRow(direction.kind, path);
        m_builder.takeSkipped();
        switch (added.kind) {
        case AddResult::Added: {
            TCvtItem item = TCvtItem::FromRow(list, list.count() - 1);
            if (!destFolder.isEmpty())
                item.DestPath = destFolder + QLatin1Char('/') + QFileInfo(item.DestPath).fileName();
            items.append(item);
            return;
        }
        case AddResult::Duplicate:
            return;
        case AddResult::Unreadable:
        case AddResult::NotAudio:
            m_report.problem(added.message);
            ++failed;
            return;
        case AddResult::AlreadyMpeg:
            m_report.problem(QString(added.message).replace(QLatin1String(",\n"), QLatin1String(", ")));
            ++failed;
            return;
        case AddResult::NotWav:
            return problem(path, QStringLiteral("not a WAV file that can be encoded (a RIFF WAVE file with one "
                                                "or two channels and its \"fmt \" chunk first)"));
        }
    }

    // The folder's files of the kinds converted, in name order, its
    // subfolders after its files; below --dest each keeps its place.
    void addFolder(const QString& path)
    {
        int taken = 0;
        std::function<void(const QString&)> walk = [&](const QString& folder) {
            // A folder that cannot be listed is named, not passed over as empty.
            if (const QString reason = unlistable(folder); !reason.isEmpty()) {
                problem(folder, QStringLiteral("the folder cannot be read: ") + reason);
                ++taken;
                return;
            }
            const QDir dir(folder);
            const QString relative = QDir(path).relativeFilePath(folder);
            const QString destFolder =
                m_arguments.destFolder.isEmpty()
                    ? QString()
                    : QDir::cleanPath(m_settings.DestFolder + QLatin1Char('/') + relative);
            for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
                if (const Direction* direction = directionOf(KindOf(name))) {
                    addSource(*direction, dir.filePath(name), {}, destFolder);
                    ++taken;
                }
            }
            if (!m_arguments.recursive) return;
            for (const QString& name :
                 dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name))
                walk(dir.filePath(name));
        };
        walk(path);
        if (taken == 0) problem(path, QStringLiteral("the folder holds no %1").arg(kindNames()));
    }

    void addPlaylist(const QString& path)
    {
        QStringList entries;
        try {
            entries = ReadPlaylist(path);
        } catch (const EFileError& error) {
            return problem(path, error.message());
        }
        int taken = 0;
        for (const QString& entry : entries) {
            const Direction* direction = directionOf(KindOf(entry));
            if (!direction) continue;
            addSource(*direction, QDir::cleanPath(entry), path, {});
            ++taken;
        }
        if (taken == 0) problem(path, QStringLiteral("the playlist names no %1").arg(kindNames()));
    }

    const Arguments& m_arguments;
    const Settings& m_settings;
    Report& m_report;
    std::array<std::unique_ptr<JobList>, kJobKindCount> m_lists;
    TMPEGAudio m_mpeg;
    TWAVfile m_wav;
    TWMAfile m_wma;
    RowBuilder m_builder;
    QList<const Direction*> m_directions; // those of --to
    QStringList m_kindNames;
    QString m_sourcesText;
};

// The command's answers to the runner: an existing destination is replaced
// with --overwrite only, and a failure is reported while the rest goes on.
class CommandHandler final : public BatchHandler
{
public:
    explicit CommandHandler(bool overwrite) : m_overwrite(overwrite) {}
    bool ReplaceExisting(const TCvtItem&) override { return m_overwrite; }
    bool ItemFailed(const TCvtItem&, const QString&) override { return true; }

private:
    bool m_overwrite;
};

// What became of an item, reported in the order of the items.
struct Outcome
{
    enum State
    {
        Pending,
        Converted,
        Skipped,
        Failed
    };
    State state = Pending;
    QString text; // the failure, or the warning of a converted file
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

    Report report(err, parsed.quiet);
    Sources sources(parsed, settings, report);
    for (const QString& argument : parsed.files)
        sources.add(argument);
    int failed = sources.failed;

    // What will not be converted is known before the first file: a destination
    // that an earlier source of this run writes, and one that exists already.
    int skipped = 0;
    QList<TCvtItem> work;
    QList<JobKind> kinds;
    {
        QSet<QString> claimed;
        for (const TCvtItem& item : std::as_const(sources.items)) {
            const QString& dest = item.DestPath;
            const QFileInfo destInfo(dest);
            const QString key = destKey(dest);
            if (claimed.contains(key)) {
                report.problem(item.SourcePath,
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
            work.append(item);
            if (!kinds.contains(item.Kind)) kinds << item.Kind;
        }
    }

    const int count = int(work.size());
    CommandHandler handler(parsed.overwrite);
    BatchRunner runner(settings, ProgramFolder(), std::min(parsed.jobs, std::max(count, 1)), handler);
    runner.setCarryTags(parsed.tags);
    runner.setItems(work);
    // Each direction's engine is started once before any file, so that an
    // engine that cannot start ends the command at once, and what it cannot do
    // as the settings ask is said once, before its first file.
    if (const QString problem = runner.init(kinds); !problem.isEmpty()) {
        report.problem(problem);
        return ExitFailed;
    }
    for (const QString& line : runner.notice().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        report.problem(QStringLiteral("warning: ") + line);

    std::signal(SIGINT, removePartialsAndExit);
    std::signal(SIGTERM, removePartialsAndExit);
    std::signal(SIGHUP, removePartialsAndExit);

    // Outcomes are reported in the order of the files; one file at a time,
    // each shows its progress while it is converted.
    const bool oneAtATime = runner.jobs() == 1;
    std::vector<Outcome> outcomes(static_cast<size_t>(count));
    int reported = 0;
    int converted = 0;
    int warned = 0;
    const auto flush = [&] {
        for (; reported < count && outcomes[size_t(reported)].state != Outcome::Pending; ++reported) {
            const TCvtItem& item = work[reported];
            const Outcome& outcome = outcomes[size_t(reported)];
            if (!oneAtATime) report.begin(reported, count, item.SourcePath);
            switch (outcome.state) {
            case Outcome::Failed:
                report.problem(item.SourcePath, outcome.text);
                ++failed;
                break;
            case Outcome::Skipped:
                report.problem(item.DestPath + QStringLiteral(" exists, skipped (use --overwrite)"));
                ++skipped;
                break;
            case Outcome::Converted:
                ++converted;
                report.done(item.DestPath);
                if (!outcome.text.isEmpty()) {
                    report.problem(item.SourcePath, QStringLiteral("warning: ") + outcome.text);
                    ++warned;
                }
                break;
            case Outcome::Pending:
                break;
            }
        }
    };
    std::vector<int> slotOf(static_cast<size_t>(count), 0);
    QObject::connect(&runner, &BatchRunner::itemStarted, [&](int index, int slot) {
        slotOf[size_t(index)] = slot;
        setPartial(slot, DestinationFile::TempPathFor(work[index].DestPath));
        if (!oneAtATime) return;
        report.begin(index, count, work[index].SourcePath);
        report.progress(0);
    });
    QObject::connect(&runner, &BatchRunner::itemProgress, [&](int, qint64 done, qint64 total) {
        if (oneAtATime) report.progress(int(done * 100 / total));
    });
    const auto ended = [&](int index, Outcome::State state, const QString& text) {
        setPartial(slotOf[size_t(index)], {});
        outcomes[size_t(index)] = {state, text};
        flush();
    };
    QObject::connect(&runner, &BatchRunner::itemFinished,
                     [&](int index, const QString& warning) { ended(index, Outcome::Converted, warning); });
    QObject::connect(&runner, &BatchRunner::itemFailed,
                     [&](int index, const QString& message) { ended(index, Outcome::Failed, message); });
    QObject::connect(&runner, &BatchRunner::itemSkipped, [&](int index) { ended(index, Outcome::Skipped, {}); });

    QEventLoop loop;
    QObject::connect(&runner, &BatchRunner::runFinished, &loop, &QEventLoop::quit);
    runner.start();
    if (runner.running()) loop.exec();

    out << converted << " converted, " << skipped << " skipped, " << failed << " failed\n";
    out.flush();
    return failed > 0 || warned > 0 ? ExitFailed : ExitOk;
}

} // namespace audrel::cli
