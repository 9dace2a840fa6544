#pragma once
// The window's half of the table of directions: for each job list, in the
// order of its tab, how the window shows it and what its commands open (the
// add dialog's filter, the player windows of its sources and its results,
// the information dialog, the conversion dialog). A new direction is a new
// row here, beside its row in the core's table.

#include "jobs/joblist.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class QWidget;

namespace audrel {

struct Settings;
class TConversionDialog;
class TPlayerForm;

struct DirectionView
{
    using PlayerFactory = std::unique_ptr<TPlayerForm> (*)(const QStringList& paths, const QStringList& titles,
                                                           const QString& programFolder, QWidget* parent);

    JobKind kind;
    const char* sheet;         // the tab's page, "Tab_Mp32Wav"
    const char* caption;       // the tab's caption
    const char* view;          // the list view, "Mp3listview"
    bool keepSelectionVisible; // the selection stays shown while the list has no focus
    const char* filter;        // the Add command's open dialog
    const char* defaultExt;
    PlayerFactory sourcePlayer; // Play, Play Source and a double-click
    PlayerFactory resultPlayer; // Play Destination
    bool sourcesHaveTitles;     // the sources' titles (the Title column) go to the player
    bool probeWmaEncoder;       // Convert first makes sure the WMA encoder can be made
    // After a bulk add the checked panel reads " File(s)  " (two spaces).
    bool bulkAddSpacing;
    // A list file or a drop that leaves this tab visible rewrites its panels.
    bool panelsAfterDispatch;
    // Every file dropped on the list goes to it, whatever its kind.
    bool takesEveryDrop;
    // The tab offers the format of its results above the list.
    bool choosesFormat;
    // Shows the information dialog of a row's source; what it changes in the
    // file it writes into the row.
    void (*properties)(JobList& list, int row, const QString& programFolder, QWidget* parent);
    std::unique_ptr<TConversionDialog> (*conversionDialog)(JobList& list, const Settings& settings,
                                                           const QString& programFolder, QWidget* parent);
};

// Every list's view, indexed by JobKind.
const std::array<DirectionView, kJobKindCount>& DirectionViews();
const DirectionView& ViewOf(JobKind kind);

} // namespace audrel
