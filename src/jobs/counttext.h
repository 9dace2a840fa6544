#pragma once
// Texts of the status bar counters, and of what the lists show of a file.

#include "platform/audio/transcoder.h"

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

// A file's audio in a few words: "FLAC 44.1 kHz stereo 16-bit", or with the
// bit rate of a lossy stream, "Opus 48 kHz stereo 128 kbit/s".
QString FormatText(const audio::MediaFacts& facts);

} // namespace audrel
