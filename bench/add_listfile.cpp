// Adds WAV files to the real main window (offscreen) through list files and
// prints how long each batch took:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_add_listfile [COUNT] [BATCHES]
// Each batch adds COUNT new files (default 10000) to the WAV to MP3 list, so
// later batches show how the cost grows with the rows already there.

#include "app/mainform.h"
#include "quietprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray le(uint32_t value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int batches = argc > 2 ? std::atoi(argv[2]) : 2;

    QTemporaryDir dir;
    QuietPrompts prompts;
    audrel::Prompts::install(&prompts);
    // One second of 16-bit stereo silence at 44 100 Hz.
    const uint32_t data = 44100 * 4;
    const QByteArray wav = "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) + le(44100, 4) +
                           le(44100 * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(data, 4) + QByteArray(data, '\0');

    audrel::TMainForm form(dir.path() + "/");
    form.show();
    std::printf("%-8s %10s %12s %10s\n", "batch", "files", "rows after", "seconds");
    for (int b = 0; b < batches; ++b) {
        QByteArray list;
        for (int i = 0; i < count; ++i) {
            const QString path = dir.filePath(QStringLiteral("batch%1-%2.wav").arg(b).arg(i));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
                return 1;
            list += path.toUtf8() + "\r\n";
        }
        const QString listPath = dir.filePath(QStringLiteral("list%1.txt").arg(b));
        QFile listFile(listPath);
        if (!listFile.open(QIODevice::WriteOnly) || listFile.write(list) != list.size())
            return 1;
        listFile.close();

        QElapsedTimer timer;
        timer.start();
        form.AddFromListFile(listPath);
        QCoreApplication::processEvents(); // the repaint that follows the add
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("%-8d %10d %12d %10.3f\n", b + 1, count, form.WavRecs()->count(), seconds);
    }
    form.close();
    return form.WavRecs()->count() == 0 && prompts.messages == batches ? 0 : 1;
}
