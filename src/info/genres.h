#pragma once
// The ID3v1 genre names: codes 0 to 79 of the original list, then the Winamp
// extension 80 to 125. Shared, read-only, by every MPEG reader and the tag editor.

#include <QString>

#include <cstdint>

namespace audrel {

inline constexpr int GenreCount = 126;

extern const char* const GenreNames[GenreCount];

// The name of a genre code, or an empty text for a code outside the table (255 = no genre).
QString GenreName(int code);

} // namespace audrel
