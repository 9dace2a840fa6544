#include "jobs/counttext.h"

#include <QStringList>

namespace audrel {

QString FormatSeconds(uint64_t seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds % 3600 / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CountText(int64_t count, uint64_t seconds, CountSpacing spacing)
{
    const QLatin1String middle(spacing == CountSpacing::Normal ? " File(s)   " : " File(s)  ");
    return QString::number(count) + middle + FormatSeconds(seconds);
}

QString FormatText(const audio::MediaFacts& facts)
{
    QStringList words{facts.codecTitle.isEmpty() ? facts.codec : facts.codecTitle};
    if (facts.sampleRate > 0) words << QString::number(facts.sampleRate / 1000.0, 'g', 4) + QStringLiteral(" kHz");
    if (facts.channels == 1)
        words << QStringLiteral("mono");
    else if (facts.channels == 2)
        words << QStringLiteral("stereo");
    else if (facts.channels > 2)
        words << QStringLiteral("%1 channels").arg(facts.channels);
    if (facts.bitsPerSample > 0)
        words << QStringLiteral("%1-bit").arg(facts.bitsPerSample);
    else if (facts.bitRate > 0)
        words << QStringLiteral("%1 kbit/s").arg((facts.bitRate + 500) / 1000);
    words.removeAll(QString());
    return words.join(QLatin1Char(' '));
}

} // namespace audrel
