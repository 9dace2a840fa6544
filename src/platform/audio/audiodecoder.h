#pragma once
// A source of decoded audio: signed 16-bit interleaved samples at the
// stream's own rate and channels, block by block.

#include "platform/audio/audioerror.h"
#include "platform/audio/audioformat.h"

#include <QString>

#include <cstdint>

namespace audrel::audio {

class AudioDecoder
{
public:
    virtual ~AudioDecoder() = default;

    // Opens a file and finds its format. A decoder that is open is closed first.
    virtual AudioError open(const QString& path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual AudioFormat format() const = 0;
    // Length of the stream in frames; 0 when it is not known.
    virtual int64_t lengthFrames() const = 0;
    // Frame that the next block starts at.
    virtual int64_t positionFrames() const = 0;
    // Average bit rate in bits per second, 0 when not known.
    virtual int bitrate() const = 0;

    // Decodes the next block. samples points to frames frames that stay valid
    // until the next call; frames is 0 at the end of the stream.
    virtual AudioError nextBlock(const int16_t*& samples, int64_t& frames) = 0;
    // Moves to a frame; false when the stream cannot go there.
    virtual bool seekFrame(int64_t frame) = 0;
};

} // namespace audrel::audio
