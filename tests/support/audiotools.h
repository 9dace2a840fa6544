#pragma once
// Test audio made and judged by the reference tools (sox, lame, ffmpeg, mpg123),
// and what reaches the sound server, recorded and asked for with pulseaudio-utils.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

namespace audrel::test {

// Runs a tool found on the PATH; true when it ran and exited with 0.
bool runTool(const QString& name, const QStringList& arguments, QString* errors = nullptr);
bool haveTool(const QString& name);
// What a tool writes to its standard output; ok, when given, says whether it
// ran and exited with 0.
QByteArray toolOutput(const QString& name, const QStringList& arguments, bool* ok = nullptr);

// A 16-bit WAV of a two-tone signal with some noise, so that every encoder
// setting has work to do.
bool makeWav(const QString& path, int rate, int channels, double seconds);
// An MP3 made by lame from a generated WAV with the given extra lame options.
bool makeMp3(const QString& path, int rate, int channels, double seconds, const QStringList& lameOptions);
// An MPEG Layer II file made by ffmpeg.
bool makeMp2(const QString& path, int rate, int channels, double seconds, int kbps);
// A WMA v2 file made by ffmpeg from a generated WAV.
bool makeWma(const QString& path, int rate, int channels, double seconds, int kbps);
// A WAV of a tone of its own in every channel (the fourth one, where 5.1 has
// its LFE, low), with some noise, at bits bits (8, 16, 24 or 32) made by sox;
// channels are told apart by their tones.
bool makeTones(const QString& path, int rate, int channels, int bits, double seconds);
// A file made by ffmpeg from source with the given options (codec, format,
// further inputs and maps) before the output.
bool makeEncoded(const QString& path, const QString& source, const QStringList& ffmpegOptions);
// The samples ffmpeg decodes from a file, as raw samples of rawFormat
// ("s16le", "s24le", "f32le") with the given further output options
// ("-ar", "-ac"); empty when ffmpeg fails.
QByteArray decodedSamples(const QString& path, const QString& rawFormat, const QStringList& options = {});
// The samples of one channel of interleaved 16-bit samples.
QByteArray channelSamples(const QByteArray& samples, int channels, int channel);

// What ffprobe finds in the first audio stream of a file.
struct Probe
{
    QString codec;
    int rate = 0;
    int channels = 0;
    int bitRate = 0; // of the stream, as its header states it
    double seconds = 0;
    QString container;    // the format's name ("flac", "mov,mp4,m4a,3gp,3g2,mj2")
    QString layout;       // "stereo", "5.1(side)", "unknown"
    QString sampleFormat; // as the stream states it: "s16", "s32p", "fltp"
    int bits = 0;         // of a sample, as the stream states it; 0 when it states none
    int videoStreams = 0; // pictures and video beside the audio
};
Probe probe(const QString& path);
// The sample format ("s16p", "fltp") of the first block ffprobe decodes from
// the first audio stream of a file: what the codec gives, which the stream's
// own statement may not tell.
QString decodedSampleFormat(const QString& path);
// The tags ffprobe finds in a file, of the container and of its first audio
// stream (where Ogg keeps them), with the keys in lower case.
QMap<QString, QString> probeTags(const QString& path);
// The bytes of the picture ffmpeg finds attached to a file (its cover).
QByteArray attachedPicture(const QString& path);

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

// How alike two 16-bit interleaved signals of the same shape are: the best
// normalised correlation of their first channels (16384 frames from maxLag
// on) over lags of up to maxLag frames either way; 1 for the same signal.
double similarity(const QByteArray& a, const QByteArray& b, int channels, int maxLag);

// SHA-1 of a file's bytes, to prove a file was left alone.
QByteArray fileHash(const QString& path);

// What reaches the default sink's monitor on the sound server, recorded by
// parec as 16-bit stereo at kRate from start() on.
class MonitorRecording
{
public:
    static constexpr int kRate = 44100;
    // Why nothing can be recorded here, or empty: parec or pactl is missing,
    // or the default sink is not the private null sink that scripts/test
    // starts (anything else may play there).
    static QString unavailable();

    MonitorRecording();
    ~MonitorRecording();
    // Starts recording; true once audio arrives.
    bool start();
    // What was recorded so far, after waiting up to waitMs for more.
    const QByteArray& take(int waitMs = 0);
    qsizetype frames() const { return m_data.size() / 4; }

private:
    std::unique_ptr<QProcess> m_process;
    QByteArray m_data;
};

// Where a recording (16-bit stereo) sounds, in frames: a frame sounds when
// either channel is louder than the faint noise of silence.
struct Hearing
{
    qsizetype first = -1; // the first frame that sounds, -1 when none does
    qsizetype last = -1;  // the last one
    qsizetype heard = 0;  // frames from the first to the last
    qsizetype longestGap = 0; // the longest run of silent frames between them
};
// From frame from on, frames frames (to the end when -1).
Hearing listen(const QByteArray& stereo, qsizetype from = 0, qsizetype frames = -1);

// The properties of this process's streams on the sound server, one map per
// stream, as `pactl list sink-inputs` shows them ("application.name" to "Audrel").
QList<QMap<QString, QString>> soundServerStreams();

} // namespace audrel::test
