#pragma once
// MPEG audio (Layers I to III; MPEG 1, 2 and 2.5) through libmpg123, gapless:
// encoder delay and padding announced by a LAME tag are cut off. ID3v2 tags
// are skipped unread (the program reads tags on its own).
//
// Opening takes no longer than the first frame: the length is at first what
// the stream's info frame states, or an estimate from the file's size where it
// has none, while a pass over every frame header runs on a thread of its own.
// When that pass is done, the length is the exact one it found, and seeking
// uses the places of the frames it noted. Closing stops a pass that still runs.

#include "platform/audio/audiodecoder.h"

#include <memory>

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
    int64_t lengthFrames() const override;
    int64_t positionFrames() const override { return m_position; }
    int bitrate() const override { return m_bitrate; }

    AudioError nextBlock(const int16_t*& samples, int64_t& frames) override;
    bool seekFrame(int64_t frame) override;

    // Whether the pass over the frame headers has found the exact length.
    bool lengthIsExact() const;

private:
    struct Reader;
    struct Scan;

    // A handle configured as every decode here is: 16-bit output at the
    // stream's rate and channels, gapless, quiet, ID3v2 skipped.
    static mpg123_handle_struct* newHandle();
    // Takes what the pass found once it has ended.
    void adoptScan();

    mpg123_handle_struct* m_handle = nullptr;
    int m_fd = -1;
    AudioFormat m_format;
    int64_t m_length = 0;
    bool m_exact = false; // m_length is what the pass found
    int64_t m_position = 0;
    int m_bitrate = 0;
    std::unique_ptr<Reader> m_reader;
    std::unique_ptr<Scan> m_scan;
};

} // namespace audrel::audio
