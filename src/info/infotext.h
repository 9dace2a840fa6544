#pragma once
// The information texts shown for a file: the lines of the MPEG, WAV and WMA
// property memos and the ID3v1 tag fields. The information dialogs and
// audrel-cli both show these.

#include "platform/audio/transcoder.h"

#include <QString>
#include <QStringList>

namespace audrel {

struct AudioTags;
class TMPEGAudio;
class TWAVfile;
class TWMAfile;

// A number with the pattern ".000": three decimals rounded half away from
// zero, and no digit before the point when the whole part is 0 (0.5 -> ".500").
QString FormatDecimal3(double value);

// The nine lines of the MPEG property memo, from "Size: " to "Padding: ".
QStringList MpegMemoLines(const TMPEGAudio& mpeg);
// The ID3v1 fields as the tag editor shows them: title and artist with their
// defaults for a file without tag, album, year, comment, track and genre name.
QStringList MpegTagLines(const TMPEGAudio& mpeg);
// The WAV and WMA property memos; empty for a file that is not valid.
QStringList WavMemoLines(const TWAVfile& wav);
QStringList WmaMemoLines(const TWMAfile& wma);
// What FFmpeg finds in a file of any kind, then the fields of its tags that
// it has (title, artist, album, album artist, year, track, disc, genre,
// comment, copyright, and the cover picture's type and size).
QStringList MediaMemoLines(const audio::MediaFacts& facts, const AudioTags& tags);

} // namespace audrel
