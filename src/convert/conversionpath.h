#pragma once
// The one way each conversion direction turns a source file into its result,
// shared by the direction's dialog and by audrel-cli. A path owns the engine
// of its direction (the player library, the MP3 encoder, the WMA decoder or
// encoder engine), applies the settings to it, converts one work item at a
// time into the file it is given, and reports progress, the end, or a failure
// with a message for the user. When the output is complete, the source's tags
// are written into it.
//
// Where the result is written first and how it takes its destination's name
// is DestinationFile's business; running one item to its end without a
// window is RunToEnd's.

#include "convert/cvtitem.h"
#include "jobs/joblist.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace audrel {

struct Settings;

class ConversionPath : public QObject
{
    Q_OBJECT

public:
    ~ConversionPath() override;

    // The path of a list's direction, configured from the settings; an engine
    // that is a library is looked for in the program folder.
    static std::unique_ptr<ConversionPath> create(JobKind kind, const Settings& settings,
                                                  const QString& programFolder);

    // Makes the engine ready; raises EAudrelError (with the text the user is
    // shown) when it cannot be.
    virtual void Init() {}
    // What the user is to know before a run of this path starts (what the
    // engine cannot do as the settings ask), or an empty string. Read after Init.
    virtual QString Notice() const { return {}; }
    // Starts converting the item's source into output. What happens is told
    // by the signals, possibly before this returns.
    virtual void start(const TCvtItem& item, const QString& output) = 0;
    // Stops a conversion under way. The output may still be written to for a
    // moment; stopAndWait returns only when it no longer is.
    virtual void stop() = 0;
    virtual void stopAndWait() { stop(); }

    // Whether the tags of each source are written into its result (title,
    // artist, album, year, comment, genre, track); on unless turned off.
    void setCarryTags(bool carry) { m_carryTags = carry; }

signals:
    // done of total, on a scale of the engine's own (total > 0).
    void progress(qint64 done, qint64 total);
    // The output is complete. warning is empty, or says why the source's tags
    // could not be written into it (the audio is complete all the same).
    void finished(const QString& warning);
    // The item cannot be converted; message says why, for the user.
    void failed(const QString& message);

protected:
    explicit ConversionPath(QObject* parent = nullptr);

    // A path's start notes the item and its output first.
    void begin(const TCvtItem& item, const QString& output);
    // The engine has completed the output: the source's tags go into it, then
    // finished is said.
    void complete();
    // The item cannot be converted: failed is said, with the destination's
    // name where the engine's text names the file it was writing.
    void fail(QString message);

    const TCvtItem& item() const { return m_item; }
    const QString& output() const { return m_output; }

private:
    bool m_carryTags = true;
    TCvtItem m_item;
    QString m_output;
};

// Converts one item into output with the path, waiting for the end in an
// event loop of its own; returns why it failed, or an empty string. percent
// is called with the progress as it changes; warning, when given, receives
// the warning of a completed item.
QString RunToEnd(ConversionPath& path, const TCvtItem& item, const QString& output,
                 const std::function<void(int percent)>& percent = {}, QString* warning = nullptr);

} // namespace audrel
