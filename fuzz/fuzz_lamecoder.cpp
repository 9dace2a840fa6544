// The MP3 encoder driver on hostile input: the WAV decoder it reads through
// (its chunk walk and the sample library's reader), the channel mixing and
// the encoder calls. The first byte picks the output mode and whether the
// sample library reads every input; the rest is the file.

#include "convert/lamecoder.h"
#include "fuzzinput.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel;
    static int argc = 1;
    static char name[] = "fuzz_lamecoder";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size < 1) return 0;
    const uint8_t control = data[0];
    const QString path = fuzz::writeInput(".wav", data + 1, size - 1);
    TLameCoder coder;
    coder.setMode(control & 3);
    coder.setSndEncode((control & 4) ? -1 : 0);
    coder.setWriteVBRHeader((control & 8) ? -1 : 0);
    coder.setSampleRate(8000);
    coder.InputFiles() = {path};
    static const QString output = path + QStringLiteral(".mp3");
    coder.OutputFiles() = {output};
    try {
        coder.EncodeFiles();
    } catch (const EAudrelError&) {
        // Refused inputs are reported by message; only crashes and hangs count.
    }
    static const bool cleanup = [] {
        std::atexit([] { QFile::remove(output); });
        return true;
    }();
    (void)cleanup;
    return 0;
}
