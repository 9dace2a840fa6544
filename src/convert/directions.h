#pragma once
// The conversion directions, one row each, in the order of the job lists and
// their tabs: the kind of source a direction takes, the destination it makes,
// how the result's tags are written, its word on the command line, and the
// path that converts. A new direction is a new row here, beside its path (and
// a row of the window's own table).

#include "convert/conversionpath.h"
#include "info/audiotags.h"
#include "jobs/joblist.h"
#include "jobs/rowbuilder.h"
#include "platform/filekind.h"

#include <QList>

#include <array>
#include <memory>

namespace audrel {

struct Settings;

struct Direction
{
    JobKind kind;
    FileKind source;        // the kind of source file it takes
    bool anyAudio;          // it takes audio files of every kind, FFmpeg's to describe
    const char* destExt;    // the destinations' extension, ".wav"; empty: the chosen format's
    bool refusesMpeg;       // a WAV file that holds MPEG audio is not taken
    bool takesDispatched;   // dropped files and list files of its source kind go to its list
    TagContainer tags;      // the kind of tags its results take
    const char* cliWord;    // audrel-cli convert --to <word>; empty: the formats' words
    const char* sourceText; // its sources in the command line's messages: "a WAV file (.wav)"
    QList<JobColumn> columns;
    // The path that converts, configured from the settings; an engine that is
    // a library is looked for in the program folder.
    std::unique_ptr<ConversionPath> (*makePath)(const Settings& settings, const QString& programFolder);
};

// Every direction, indexed by JobKind.
const std::array<Direction, kJobKindCount>& Directions();
const Direction& DirectionOf(JobKind kind);

// The extension of a direction's destinations with these settings.
QString DestExtOf(JobKind kind, const Settings& settings);
// What the row builder is to know of a direction's list.
ListRule ListRuleOf(JobKind kind, JobList* list, const Settings& settings);
// A list for a direction, with its columns.
JobList* NewJobList(JobKind kind, QObject* parent = nullptr);

} // namespace audrel
