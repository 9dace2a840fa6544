// Writes the notice sound played after a conversion run: a soft two-note
// chime (C6 then G6, bell-like decay), 16-bit mono at 44.1 kHz.
//   make_notice OUTPUT.wav

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, uint16_t(v));
    put16(out, uint16_t(v >> 16));
}

// One struck note: a short attack, then an exponential decay, with a quiet
// second and third partial for a bell-like colour.
double note(double t, double frequency)
{
    if (t < 0) return 0;
    const double attack = std::min(1.0, t / 0.006);
    const double decay = std::exp(-t / 0.16);
    const double w = 2 * std::numbers::pi * frequency * t;
    return attack * decay *
           (std::sin(w) + 0.3 * std::sin(2 * w) * std::exp(-t / 0.05) + 0.1 * std::sin(3 * w));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_notice OUTPUT.wav\n");
        return 2;
    }
    const int frames = int(kRate * 0.75);
    std::vector<uint8_t> data;
    data.reserve(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        double v = 0.45 * note(t, 1046.5) + 0.4 * note(t - 0.13, 1568.0);
        // Fade the tail to zero so the sound never ends in a click.
        const double left = double(frames - i) / kRate;
        if (left < 0.05) v *= left / 0.05;
        put16(data, uint16_t(int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32000))));
    }
    std::vector<uint8_t> file;
    file.insert(file.end(), {'R', 'I', 'F', 'F'});
    put32(file, uint32_t(36 + data.size()));
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(file, 16);
    put16(file, 1); // PCM
    put16(file, 1); // mono
    put32(file, kRate);
    put32(file, kRate * 2);
    put16(file, 2);
    put16(file, 16);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    put32(file, uint32_t(data.size()));
    file.insert(file.end(), data.begin(), data.end());

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
