#include "platform/audio/ffmpegresampler.h"

extern "C" {
#include <libswresample/swresample.h>
}

#include <vector>

namespace audrel::audio {

void knownLayout(AVChannelLayout& layout, const AVChannelLayout& from)
{
    if (from.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, from.nb_channels);
    else
        av_channel_layout_copy(&layout, &from);
}

SwrContext* newResampler(const AVChannelLayout& inLayout, AVSampleFormat inFormat, int inRate,
                         const AVChannelLayout& outLayout, AVSampleFormat outFormat, int outRate)
{
    AVChannelLayout in{};
    AVChannelLayout out{};
    knownLayout(in, inLayout);
    knownLayout(out, outLayout);
    SwrContext* swr = nullptr;
    bool ok = swr_alloc_set_opts2(&swr, &out, outFormat, outRate, &in, inFormat, inRate, 0, nullptr) >= 0;
    const int inChannels = in.nb_channels;
    const int outChannels = out.nb_channels;
    if (ok && inChannels != outChannels &&
        (in.order == AV_CHANNEL_ORDER_UNSPEC || out.order == AV_CHANNEL_ORDER_UNSPEC)) {
        // Channels without names: each goes to one of the outputs in turn,
        // and every output is the mean of the channels it gets.
        std::vector<double> matrix(size_t(outChannels) * size_t(inChannels), 0.0);
        for (int o = 0; o < outChannels; ++o) {
            const int taken = (inChannels - o + outChannels - 1) / outChannels;
            for (int i = o; i < inChannels; i += outChannels)
                matrix[size_t(o) * size_t(inChannels) + size_t(i)] = 1.0 / taken;
        }
        ok = swr_set_matrix(swr, matrix.data(), inChannels) >= 0;
    }
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (!ok || swr_init(swr) < 0) swr_free(&swr);
    return swr;
}

} // namespace audrel::audio
