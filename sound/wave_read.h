#pragma once
// RIFF WAVE images: the "fmt " and "data" chunks read as the system reads
// them. PCM data is taken as it stands; any other format tag is decoded to
// 16-bit PCM through libsndfile, standing in for the compression manager.

#include "sound/sndmix.h"

#include <cstdint>
#include <span>
#include <vector>

struct TWaveData {
    TPcmWaveFormat Format;
    std::vector<uint8_t> Data;
};

// Raises ESndMixError with the mixer's texts on anything it cannot read.
TWaveData ReadWaveImage(std::span<const uint8_t> image);
