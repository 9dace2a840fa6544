#include "windowbench.h"

#include "jobs/jobrecords.h"
#include "platform/audio/ffmpegmodule.h"
#include "testsupport.h"

#include "convert/conversiondialog.h"

#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace audrel::test {

WindowBench::WindowBench(const QString& library)
{
    if (!library.isEmpty()) QFile::link(library, dir.filePath("libxaudio.so"));
    // WMA goes through the FFmpeg module beside the program.
    QFile::link(buildDir() + QLatin1String(audio::FfmpegModule::kFileName),
                dir.filePath(QLatin1String(audio::FfmpegModule::kFileName)));
    form = std::make_unique<TMainForm>(dir.path() + "/");
    // The dialogs' own behaviour is that of one file at a time; the tests of
    // several at once ask for them.
    form->settings().ConvertJobs = 1;
}

namespace {

int append(JobList* list, std::unique_ptr<TJobRec> rec, const QString& source, const QString& dest,
           bool checked)
{
    rec->Source = source;
    rec->Dest = dest;
    rec->Seconds = 2;
    const int row = list->appendRow(std::move(rec), {dest});
    if (!checked) list->setItemChecked(row, false);
    return row;
}

} // namespace

int WindowBench::addMp3Row(const QString& source, const QString& dest, bool checked)
{
    return append(form->Mp3Recs(), std::make_unique<TMp3Rec>(), source, dest, checked);
}

int WindowBench::addWavRow(const QString& source, const QString& dest, uint32_t rate, uint32_t mode,
                           uint32_t bits, bool checked)
{
    auto rec = std::make_unique<TWavRec>();
    rec->SampleRate = rate;
    rec->Mode = mode;
    rec->BitsPerSample = bits;
    return append(form->WavRecs(), std::move(rec), source, dest, checked);
}

int WindowBench::addWmaRow(const QString& source, const QString& dest, bool checked)
{
    return append(form->WMARecs(), std::make_unique<TWMARec>(), source, dest, checked);
}

int WindowBench::addWavToWmaRow(const QString& source, const QString& dest, bool checked)
{
    auto rec = std::make_unique<TWavRec>();
    rec->SampleRate = 44100;
    rec->BitsPerSample = 16;
    return append(form->Wav2WMARecs(), std::move(rec), source, dest, checked);
}

int WindowBench::addRow(JobKind kind, const QString& source, const QString& dest, const QStringList& more)
{
    std::unique_ptr<TJobRec> rec;
    if (kind == JobKind::Mp3ToWav)
        rec = std::make_unique<TMp3Rec>();
    else if (kind == JobKind::WmaToWav)
        rec = std::make_unique<TWMARec>();
    else if (kind == JobKind::AnyFormat)
        rec = std::make_unique<TAnyRec>();
    else
        rec = std::make_unique<TWavRec>();
    rec->Source = source;
    rec->Dest = dest;
    return form->list(kind)->appendRow(std::move(rec), QStringList{dest} + more);
}

int WindowBench::run(QDialog& dialog, int timeoutMs)
{
    dialog.show();
    if (!QTest::qWaitFor([&] { return !dialog.isVisible(); }, timeoutMs)) return -1;
    return dialog.result();
}

std::optional<MessageRequest> WindowBench::failsAndWaitsForAbort(TConversionDialog& dialog)
{
    dialog.show();
    if (!QTest::qWaitFor([&] { return !prompts.messages.isEmpty(); }, 10000)) return std::nullopt;
    const MessageRequest shown = prompts.messages.first();
    if (shown.caption != QLatin1String("Error") || shown.icon != MsgIcon::Error) return std::nullopt;
    QTest::qWait(300);
    if (!dialog.isVisible() || !dialog.Runner().running() || dialog.Runner().currentIndex() != 0 ||
        prompts.messages.size() != 1)
        return std::nullopt;
    dialog.findChild<QPushButton*>(QStringLiteral("btn_Cancel"))->click();
    if (dialog.isVisible() || dialog.result() != TConversionDialog::mrCancel) return std::nullopt;
    return shown;
}

QString overwriteQuestion(const QString& dest)
{
    return "Destination file : " + dest +
           "\n\nThe destination file already exists, do you want to overwrite it ? ";
}

} // namespace audrel::test
