#include "info/infotext.h"

#include "info/audiotags.h"
#include "info/genres.h"
#include "info/mpegaudio.h"
#include "info/wavfile.h"
#include "info/wmafile.h"

#include <cmath>
#include <cstdlib>

namespace audrel {

namespace {

QString yesNo(const char* label, bool value)
{
    return QString::fromLatin1(label) + (value ? QStringLiteral("Yes") : QStringLiteral("No"));
}

// Zero bytes of a raw tag field would end the line on most outputs.
QString printable(QString text)
{
    text.replace(QChar(0), QLatin1Char(' '));
    return text;
}

} // namespace

QString FormatDecimal3(double value)
{
    if (!std::isfinite(value)) return QString::number(value);
    const double thousandths = std::round(std::fabs(value) * 1000.0);
    const auto whole = static_cast<long long>(std::floor(thousandths / 1000.0));
    const auto fraction = static_cast<int>(thousandths - double(whole) * 1000.0);
    QString text = value < 0 && thousandths != 0 ? QStringLiteral("-") : QString();
    if (whole != 0) text += QString::number(whole);
    return text + QLatin1Char('.') + QStringLiteral("%1").arg(fraction, 3, 10, QLatin1Char('0'));
}

QStringList MpegMemoLines(const TMPEGAudio& mpeg)
{
    const TMPEGInfo& d = mpeg.Data;
    return {
        QStringLiteral("Size: %1 bytes").arg(d.FileLength),
        QStringLiteral("Length: %1 seconds").arg(d.Duration),
        QStringLiteral("Version: Mpeg ") + mpeg.VersionText() + QStringLiteral(" Layer ") + mpeg.LayerText(),
        QStringLiteral("%1kbit, %2Frames").arg(d.BitRate).arg(int(d.FrameLength)),
        QStringLiteral("%1Hz, ").arg(d.SampleRate) + mpeg.ModeText(),
        yesNo("CRCs: ", !d.ErrorProt),
        yesNo("Copyrighted: ", d.Copyrighted),
        yesNo("Original: ", d.Original),
        yesNo("Padding: ", d.Padding),
    };
}

QStringList MpegTagLines(const TMPEGAudio& mpeg)
{
    const TMPEGInfo& d = mpeg.Data;
    return {
        yesNo("ID3v1 Tag: ", mpeg.HasTag()),
        QStringLiteral("Title: ") + printable(mpeg.TitleOrDefault()),
        QStringLiteral("Artist: ") + printable(mpeg.ArtistOrDefault()),
        QStringLiteral("Album: ") + printable(d.Album),
        QStringLiteral("Year: ") + printable(d.Year),
        QStringLiteral("Comment: ") + printable(d.Comment),
        QStringLiteral("Track: %1").arg(int(d.Track)),
        QStringLiteral("Genre: ") + GenreName(d.Genre),
    };
}

QStringList WavMemoLines(const TWAVfile& wav)
{
    if (!wav.Valid) return {};
    return {
        QStringLiteral("Format: ") + wav.FormatText(),
        QStringLiteral("Channel mode: ") + wav.ChannelModeText(),
        QStringLiteral("Sample rate: %1 hz").arg(wav.SampleRate),
        QStringLiteral("Bytes per second: %1 bytes").arg(wav.BytesPerSecond),
        QStringLiteral("Bits per sample: %1 bit").arg(int(wav.BitsPerSample)),
        QStringLiteral("Duration: ") + FormatDecimal3(wav.Duration()) + QStringLiteral(" sec."),
        QStringLiteral("File Size: %1 bytes").arg(wav.FileSize),
    };
}

QStringList WmaMemoLines(const TWMAfile& wma)
{
    if (!wma.Valid) return {};
    return {
        QStringLiteral("Format: Windows Media Audio"),
        QStringLiteral("Channel mode: ") + wma.ChannelModeText(),
        QStringLiteral("Sample rate: %1 hz").arg(wma.SampleRate),
        QStringLiteral("Bit Rate: %1 kb/s").arg(wma.BitRate),
        QStringLiteral("Duration: ") + FormatDecimal3(wma.Duration) + QStringLiteral(" sec."),
        QStringLiteral("File Size: %1 bytes").arg(wma.FileSize),
    };
}

QStringList MediaMemoLines(const audio::MediaFacts& facts, const AudioTags& tags)
{
    QStringList lines;
    const auto add = [&lines](const char* name, const QString& value) {
        if (!value.isEmpty()) lines << QLatin1String(name) + QStringLiteral(": ") + value;
    };
    const auto ofTotal = [](uint32_t number, uint32_t total) {
        if (number == 0) return QString();
        return total > 0 ? QStringLiteral("%1/%2").arg(number).arg(total) : QString::number(number);
    };
    add("Format", facts.container);
    add("Codec", facts.codecTitle.isEmpty() || facts.codecTitle == facts.codec
                     ? facts.codec
                     : QStringLiteral("%1 (%2)").arg(facts.codecTitle, facts.codec));
    if (facts.durationMs > 0) {
        const int64_t seconds = facts.durationMs / 1000;
        add("Duration", QStringLiteral("%1:%2:%3.%4")
                            .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                            .arg(seconds % 3600 / 60, 2, 10, QLatin1Char('0'))
                            .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                            .arg(facts.durationMs % 1000, 3, 10, QLatin1Char('0')));
    }
    if (facts.bitRate > 0) add("Bit rate", QStringLiteral("%1 kbit/s").arg((facts.bitRate + 500) / 1000));
    if (facts.sampleRate > 0) add("Sample rate", QStringLiteral("%1 Hz").arg(facts.sampleRate));
    if (facts.channels > 0)
        add("Channels", facts.channels == 1   ? QStringLiteral("1 (mono)")
                        : facts.channels == 2 ? QStringLiteral("2 (stereo)")
                                              : QString::number(facts.channels));
    if (facts.bitsPerSample > 0) add("Bits per sample", QString::number(facts.bitsPerSample));
    add("Title", tags.Title);
    add("Artist", tags.Artist);
    add("Album", tags.Album);
    add("Album artist", tags.AlbumArtist);
    add("Year", tags.Year);
    add("Track", ofTotal(tags.Track, tags.TrackTotal));
    add("Disc", ofTotal(tags.Disc, tags.DiscTotal));
    add("Genre", tags.Genre);
    add("Comment", tags.Comment);
    add("Copyright", tags.Copyright);
    if (!tags.Cover.isEmpty())
        add("Cover", QStringLiteral("%1, %2 bytes")
                         .arg(tags.CoverMime.isEmpty() ? QStringLiteral("picture") : tags.CoverMime)
                         .arg(tags.Cover.size()));
    return lines;
}

} // namespace audrel
