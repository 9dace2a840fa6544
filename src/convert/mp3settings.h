#pragma once
// How the MP3 settings of the options drive the encoder, shared by the
// conversion dialog and the command line.

#include <cstdint>

namespace audrel {

struct Settings;
class TLameCoder;

// Copies the encoder settings in a fixed order: WriteVBRHeader after
// EnableVBR, so that its own setting wins. A sample rate other than "Auto
// Select" (0) is the rate of the output, and the mode the output's channel mode.
void ApplyMp3Settings(TLameCoder& coder, const Settings& settings);

// What depends on the source: its own rate describes the input; with "Auto
// Select" its channel mode is kept too; 8-bit sources go through the sample library.
void PrepareMp3Source(TLameCoder& coder, const Settings& settings, uint32_t sampleRate, uint32_t mode,
                      uint32_t bitsPerSample);

} // namespace audrel
