#include "convert/directions.h"

#include "convert/anyformatpath.h"
#include "convert/mp3towavpath.h"
#include "convert/wavtomp3path.h"
#include "convert/wavtowmapath.h"
#include "convert/wmatowavpath.h"

namespace audrel {

namespace {

const Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
const Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

// Source, destination, status and duration, then the direction's own columns.
QList<JobColumn> columns(const char* source, const char* dest, QList<JobColumn> more)
{
    QList<JobColumn> all{{QLatin1String(source), 180, kLeft},
                         {QLatin1String(dest), 180, kLeft},
                         {QStringLiteral("Status"), 80, Qt::AlignCenter},
                         {QStringLiteral("Duration"), 80, kRight}};
    return all << more;
}

const JobColumn kSize{QStringLiteral("Size"), 80, kRight};

template <class Path> std::unique_ptr<ConversionPath> fromFolder(const Settings&, const QString& folder)
{
    return std::make_unique<Path>(folder);
}

template <class Path>
std::unique_ptr<ConversionPath> fromSettingsAndFolder(const Settings& settings, const QString& folder)
{
    return std::make_unique<Path>(settings, folder);
}

} // namespace

const std::array<Direction, kJobKindCount>& Directions()
{
    static const std::array<Direction, kJobKindCount> table{{
        {JobKind::Mp3ToWav, FileKind::Mpeg, false, ".wav", false, true, TagContainer::Wav, "wav",
         "an MPEG audio file (.mp3, .mp2, .mp1)",
         columns("MP3 Source File", "WAV Destination File",
                 {{QStringLiteral("Title"), 80, kLeft},
                  {QStringLiteral("Artist"), 80, kLeft},
                  {QStringLiteral("Album"), 80, kLeft},
                  {QStringLiteral("Year"), 50, kRight},
                  {QStringLiteral("Size"), 60, kRight}}),
         &fromFolder<Mp3ToWavPath>},
        {JobKind::WavToMp3, FileKind::Wav, false, ".mp3", true, true, TagContainer::Mpeg, "mp3", "a WAV file (.wav)",
         columns("WAV Source File", "MP3 Destination File", {kSize}),
         [](const Settings& settings, const QString&) -> std::unique_ptr<ConversionPath> {
             return std::make_unique<WavToMp3Path>(settings);
         }},
        {JobKind::WmaToWav, FileKind::Wma, false, ".wav", false, true, TagContainer::Wav, "wav", "a WMA file (.wma)",
         columns("WMA Source File", "WAV Destination File", {kSize}), &fromFolder<WmaToWavPath>},
        {JobKind::WavToWma, FileKind::Wav, false, ".wma", false, false, TagContainer::Wma, "wma", "a WAV file (.wav)",
         columns("WAV Source File", "WMA Destination File", {kSize}), &fromSettingsAndFolder<WavToWmaPath>},
        // Every other audio file, and any dropped on its own list, to the format of its tab.
        {JobKind::AnyFormat, FileKind::Other, true, "", false, true, TagContainer::None, "", "an audio file",
         columns("Source File", "Destination File",
                 {{QStringLiteral("Size"), 70, kRight},
                  {QStringLiteral("Format"), 190, kLeft},
                  {QStringLiteral("Title"), 100, kLeft},
                  {QStringLiteral("Artist"), 100, kLeft}}),
         &fromSettingsAndFolder<AnyFormatPath>},
    }};
    return table;
}

const Direction& DirectionOf(JobKind kind)
{
    return Directions()[size_t(kind)];
}

QString DestExtOf(JobKind kind, const Settings& settings)
{
    const Direction& d = DirectionOf(kind);
    return *d.destExt ? QLatin1String(d.destExt) : QLatin1String(DestinationFormatOf(settings.AnyFormat).ext);
}

ListRule ListRuleOf(JobKind kind, JobList* list, const Settings& settings)
{
    const Direction& d = DirectionOf(kind);
    return {list, d.source, DestExtOf(kind, settings), d.anyAudio, d.refusesMpeg, d.takesDispatched};
}

JobList* NewJobList(JobKind kind, QObject* parent)
{
    return new JobList(kind, DirectionOf(kind).columns, parent);
}

} // namespace audrel
