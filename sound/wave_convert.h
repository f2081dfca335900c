#pragma once
// Conversion of loaded waves to the mixer's output: 8-bit unsigned mono at
// the session's rate. Bits first, then channels, then rate; each step
// replaces the data. Integer rate ratios follow the system's stepping and
// averaging byte for byte; other ratios are resampled linearly so that pitch
// and length stay right.

#include "sound/wave_read.h"

#include <cstdint>
#include <vector>

// Source rates that a sound card can mean; a wave at any other rate is
// refused rather than stretched or squeezed beyond use.
constexpr uint32_t SndMixMinSourceRate = 1000;
constexpr uint32_t SndMixMaxSourceRate = 192000;
// The longest wave a conversion may produce, in seconds at the session's
// rate.
constexpr uint32_t SndMixMaxWaveSeconds = 600;

// Converts `wave` in place; raises ESndMixError "File format not supported"
// for sample sizes other than 8 and 16 bits, an empty format or a rate
// outside the range above, "Unable to allocate memory for waveform data..."
// when the result would be longer than the longest wave, and "The data chunk
// has no data" when not one whole frame (or output sample) is left.
void SndMixConvertFormat(TWaveData& wave, uint32_t samplesPerSec);

// The single steps, exposed for their exact vectors.
std::vector<uint8_t> SndMixConvertBits(const std::vector<uint8_t>& data, uint16_t bits);
std::vector<uint8_t> SndMixConvertChannels(const std::vector<uint8_t>& data, uint16_t channels);
std::vector<uint8_t> SndMixConvertRate(const std::vector<uint8_t>& data, uint32_t from, uint32_t to);
