#pragma once
// Reading the small text files the program is handed (list files, playlists,
// profile files) whole, safely: only a regular file is read, so a named pipe,
// a device or a folder is refused at once instead of stalling the program or
// filling its memory, and a file beyond a size limit is refused too.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace audrel {

// The most a list file or a playlist may hold.
inline constexpr int64_t kMaxListFileBytes = 8 * 1024 * 1024;

enum class SmallFileStatus
{
    Ok,
    Missing,    // there is no such file
    NotRegular, // a folder, a pipe, a device, ...
    TooLarge,   // more than the limit
    Failed,     // it could not be opened or read
};

struct SmallFile
{
    SmallFileStatus status = SmallFileStatus::Failed;
    QByteArray bytes;
    // Why it could not be read, for the user: "Cannot open file "x": ..."; empty when read.
    QString problem;
};

SmallFile ReadSmallFile(const QString& path, int64_t maxBytes);

// The size of a regular file that can be opened for reading, without waiting
// on a pipe; -1 with the reason in problem otherwise.
int64_t ReadableFileSize(const QString& path, QString& problem);

} // namespace audrel
