#pragma once
// The converters of the module's pieces between one shape of samples and
// another (sample format, rate, channels): libswresample with its default
// options, as FFmpeg's command line inserts them, but also for a layout that
// FFmpeg cannot mix by the channels' names (more channels than it has names
// for): those are mixed channel by channel in turn.

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

struct SwrContext;

namespace audrel::audio {

// layout, or FFmpeg's usual layout of as many channels when it does not say
// which channel is which, as FFmpeg's command line guesses it.
void knownLayout(AVChannelLayout& layout, const AVChannelLayout& from);

// A converter made ready, or null when libswresample refuses the shapes.
SwrContext* newResampler(const AVChannelLayout& inLayout, AVSampleFormat inFormat, int inRate,
                         const AVChannelLayout& outLayout, AVSampleFormat outFormat, int outRate);

} // namespace audrel::audio
