#include "jobs/rowbuilder.h"

#include "info/audiotags.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "jobs/counttext.h"
#include "jobs/playlists.h"
#include "platform/errors.h"
#include "platform/prompts/prompts.h"
#include "platform/smallfile.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>

#include <utility>

namespace audrel {

namespace {

// Whole seconds of a playing time, fraction dropped.
uint32_t wholeSeconds(double seconds)
{
    if (!(seconds > 0)) return 0;
    return seconds >= 4294967295.0 ? UINT32_MAX : uint32_t(seconds);
}

QString replaceExtension(const QString& name, const QString& ext)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot > slash ? name.left(dot) : name) + ext;
}

} // namespace

RowBuilder::RowBuilder(JobList* const (&lists)[4], const Settings& settings, TMPEGAudio& mpeg, TWAVfile& wav,
                       TWMAfile& wma)
    : m_lists{lists[0], lists[1], lists[2], lists[3]}, m_settings(settings), m_mpeg(mpeg), m_wav(wav),
      m_wma(wma)
{
}

QString RowBuilder::Destination(const QString& source, const QString& ext, const Settings& settings)
{
    if (settings.SameFolder) return replaceExtension(source, ext);
    QString folder = settings.DestFolder;
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    return folder + replaceExtension(source.mid(source.lastIndexOf(QLatin1Char('/')) + 1), ext);
}

// Appends the row with the file's size as its last column. A file whose size
// cannot be taken (it is missing, unreadable, or not a regular file) gets no
// row; it is noted among the skipped files and the add goes on.
bool RowBuilder::append(JobKind kind, std::unique_ptr<TJobRec> record, QStringList subItems)
{
    QString problem;
    const int64_t size = ReadableFileSize(record->Source, problem);
    if (size < 0) {
        m_skipped << problem;
        return false;
    }
    subItems << FormatMegabytes(size);
    m_lists[int(kind)]->appendRow(std::move(record), subItems);
    return true;
}

QStringList RowBuilder::readPlaylist(const QString& path)
{
    try {
        return ReadPlaylist(path);
    } catch (const EFileError& error) {
        m_skipped << error.message();
        return {};
    }
}

QStringList RowBuilder::takeSkipped()
{
    return std::exchange(m_skipped, {});
}

bool RowBuilder::AddMp3Row(const QString& path)
{
    if (!m_lists[int(JobKind::Mp3ToWav)]->IsNewSource(path)) return false;
    // No validity test: a file the analysis cannot use is added with what it reports.
    m_mpeg.LoadFile(path);
    auto rec = std::make_unique<TMp3Rec>();
    rec->Source = path;
    rec->Dest = Destination(path, QStringLiteral(".wav"), m_settings);
    rec->Seconds = m_mpeg.Data.Duration;
    QString title = m_mpeg.TitleOrDefault();
    QString artist = m_mpeg.ArtistOrDefault();
    QString album = m_mpeg.Data.Album;
    QString year = m_mpeg.Data.Year;
    // Without an ID3v1 tag, the tag most MP3 files carry today fills the columns.
    if (!m_mpeg.HasTag()) {
        const Id3v2Tag id3v2 = ReadId3v2(path);
        if (id3v2.Present) {
            const AudioTags& t = id3v2.Tags;
            if (!t.Title.isEmpty()) title = t.Title;
            if (!t.Artist.isEmpty()) artist = t.Artist;
            if (!t.Album.isEmpty()) album = t.Album;
            if (!t.Year.isEmpty()) year = t.Year;
        }
    }
    QStringList subItems{rec->Dest,
                         QString(),
                         FormatSeconds(rec->Seconds),
                         title.isEmpty() ? QStringLiteral("Unknown Title") : title,
                         artist.isEmpty() ? QStringLiteral("Unknown Artist") : artist,
                         album,
                         year};
    return append(JobKind::Mp3ToWav, std::move(rec), subItems);
}

bool RowBuilder::addWav(JobKind kind, const QString& path, const QString& ext, bool refuseMpeg)
{
    if (!m_lists[int(kind)]->IsNewSource(path)) return false;
    m_wav.LoadFile(path);
    if (!m_wav.Valid) return false;
    if (refuseMpeg && m_wav.FormatTag == 85) {
        showMessage(path + QStringLiteral(" is already a MP3 file,\nIt can not be converted to MP3 again!"),
                    QStringLiteral("Information"), MsgIcon::Warning);
        return false;
    }
    auto rec = std::make_unique<TWavRec>();
    rec->Source = path;
    rec->Dest = Destination(path, ext, m_settings);
    rec->SampleRate = m_wav.SampleRate;
    rec->BitsPerSample = m_wav.BitsPerSample;
    const QString channels = m_wav.ChannelModeText();
    rec->Mode = (channels == QLatin1String("Mono") || channels == QLatin1String("Unknown")) ? MONO : STEREO;
    rec->Seconds = wholeSeconds(m_wav.Duration());
    QStringList subItems{rec->Dest, QString(), FormatSeconds(rec->Seconds)};
    return append(kind, std::move(rec), subItems);
}

bool RowBuilder::AddWavRow(const QString& path)
{
    return addWav(JobKind::WavToMp3, path, QStringLiteral(".mp3"), true);
}

bool RowBuilder::AddWav2WMARow(const QString& path)
{
    return addWav(JobKind::WavToWma, path, QStringLiteral(".wma"), false);
}

bool RowBuilder::AddWMARow(const QString& path)
{
    if (!m_lists[int(JobKind::WmaToWav)]->IsNewSource(path)) return false;
    // No validity test: a file that is not valid WMA gets a duration of 0.
    m_wma.LoadFile(path);
    auto rec = std::make_unique<TWMARec>();
    rec->Source = path;
    rec->Dest = Destination(path, QStringLiteral(".wav"), m_settings);
    rec->Seconds = wholeSeconds(m_wma.Duration);
    QStringList subItems{rec->Dest, QString(), FormatSeconds(rec->Seconds)};
    return append(JobKind::WmaToWav, std::move(rec), subItems);
}

bool RowBuilder::AddRow(JobKind kind, const QString& path)
{
    switch (kind) {
    case JobKind::Mp3ToWav:
        return AddMp3Row(path);
    case JobKind::WavToMp3:
        return AddWavRow(path);
    case JobKind::WmaToWav:
        return AddWMARow(path);
    case JobKind::WavToWma:
        return AddWav2WMARow(path);
    }
    return false;
}

void RowBuilder::AddChosen(JobKind kind, const QStringList& files)
{
    const FileKind own = kind == JobKind::Mp3ToWav   ? FileKind::Mpeg
                         : kind == JobKind::WmaToWav ? FileKind::Wma
                                                     : FileKind::Wav;
    for (const QString& file : files) {
        const FileKind fileKind = KindOf(file);
        if (fileKind == own) {
            AddRow(kind, file);
        } else if (fileKind == FileKind::M3u || fileKind == FileKind::Pls) {
            for (const QString& entry : readPlaylist(file))
                if (KindOf(entry) == own && QFile::exists(entry)) AddRow(kind, entry);
        }
    }
}

void RowBuilder::Dispatch(const QString& path, Counts& counts)
{
    // Playlist entries: MPEG files only when they exist; the WAV reader refuses
    // missing files by itself, and a missing WMA file is noted as skipped.
    auto add = [this, &counts](const QString& file, bool fromPlaylist) {
        switch (KindOf(file)) {
        case FileKind::Mpeg:
            if ((!fromPlaylist || QFile::exists(file)) && AddMp3Row(file)) ++counts.Mpeg;
            break;
        case FileKind::Wav:
            if (AddWavRow(file)) ++counts.Wav;
            break;
        case FileKind::Wma:
            if (AddWMARow(file)) ++counts.Wma;
            break;
        default:
            break;
        }
    };
    const FileKind kind = KindOf(path);
    if (kind == FileKind::M3u || kind == FileKind::Pls) {
        for (const QString& entry : readPlaylist(path))
            add(entry, true);
    } else {
        add(path, false);
    }
}

} // namespace audrel
