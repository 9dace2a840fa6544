#pragma once
// audrel-cli convert: turns WAV files into MP3 or WMA files, or MPEG audio and
// WMA files into WAV files, with the job rows, settings and destination rule
// of the program.

#include <QStringList>
#include <QTextStream>

namespace audrel::cli {

extern const char* const ConvertSummary;
extern const char* const ConvertUsage;

// Exit status: 0 every file converted or skipped because its destination
// exists, 1 at least one file failed, 2 usage error.
int runConvert(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace audrel::cli
