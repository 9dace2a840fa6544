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
// is DestinationFile's business; running a batch of items through paths is
// BatchRunner's. A path's signals are raised on the thread it lives on.

#include "convert/cvtitem.h"
#include "info/audiotags.h"

#include <QObject>
#include <QString>

namespace audrel {

class ConversionPath : public QObject
{
    Q_OBJECT

public:
    ~ConversionPath() override;

    // Makes the engine ready; raises EAudrelError (with the text the user is
    // shown) when it cannot be.
    virtual void Init() {}
    // Init, once: the text of its failure, or an empty string.
    QString Prepare();
    // What the user is to know before a run of this path starts (what the
    // engine cannot do as the settings ask), or an empty string. Read after Init.
    virtual QString Notice() const { return {}; }
    // Starts converting the item's source into output. What happens is told
    // by the signals, possibly before this returns.
    virtual void start(const TCvtItem& item, const QString& output) = 0;
    // Prepare, then start; an engine that cannot be made ready fails the item
    // with its text.
    void run(const TCvtItem& item, const QString& output);
    // Stops a conversion under way. The output may still be written to for a
    // moment; stopAndWait returns only when it no longer is.
    virtual void stop() = 0;
    virtual void stopAndWait() { stop(); }

    // Whether the tags of each source are written into its result (title,
    // artist, album, year, comment, genre, track); on unless turned off.
    void setCarryTags(bool carry) { m_carryTags = carry; }
    // The kind of tags the results take; None: the kind of each destination's name.
    void setResultTags(TagContainer container) { m_resultTags = container; }

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
    TagContainer m_resultTags = TagContainer::None;
    bool m_prepared = false;
    QString m_prepareError;
    TCvtItem m_item;
    QString m_output;
};

} // namespace audrel
