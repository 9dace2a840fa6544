#pragma once
// What kind of file a path names, told by its extension alone, compared in
// capitals: the one rule the lists, the tags and the players share.

#include <QString>

namespace audrel {

enum class FileKind
{
    // The kinds of the four specified lists.
    Mpeg, // .MP3 .MP2 .MP1
    Wav,  // .WAV
    Wma,  // .WMA
    // Other audio files, which FFmpeg reads.
    Flac,      // .FLAC
    Ogg,       // .OGG .OGA (Vorbis, FLAC or Opus in Ogg)
    Opus,      // .OPUS
    Mp4,       // .M4A .M4B .MP4
    Aac,       // .AAC (ADTS)
    Aiff,      // .AIF .AIFF .AIFC
    Ape,       // .APE
    WavPack,   // .WV
    Matroska,  // .MKA .WEBM
    Caf,       // .CAF
    Ac3,       // .AC3
    Musepack,  // .MPC
    TrueAudio, // .TTA
    Au,        // .AU
    // Playlists.
    M3u, // .M3U
    Pls, // .PLS
    Other
};

// The part of the file name from its last "." on, ASCII letters in capitals;
// empty when the name has no ".".
QString ExtensionOf(const QString& path);
// The kind of the file a path names; nothing but the extension is looked at.
FileKind KindOf(const QString& path);
// Playlists name other files.
inline bool IsPlaylist(FileKind kind)
{
    return kind == FileKind::M3u || kind == FileKind::Pls;
}
// Audio files of any kind named above.
inline bool IsAudio(FileKind kind)
{
    return kind < FileKind::M3u;
}

// ASCII letters a to z in capitals, everything else as it is: how extensions
// are compared.
QString ToUpperAscii(const QString& text);

} // namespace audrel
