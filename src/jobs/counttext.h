#pragma once
// Texts of the status bar counters.

#include <QString>

#include <cstdint>

namespace audrel {

// Whole seconds as "hh:mm:ss"; hours take more than two digits when needed ("100:00:00").
QString FormatSeconds(uint64_t seconds);

// "3 File(s)   00:04:05". Bulk adds write the checked panel with two spaces
// after "File(s)" instead of three.
enum class CountSpacing
{
    Normal,
    BulkAdd
};
QString CountText(int64_t count, uint64_t seconds, CountSpacing spacing = CountSpacing::Normal);

} // namespace audrel
