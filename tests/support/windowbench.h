#pragma once
// A real main window in a temporary program folder, with rows put straight
// into its lists and every prompt answered by a script, for the tests of the
// commands and of the dialogs and windows they open.

#include "scriptedprompts.h"

#include "app/mainform.h"

#include <QTemporaryDir>

#include <optional>

#include <memory>

class QDialog;

namespace audrel {
class TConversionDialog;
}

namespace audrel::test {

struct WindowBench
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TMainForm> form;

    // library, when given, is linked into the program folder as the player library.
    explicit WindowBench(const QString& library = {});

    QString path(const QString& name) const { return dir.filePath(name); }
    // The program folder, which holds the player library.
    QString folder() const { return dir.path() + QLatin1Char('/'); }
    Settings& settings() const { return form->settings(); }

    // Rows as the adding code makes them; each returns the row.
    int addMp3Row(const QString& source, const QString& dest, bool checked = true);
    int addWavRow(const QString& source, const QString& dest, uint32_t rate = 44100, uint32_t mode = 0,
                  uint32_t bits = 16, bool checked = true);
    int addWmaRow(const QString& source, const QString& dest, bool checked = true);
    // A row of the WAV to WMA list (44.1 kHz stereo 16-bit).
    int addWavToWmaRow(const QString& source, const QString& dest, bool checked = true);
    // A row of any list, with the sub-items given after the destination (status,
    // duration, then the MP3 list's title ...).
    int addRow(JobKind kind, const QString& source, const QString& dest, const QStringList& more = {});

    // Shows a dialog and waits until it closes: its result, or -1 when it is
    // still open after the time given.
    static int run(QDialog& dialog, int timeoutMs = 120000);

    // Shows a conversion dialog whose first item fails, and checks what every
    // dialog does then: one error box, the run waiting on that item until
    // Abort, and the result 2. The error shown, or none when a check failed.
    std::optional<MessageRequest> failsAndWaitsForAbort(TConversionDialog& dialog);
};

// The question asked before an existing destination is replaced.
QString overwriteQuestion(const QString& dest);

} // namespace audrel::test
