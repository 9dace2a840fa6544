#include "cli/tagcommand.h"

#include "cli/commandline.h"
#include "info/audiotags.h"

#include "info/genres.h"
#include "info/infotext.h"
#include "info/mpegaudio.h"
#include "jobs/playlists.h"
#include "platform/errors.h"

#include <QFileInfo>

#include <cstring>
#include <optional>

namespace audrel::cli {

const char* const TagSummary = "write or remove the ID3v1 tag of an MP3 file";
const char* const TagUsage =
    "Usage: audrel-cli tag FILE [--title T] [--artist A] [--album B] [--year Y]\n"
    "                           [--comment C] [--track N] [--genre NAME|CODE]\n"
    "                           [--id3v2]\n"
    "       audrel-cli tag FILE --remove\n"
    "\n"
    "Writes the ID3v1 tag of an MPEG audio file (.mp3, .mp2, .mp1): the fields given\n"
    "replace those of the tag the file has; the others keep their values (empty when\n"
    "the file has no tag yet). Texts are cut to the tag's sizes (30 characters, the\n"
    "year 4) and stored in ISO-8859-1. The track is 0 to 255; the genre is a name of\n"
    "the ID3v1 list (any case) or a code 0 to 255, 255 meaning none.\n"
    "With --id3v2 the fields given also replace those of the file's ID3v2 tag, which\n"
    "players read first (in full Unicode). --remove takes the ID3v1 tag off instead.\n"
    "Afterwards the file's information is printed.\n"
    "\n"
    "Exit status: 0 done, 1 the file is not MPEG audio or could not be written, 2 for\n"
    "a usage error.\n";

namespace {

std::optional<int> genreCode(const QString& text)
{
    bool number = false;
    const int code = text.toInt(&number);
    if (number) return code >= 0 && code <= 255 ? std::optional<int>(code) : std::nullopt;
    for (int i = 0; i < GenreCount; ++i)
        if (text.compare(QLatin1String(GenreNames[i]), Qt::CaseInsensitive) == 0) return i;
    return std::nullopt;
}

} // namespace

int runTag(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    auto usage = [&err](const QString& problem) {
        err << "audrel-cli tag: " << problem << " (see audrel-cli tag --help)\n";
        return ExitUsage;
    };
    static const QStringList valued{"title", "artist", "album", "year", "comment", "track", "genre"};
    QList<QCommandLineOption> options{QCommandLineOption(QStringLiteral("remove")),
                                      QCommandLineOption(QStringLiteral("id3v2"))};
    for (const QString& name : valued)
        options.append(QCommandLineOption(name, {}, QStringLiteral("value")));
    CommandLine line(options);
    if (const QString problem = line.parse(arguments); !problem.isEmpty()) return usage(problem);
    const QStringList files = line.positional();
    if (files.isEmpty()) return usage(QStringLiteral("no file given"));
    if (files.size() > 1) return usage(QStringLiteral("one file at a time"));
    const QString path = files.first();
    const bool remove = line.isSet(QStringLiteral("remove"));
    const bool id3v2 = line.isSet(QStringLiteral("id3v2"));
    QHash<QString, QString> fields;
    for (const QString& name : valued)
        if (line.isSet(name)) fields.insert(QStringLiteral("--") + name, line.value(name));
    if (remove && (!fields.isEmpty() || id3v2))
        return usage(QStringLiteral("--remove takes no other option"));
    if (!remove && fields.isEmpty())
        return usage(QStringLiteral("nothing to write: give a field option or --remove"));

    std::optional<int> genre;
    if (fields.contains("--genre") && !(genre = genreCode(fields["--genre"])))
        return usage(QStringLiteral("unknown genre \"%1\"").arg(fields["--genre"]));
    std::optional<int> track;
    if (fields.contains("--track")) {
        bool ok = false;
        const int value = fields["--track"].toInt(&ok);
        if (!ok || value < 0 || value > 255)
            return usage(QStringLiteral("the track is a number from 0 to 255"));
        track = value;
    }

    auto fail = [&err, &path](const QString& problem) {
        err << "audrel-cli tag: " << path << ": " << problem << '\n';
        return ExitFailed;
    };
    if (KindOf(path) != FileKind::Mpeg)
        return fail(QStringLiteral("not an MPEG audio file (expected .mp3, .mp2 or .mp1)"));
    if (!QFileInfo::exists(path)) return fail(QStringLiteral("file not found"));

    TMPEGAudio mpeg;
    mpeg.OnError = nullptr; // no questions on the command line
    mpeg.LoadFile(path);
    if (!mpeg.IsValid()) return fail(QStringLiteral("no MPEG audio found; the file is left as it was"));

    // Start from the tag the file has; a file without one starts empty.
    if (!mpeg.HasTag()) {
        for (auto setter :
             {&TMPEGAudio::setTitle, &TMPEGAudio::setArtist, &TMPEGAudio::setAlbum, &TMPEGAudio::setComment})
            (mpeg.*setter)(QString());
        mpeg.setYear(QStringLiteral("    "));
        mpeg.setGenre(255);
        mpeg.setTrack(0);
    }
    const std::pair<const char*, void (TMPEGAudio::*)(const QString&)> texts[] = {
        {"--title", &TMPEGAudio::setTitle}, {"--artist", &TMPEGAudio::setArtist},
        {"--album", &TMPEGAudio::setAlbum}, {"--comment", &TMPEGAudio::setComment},
        {"--year", &TMPEGAudio::setYear},
    };
    for (const auto& [option, setter] : texts)
        if (fields.contains(QLatin1String(option))) (mpeg.*setter)(fields[QLatin1String(option)]);
    if (genre) mpeg.setGenre(uint8_t(*genre));
    if (track) mpeg.setTrack(uint8_t(*track));

    // With --id3v2, the file's ID3v2 tag takes the fields given too.
    const Id3v2Tag v2 = id3v2 ? ReadId3v2(path) : Id3v2Tag();
    if (id3v2 && !v2.Present) return fail(QStringLiteral("the file has no ID3v2 tag to update"));
    int32_t result = 0;
    try {
        if (id3v2) {
            TagChanges changes;
            const std::pair<const char*, std::optional<QString> TagChanges::*> texts[] = {
                {"--title", &TagChanges::Title}, {"--artist", &TagChanges::Artist},
                {"--album", &TagChanges::Album}, {"--comment", &TagChanges::Comment},
                {"--year", &TagChanges::Year},
            };
            for (const auto& [option, field] : texts)
                if (fields.contains(QLatin1String(option))) changes.*field = fields[QLatin1String(option)];
            if (genre) changes.Genre = GenreName(uint8_t(*genre));
            if (track) changes.Track = uint32_t(*track);
            if (const QString problem = UpdateId3v2(path, changes); !problem.isEmpty()) return fail(problem);
        }
        result = remove ? mpeg.RemoveTag() : mpeg.WriteTag();
    } catch (const EAudrelError& e) {
        return fail(e.message());
    }
    if (result != 0)
        return fail(
            QStringLiteral("cannot write the file: ") +
            (result > 0 ? QString::fromLocal8Bit(std::strerror(result)) : QStringLiteral("file not found")));
    out << path << '\n';
    for (const QString& line : MpegMemoLines(mpeg) + MpegTagLines(mpeg))
        out << "  " << line << '\n';
    out.flush();
    return ExitOk;
}

} // namespace audrel::cli
