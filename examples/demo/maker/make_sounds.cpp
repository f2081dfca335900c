// Makes the demo game's sounds: effects in each format the wave mixer
// converts (8- and 16-bit, mono and stereo, 22050 and 44100 Hz) and one
// tune of background music in Ogg Vorbis for the outside audio library.
// Everything is synthesised from fixed seeds, so each run writes the same
// files. Built only on request (target make_sounds); run it with the demo
// folder as its argument.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// A small fixed random source, the same on every machine.
struct TNoise {
    uint32_t State;
    double Next()
    {
        State = State * 1664525u + 1013904223u;
        return (State >> 8) / 8388608.0 - 1.0;
    }
};

struct TSound {
    int Rate;
    int Channels;
    std::vector<double> Frames; // interleaved, -1..1
    size_t Count() const { return Frames.size() / static_cast<size_t>(Channels); }
};

// Every effect peaks at the same level, well below clipping.
void Normalise(TSound& s, double peak)
{
    double top = 0;
    for (double v : s.Frames)
        top = std::max(top, std::abs(v));
    if (top > 0)
        for (double& v : s.Frames)
            v *= peak / top;
}

bool Write(const std::string& path, TSound s, int format)
{
    Normalise(s, 0.7);
    SF_INFO info{};
    info.samplerate = s.Rate;
    info.channels = s.Channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        std::fprintf(stderr, "make_sounds: %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS) {
        double quality = 0.4;
        sf_command(f, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
    sf_writef_double(f, s.Frames.data(), static_cast<sf_count_t>(s.Count()));
    sf_close(f);
    return true;
}

// Surf on the beach: low-passed noise swelling in and drawing back.
TSound Waves()
{
    TSound s{22050, 1, {}};
    TNoise noise{12345};
    const int n = 22050 * 3;
    double low = 0;
    double lower = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.Rate;
        low += 0.08 * (noise.Next() - low);
        lower += 0.3 * (low - lower);
        const double swell = std::pow(std::sin(Pi * t / 3.0), 2.0);
        s.Frames.push_back(0.9 * swell * (lower * 2.5 + 0.3 * low));
    }
    return s;
}

// The lighthouse door: a creak of rising pitch, then a wooden thud.
TSound Door()
{
    TSound s{44100, 1, {}};
    TNoise noise{777};
    const int n = 44100 * 3 / 2;
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.Rate;
        double v = 0;
        if (t < 1.0) {
            const double f = 180 + 140 * t + 25 * std::sin(2 * Pi * 7 * t);
            phase += 2 * Pi * f / s.Rate;
            const double rasp = std::sin(phase) > 0.6 ? 1.0 : -0.3;
            v = 0.35 * std::sin(Pi * t) * (0.6 * rasp + 0.4 * noise.Next()) * (0.5 + 0.5 * std::sin(2 * Pi * 31 * t));
        } else {
            const double d = t - 1.0;
            v = 0.9 * std::exp(-d * 18) * (std::sin(2 * Pi * 70 * d) + 0.4 * noise.Next() * std::exp(-d * 40));
        }
        s.Frames.push_back(std::clamp(v, -1.0, 1.0));
    }
    return s;
}

// A glass chime: bell partials, a little apart between the ears.
TSound Chime()
{
    TSound s{22050, 2, {}};
    const double partials[][2] = {{880, 1.0}, {2376, 0.5}, {4488, 0.25}, {1320, 0.3}};
    const int n = 22050 * 2;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.Rate;
        double left = 0;
        double right = 0;
        for (const auto& p : partials) {
            const double e = std::exp(-t * (1.5 + p[0] / 1500));
            left += p[1] * e * std::sin(2 * Pi * p[0] * t);
            right += p[1] * e * std::sin(2 * Pi * p[0] * 1.003 * t + 0.5);
        }
        s.Frames.push_back(0.35 * left);
        s.Frames.push_back(0.35 * right);
    }
    return s;
}

// Three knocks on wood, 8-bit stereo at 44100 Hz.
TSound Knock()
{
    TSound s{44100, 2, {}};
    TNoise noise{4242};
    const int n = 44100;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.Rate;
        double v = 0;
        for (int k = 0; k < 3; ++k) {
            const double d = t - 0.25 * k;
            if (d >= 0)
                v += std::exp(-d * 60) * (0.8 * std::sin(2 * Pi * 160 * d) + 0.3 * noise.Next());
        }
        v = std::clamp(v, -1.0, 1.0);
        s.Frames.push_back(v);
        s.Frames.push_back(0.8 * v);
    }
    return s;
}

double Note(int semitonesFromA4)
{
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

// "Shore": a calm loop of soft chords and a slow melody, 16 bars of 2 s,
// its end leading back into its start.
TSound Shore()
{
    TSound s{44100, 2, {}};
    // C, A minor, F, G, in semitones from A4.
    const int chords[4][3] = {{-9, -5, -2}, {-12, -9, -5}, {-16, -12, -9}, {-14, -10, -7}};
    const int melody[16] = {3, 7, 10, 7, 5, 3, 2, 3, 7, 10, 12, 10, 8, 7, 5, 3};
    const double bar = 2.0;
    const int n = static_cast<int>(44100 * bar * 8);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.Rate;
        const int barIndex = static_cast<int>(t / bar);
        const double inBar = t - barIndex * bar;
        const int* chord = chords[barIndex % 4];
        double pad = 0;
        for (int k = 0; k < 3; ++k) {
            const double f = Note(chord[k]);
            pad += std::sin(2 * Pi * f * t) + 0.3 * std::sin(2 * Pi * 2 * f * t);
        }
        const double padEnv = std::min(1.0, inBar * 4) * std::min(1.0, (bar - inBar) * 4);
        const int step = static_cast<int>(t / (bar / 2)) % 16;
        const double inNote = t - std::floor(t / (bar / 2)) * (bar / 2);
        const double f = Note(melody[step]);
        const double lead = std::exp(-inNote * 2.5) * (std::sin(2 * Pi * f * t) + 0.2 * std::sin(2 * Pi * 3 * f * t));
        const double left = 0.08 * pad * padEnv + 0.22 * lead;
        const double right = 0.08 * pad * padEnv * 0.9 + 0.18 * lead;
        s.Frames.push_back(left);
        s.Frames.push_back(right);
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    bool ok = true;
    ok &= Write(dir + "/se/waves.wav", Waves(), SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ok &= Write(dir + "/se/door.wav", Door(), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ok &= Write(dir + "/se/chime.wav", Chime(), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ok &= Write(dir + "/se/knock.wav", Knock(), SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ok &= Write(dir + "/bgm/shore.ogg", Shore(), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    return ok ? 0 : 1;
}
