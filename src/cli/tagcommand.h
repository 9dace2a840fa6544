#pragma once
// audrel-cli tag: writes or removes the ID3v1 tag of an MPEG audio file.

#include <QStringList>
#include <QTextStream>

namespace audrel::cli {

extern const char* const TagSummary;
extern const char* const TagUsage;

// Exit status: 0 done, 1 the file could not be tagged, 2 usage error.
int runTag(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace audrel::cli
