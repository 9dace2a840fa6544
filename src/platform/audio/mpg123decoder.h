#pragma once
// MPEG audio (Layers I to III; MPEG 1, 2 and 2.5) through libmpg123, gapless:
// encoder delay and padding announced by a LAME tag are cut off.

#include "platform/audio/audiodecoder.h"

struct mpg123_handle_struct;

namespace audrel::audio {

class Mpg123Decoder final : public AudioDecoder
{
public:
    Mpg123Decoder();
    ~Mpg123Decoder() override;
    Mpg123Decoder(const Mpg123Decoder&) = delete;
    Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

    AudioError open(const QString& path) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }

    AudioFormat format() const override { return m_format; }
    int64_t lengthFrames() const override { return m_length; }
    int64_t positionFrames() const override { return m_position; }
    int bitrate() const override { return m_bitrate; }

    AudioError nextBlock(const int16_t*& samples, int64_t& frames) override;
    bool seekFrame(int64_t frame) override;

private:
    // A handle configured as every decode here is: 16-bit output at the
    // stream's rate and channels, gapless, quiet.
    static mpg123_handle_struct* newHandle();
    // Exact length from a pass over every frame header, on a handle of its own.
    static int64_t scanLength(const QString& path);

    mpg123_handle_struct* m_handle = nullptr;
    int m_fd = -1;
    AudioFormat m_format;
    int64_t m_length = 0;
    int64_t m_position = 0;
    int m_bitrate = 0;
};

} // namespace audrel::audio
