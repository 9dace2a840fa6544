#include "jobs/counttext.h"

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

} // namespace audrel
