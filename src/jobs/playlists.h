#pragma once
// What the adding code reads besides audio files: list files and M3U and PLS
// playlists.

#include "platform/filekind.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace audrel {

// How source paths are compared for duplicates: absolute and clean, and then
// exactly, as the file system compares names (Song.mp3 and song.mp3 are two files).
QString SourceKey(const QString& path);

// Lines of a text file (UTF-8); lines end in CR LF, LF or CR. Throws EFileError
// when the file cannot be read.
QStringList ReadTextLines(const QString& path);

// Entry paths of an M3U playlist, in order: every line that is not blank and
// does not begin with "#". Throws EFileError when the file cannot be read.
QStringList ReadM3U(const QString& path);
// Entry paths of a PLS playlist: FILE1 to FILE<NumberOfEntries> of section
// "playlist"; a missing key gives "error". Throws EFileError when unreadable.
QStringList ReadPLS(const QString& path);
// An entry that is not an absolute path is taken relative to the playlist's folder.
QString ResolveEntry(const QString& playlistPath, const QString& entry);
// The resolved entries of a playlist of either kind.
QStringList ReadPlaylist(const QString& path);

// Bytes as megabytes with two decimals: "3.34MB".
QString FormatMegabytes(int64_t bytes);

} // namespace audrel
