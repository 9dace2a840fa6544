#pragma once
// Test audio made and judged by the reference tools (sox, lame, ffmpeg, mpg123).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace audrel::test {

// Runs a tool found on the PATH; true when it ran and exited with 0.
bool runTool(const QString& name, const QStringList& arguments, QString* errors = nullptr);
bool haveTool(const QString& name);

// A 16-bit WAV of a two-tone signal with some noise, so that every encoder
// setting has work to do.
bool makeWav(const QString& path, int rate, int channels, double seconds);
// An MP3 made by lame from a generated WAV with the given extra lame options.
bool makeMp3(const QString& path, int rate, int channels, double seconds, const QStringList& lameOptions);
// An MPEG Layer II file made by ffmpeg.
bool makeMp2(const QString& path, int rate, int channels, double seconds, int kbps);

struct WavData
{
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    QByteArray samples; // the data chunk
    bool valid = false;
};
// Reads a canonical or chunked PCM WAV file.
WavData readWav(const QString& path);

// SHA-1 of a file's bytes, to prove a file was left alone.
QByteArray fileHash(const QString& path);

} // namespace audrel::test
