#include "jobs/rowbuilder.h"

#include "info/audiotags.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"
#include "jobs/counttext.h"
#include "jobs/playlists.h"
#include "platform/audio/ffmpegmodule.h"
#include "platform/errors.h"
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

RowBuilder::RowBuilder(QList<ListRule> rules, const Settings& settings, TMPEGAudio& mpeg, TWAVfile& wav,
                       TWMAfile& wma)
    : m_rules(std::move(rules)), m_settings(settings), m_mpeg(mpeg), m_wav(wav), m_wma(wma)
{
}

const ListRule* RowBuilder::ruleOf(JobKind kind) const
{
    for (const ListRule& rule : m_rules)
        if (rule.list->kind() == kind) return &rule;
    return nullptr;
}

bool RowBuilder::takes(const ListRule& rule, FileKind kind)
{
    return rule.anyAudio ? IsAudio(kind) : kind == rule.source;
}

const ListRule* RowBuilder::DispatchRule(FileKind kind) const
{
    for (const ListRule& rule : m_rules)
        if (rule.takesDispatched && takes(rule, kind)) return &rule;
    return nullptr;
}

void RowBuilder::setDestExt(JobKind kind, const QString& ext)
{
    for (ListRule& rule : m_rules)
        if (rule.list->kind() == kind) rule.destExt = ext;
}

void RowBuilder::Retarget(JobList& list, const QString& ext)
{
    for (int row = 0; row < list.count(); ++row) {
        TJobRec& rec = list.record(row);
        if (rec.State == JobState::Converted) continue;
        rec.Dest = replaceExtension(rec.Dest, ext);
        list.setSubItem(row, JobList::SubDest, rec.Dest);
    }
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
AddResult RowBuilder::append(const ListRule& rule, std::unique_ptr<TJobRec> record, QStringList subItems,
                             int sizeAt)
{
    QString problem;
    const int64_t size = ReadableFileSize(record->Source, problem);
    if (size < 0) {
        m_skipped << problem;
        return {AddResult::Unreadable, problem};
    }
    subItems.insert(sizeAt < 0 ? subItems.size() : sizeAt, FormatMegabytes(size));
    rule.list->appendRow(std::move(record), subItems);
    return {};
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

AddResult RowBuilder::addMpeg(const ListRule& rule, const QString& path)
{
    // No validity test: a file the analysis cannot use is added with what it reports.
    m_mpeg.LoadFile(path);
    auto rec = std::make_unique<TMp3Rec>();
    rec->Source = path;
    rec->Dest = Destination(path, rule.destExt, m_settings);
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
    return append(rule, std::move(rec), subItems);
}

AddResult RowBuilder::addWav(const ListRule& rule, const QString& path)
{
    m_wav.LoadFile(path);
    if (!m_wav.Valid) return {AddResult::NotWav, {}};
    if (rule.refusesMpeg && m_wav.FormatTag == 85) {
        const AddResult refused{
            AddResult::AlreadyMpeg,
            path + QStringLiteral(" is already a MP3 file,\nIt can not be converted to MP3 again!")};
        if (OnRefused) OnRefused(refused);
        return refused;
    }
    auto rec = std::make_unique<TWavRec>();
    rec->Source = path;
    rec->Dest = Destination(path, rule.destExt, m_settings);
    rec->SampleRate = m_wav.SampleRate;
    rec->BitsPerSample = m_wav.BitsPerSample;
    const QString channels = m_wav.ChannelModeText();
    rec->Mode = (channels == QLatin1String("Mono") || channels == QLatin1String("Unknown")) ? MONO : STEREO;
    rec->Seconds = wholeSeconds(m_wav.Duration());
    QStringList subItems{rec->Dest, QString(), FormatSeconds(rec->Seconds)};
    return append(rule, std::move(rec), subItems);
}

AddResult RowBuilder::addWma(const ListRule& rule, const QString& path)
{
    // No validity test: a file that is not valid WMA gets a duration of 0.
    m_wma.LoadFile(path);
    auto rec = std::make_unique<TWMARec>();
    rec->Source = path;
    rec->Dest = Destination(path, rule.destExt, m_settings);
    rec->Seconds = wholeSeconds(m_wma.Duration);
    QStringList subItems{rec->Dest, QString(), FormatSeconds(rec->Seconds)};
    return append(rule, std::move(rec), subItems);
}

AddResult RowBuilder::addAny(const ListRule& rule, const QString& path)
{
    // Only a file that can be opened at all is asked what it holds.
    QString problem;
    if (ReadableFileSize(path, problem) < 0) {
        m_skipped << problem;
        return {AddResult::Unreadable, problem};
    }
    const audio::FfmpegModule* ffmpeg = audio::FfmpegModule::load(m_mediaFolder, &problem);
    audio::MediaFacts facts;
    const audio::AudioError probed = ffmpeg ? ffmpeg->probe(path, facts) : audio::AudioError::OpenFailed;
    if (probed != audio::AudioError::None) {
        if (ffmpeg) problem = probed == audio::AudioError::Protected
                                  ? QStringLiteral("%1: it is protected by DRM").arg(path)
                                  : QStringLiteral("%1: it holds no audio that can be decoded").arg(path);
        else
            problem = path + QStringLiteral(": ") + problem;
        m_skipped << problem;
        return {AddResult::NotAudio, problem};
    }
    auto rec = std::make_unique<TAnyRec>();
    rec->Source = path;
    rec->Dest = Destination(path, rule.destExt, m_settings);
    rec->SampleRate = uint32_t(facts.sampleRate);
    rec->Channels = uint32_t(facts.channels);
    rec->Mode = facts.channels == 1 ? MONO : STEREO;
    rec->BitsPerSample = uint32_t(facts.bitsPerSample);
    rec->Seconds = wholeSeconds(double(facts.durationMs) / 1000);
    const AudioTags tags = ReadTags(path);
    QStringList subItems{rec->Dest, QString(), FormatSeconds(rec->Seconds), FormatText(facts), tags.Title,
                         tags.Artist};
    return append(rule, std::move(rec), subItems, 3);
}

AddResult RowBuilder::AddRow(JobKind kind, const QString& path)
{
    const ListRule* rule = ruleOf(kind);
    if (!rule) return {AddResult::NotWav, {}};
    if (!rule->list->IsNewSource(path)) return {AddResult::Duplicate, {}};
    if (rule->anyAudio) return addAny(*rule, path);
    switch (rule->source) {
    case FileKind::Mpeg:
        return addMpeg(*rule, path);
    case FileKind::Wav:
        return addWav(*rule, path);
    case FileKind::Wma:
        return addWma(*rule, path);
    default:
        return {AddResult::NotWav, {}};
    }
}

void RowBuilder::AddChosen(JobKind kind, const QStringList& files)
{
    const ListRule* rule = ruleOf(kind);
    if (!rule) return;
    for (const QString& file : files) {
        const FileKind fileKind = KindOf(file);
        if (takes(*rule, fileKind)) {
            AddRow(kind, file);
        } else if (IsPlaylist(fileKind)) {
            for (const QString& entry : readPlaylist(file))
                if (takes(*rule, KindOf(entry)) && QFile::exists(entry)) AddRow(kind, entry);
        }
    }
}

void RowBuilder::Dispatch(const QString& path, Counts& counts, const ListRule* target)
{
    // Playlist entries: MPEG files only when they exist; the WAV reader refuses
    // missing files by itself, and a missing WMA file is noted as skipped.
    auto add = [this, &counts, target](const QString& file, bool fromPlaylist) {
        const FileKind kind = KindOf(file);
        const ListRule* rule = target && takes(*target, kind) ? target : target ? nullptr : DispatchRule(kind);
        if (!rule) return;
        if (kind == FileKind::Mpeg && fromPlaylist && !QFile::exists(file)) return;
        if (!AddRow(rule->list->kind(), file)) return;
        if (rule->anyAudio)
            ++counts.Other;
        else if (kind == FileKind::Mpeg)
            ++counts.Mpeg;
        else if (kind == FileKind::Wav)
            ++counts.Wav;
        else if (kind == FileKind::Wma)
            ++counts.Wma;
    };
    if (IsPlaylist(KindOf(path))) {
        for (const QString& entry : readPlaylist(path))
            add(entry, true);
    } else {
        add(path, false);
    }
}

} // namespace audrel
