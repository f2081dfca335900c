#include "sound/wave_convert.h"

namespace {

void RefuseEmpty(const std::vector<uint8_t>& data)
{
    if (data.empty())
        throw ESndMixError("The data chunk has no data");
}

} // namespace

std::vector<uint8_t> SndMixConvertBits(const std::vector<uint8_t>& data, uint16_t bits)
{
    if (bits == 8)
        return data;
    if (bits != 16)
        throw ESndMixError("File format not supported");
    // The high byte with its sign bit inverted: signed 16-bit to unsigned 8-bit.
    std::vector<uint8_t> out(data.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(data[2 * i + 1] ^ 0x80);
    return out;
}

std::vector<uint8_t> SndMixConvertChannels(const std::vector<uint8_t>& data, uint16_t channels)
{
    if (channels <= 1)
        return data;
    std::vector<uint8_t> out(data.size() / channels);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned sum = 0;
        for (unsigned c = 0; c < channels; ++c)
            sum += data[i * channels + c];
        out[i] = static_cast<uint8_t>(sum / channels);
    }
    return out;
}

std::vector<uint8_t> SndMixConvertRate(const std::vector<uint8_t>& s, uint32_t from, uint32_t to)
{
    const size_t n = s.size();
    if (from == to || n == 0)
        return s;
    std::vector<uint8_t> out;
    if (from < to && to % from == 0) {
        const size_t k = to / from;
        out.resize(n * k);
        size_t o = 0;
        for (size_t i = 0; i + 1 < n; ++i) {
            const int step = (static_cast<int>(s[i + 1]) - static_cast<int>(s[i])) / static_cast<int>(k);
            uint8_t v = s[i];
            for (size_t j = 0; j < k; ++j) {
                out[o++] = v;
                v = static_cast<uint8_t>(v + step);
            }
        }
        for (size_t j = 0; j < k; ++j)
            out[o++] = s[n - 1];
        return out;
    }
    if (from > to && from % to == 0) {
        const size_t m = from / to;
        const size_t count = n / m;
        out.resize(count);
        for (size_t j = 0; j + 1 < count; ++j) {
            int sum = 0;
            for (size_t i = 0; i < m; ++i)
                sum += s[j * m + i] - 128;
            out[j] = static_cast<uint8_t>(sum / static_cast<int>(m) + 128);
        }
        if (count > 0)
            out[count - 1] = s[(count - 1) * m];
        return out;
    }
    // Any other ratio: linear interpolation to floor(n * to / from) samples,
    // output sample j taken at source position j * from / to.
    const uint64_t count = static_cast<uint64_t>(n) * to / from;
    out.resize(static_cast<size_t>(count));
    for (uint64_t j = 0; j < count; ++j) {
        const uint64_t at = j * from;
        const size_t i = static_cast<size_t>(at / to);
        const int64_t frac = static_cast<int64_t>(at % to);
        const int a = s[i];
        const int b = i + 1 < n ? s[i + 1] : a;
        const int64_t v = a * static_cast<int64_t>(to) + (b - a) * frac;
        out[static_cast<size_t>(j)] = static_cast<uint8_t>((v + to / 2) / to);
    }
    return out;
}

void SndMixConvertFormat(TWaveData& wave, uint32_t samplesPerSec)
{
    TPcmWaveFormat& f = wave.Format;
    if (f.Channels == 0 || f.SamplesPerSec < SndMixMinSourceRate || f.SamplesPerSec > SndMixMaxSourceRate ||
        (f.BitsPerSample != 8 && f.BitsPerSample != 16))
        throw ESndMixError("File format not supported");
    // Only whole frames: a trailing partial frame would shift the channels.
    const size_t frame = static_cast<size_t>(f.Channels) * (f.BitsPerSample / 8);
    wave.Data.resize(wave.Data.size() / frame * frame);
    RefuseEmpty(wave.Data);
    if (f.Channels == 1 && f.SamplesPerSec == samplesPerSec && f.BitsPerSample == 8)
        return;
    // The size of the result is known before anything is converted.
    const uint64_t frames = wave.Data.size() / frame;
    if (frames * samplesPerSec / f.SamplesPerSec > uint64_t{SndMixMaxWaveSeconds} * samplesPerSec)
        throw ESndMixError("Unable to allocate memory for waveform data.  Try making more memory available by "
                           "closing other applications.");
    wave.Data = SndMixConvertBits(wave.Data, f.BitsPerSample);
    wave.Data = SndMixConvertChannels(wave.Data, f.Channels);
    wave.Data = SndMixConvertRate(wave.Data, f.SamplesPerSec, samplesPerSec);
    RefuseEmpty(wave.Data);
    f = {WAVE_FORMAT_PCM, 1, samplesPerSec, samplesPerSec, 1, 8};
}
