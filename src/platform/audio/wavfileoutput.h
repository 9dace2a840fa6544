#pragma once
// Writes one stream into a 16-bit PCM WAV file, as fast as it is given. The
// file is created when the output is opened and completed (its sizes filled
// in) when the stream finishes or the output is destroyed. What fails says
// why in the system's words (errorString).

#include "platform/audio/audiooutput.h"

#include <QString>

#include <vector>

namespace audrel::audio {

class WavFileOutput final : public AudioOutput
{
public:
    explicit WavFileOutput(const QString& path);
    ~WavFileOutput() override;
    WavFileOutput(const WavFileOutput&) = delete;
    WavFileOutput& operator=(const WavFileOutput&) = delete;

    // Creates the file with a header whose sizes are filled in at the end.
    AudioError open();
    const QString& path() const { return m_path; }
    bool isOpen() const { return m_fd >= 0; }

    AudioError start(const AudioFormat& format) override;
    int64_t write(const int16_t* samples, int64_t frames) override;
    int64_t queuedFrames() override { return 0; }
    bool isRealTime() const override { return false; }
    void setPaused(bool) override {}
    void reset() override {}
    AudioError finish() override;
    AudioError error() const override { return m_error; }
    QString errorString() const override { return m_reason; }

    // The 44-byte header of a canonical PCM WAV file holding dataBytes bytes.
    static QByteArray header(const AudioFormat& format, uint64_t dataBytes);

private:
    // Writes out what is gathered; false, with the failure noted, when the file does not take it.
    bool flush();
    // Notes why the file failed, once: the first failure is the one to tell.
    AudioError fail(AudioError error, int systemError);

    QString m_path;
    int m_fd = -1;
    std::vector<char> m_buffer; // samples gathered, written out in large pieces
    AudioFormat m_format;
    uint64_t m_dataBytes = 0;
    AudioError m_error = AudioError::None;
    QString m_reason;
};

} // namespace audrel::audio
