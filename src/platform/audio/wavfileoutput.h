#pragma once
// Writes one stream into a 16-bit PCM WAV file, as fast as it is given. The
// file is created when the output is opened and completed (its sizes filled
// in) when the stream finishes or the output is destroyed.

#include "platform/audio/audiooutput.h"

#include <QFile>
#include <QString>

namespace audrel::audio {

class WavFileOutput final : public AudioOutput
{
public:
    explicit WavFileOutput(const QString& path);
    ~WavFileOutput() override;

    // Creates the file with a header whose sizes are filled in at the end.
    AudioError open();
    const QString& path() const { return m_path; }
    bool isOpen() const { return m_file.isOpen(); }

    AudioError start(const AudioFormat& format) override;
    int64_t write(const int16_t* samples, int64_t frames) override;
    int64_t queuedFrames() override { return 0; }
    bool isRealTime() const override { return false; }
    void setPaused(bool) override {}
    void reset() override {}
    AudioError finish() override;
    AudioError error() const override { return m_error; }

    // The 44-byte header of a canonical PCM WAV file holding dataBytes bytes.
    static QByteArray header(const AudioFormat& format, uint64_t dataBytes);

private:
    QString m_path;
    QFile m_file;
    AudioFormat m_format;
    uint64_t m_dataBytes = 0;
    AudioError m_error = AudioError::None;
};

} // namespace audrel::audio
