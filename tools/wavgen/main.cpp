// Writes the game's shipped sounds into the folder given as the only argument: nine short
// clips for the game events and a seamless loop of background music, all 16-bit mono PCM at
// 22050 Hz. The output depends on nothing but this source: same program, same bytes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Signal = std::vector<double>;

std::size_t samplesFor(double seconds) {
    return static_cast<std::size_t>(seconds * kRate + 0.5);
}

// A fixed-seed generator so that the noise of the swooshes is the same at every build.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double next() {  // uniform in [-1, 1)
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_;
};

double midiHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// Rises over `attack` seconds, then decays exponentially with time constant `decay`.
double pluck(double t, double attack, double decay) {
    if (t < 0) return 0;
    const double rise = t < attack ? t / attack : 1.0;
    return rise * std::exp(-std::max(0.0, t - attack) / decay);
}

// A short fade at both ends so that no clip starts or ends with a click.
void fadeEnds(Signal& s, double seconds) {
    const std::size_t n = std::min(samplesFor(seconds), s.size() / 2);
    for (std::size_t i = 0; i < n; ++i) {
        const double g = 0.5 - 0.5 * std::cos(kPi * i / n);
        s[i] *= g;
        s[s.size() - 1 - i] *= g;
    }
}

void normalise(Signal& s, double peak) {
    double max = 0;
    for (double v : s) max = std::max(max, std::abs(v));
    if (max > 0)
        for (double& v : s) v *= peak / max;
}

// A sine whose frequency glides exponentially from f0 to f1 over the length of the signal.
Signal glide(double seconds, double f0, double f1, double attack, double decay, double second) {
    Signal s(samplesFor(seconds));
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = f0 * std::pow(f1 / f0, t / seconds);
        phase += kTwoPi * f / kRate;
        s[i] = pluck(t, attack, decay) * (std::sin(phase) + second * std::sin(2 * phase));
    }
    return s;
}

// A bell: inharmonic partials that die away, the higher ones faster.
void addBell(Signal& s, double start, double hz, double amp, double decay) {
    static constexpr double kPartials[][3] = {// ratio, level, decay factor
                                              {1.0, 1.0, 1.0},
                                              {2.0, 0.35, 0.6},
                                              {2.76, 0.22, 0.45},
                                              {5.4, 0.08, 0.25}};
    const std::size_t first = samplesFor(start);
    for (std::size_t i = first; i < s.size(); ++i) {
        const double t = static_cast<double>(i - first) / kRate;
        double v = 0;
        for (const auto& p : kPartials)
            if (hz * p[0] < 0.42 * kRate)  // partials above half the rate would fold back
                v += p[1] * pluck(t, 0.003, decay * p[2]) * std::sin(kTwoPi * hz * p[0] * t);
        s[i] += amp * v;
    }
}

Signal clipLeft() {  // a soft tick gliding down
    Signal s = glide(0.075, 1300, 750, 0.002, 0.018, 0.15);
    fadeEnds(s, 0.003);
    normalise(s, 0.55);
    return s;
}

Signal clipRight() {  // the mirror tick gliding up, a little brighter
    Signal s = glide(0.075, 750, 1300, 0.002, 0.018, 0.3);
    fadeEnds(s, 0.003);
    normalise(s, 0.55);
    return s;
}

Signal clipRotate() {  // a quick whirr: a rising tone with a fast vibrato
    Signal s(samplesFor(0.12));
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 520 + 900 * t + 140 * std::sin(kTwoPi * 45 * t);
        phase += kTwoPi * f / kRate;
        const double tri = 2.0 / kPi * std::asin(std::sin(phase));
        s[i] = pluck(t, 0.006, 0.04) * (0.7 * tri + 0.3 * std::sin(2 * phase));
    }
    fadeEnds(s, 0.004);
    normalise(s, 0.5);
    return s;
}

// Noise through a band-pass filter whose centre glides from c0 to c1, under a swell: the
// sound of something rushing past.
Signal swoosh(double seconds, double c0, double c1, uint32_t seed) {
    Signal s(samplesFor(seconds));
    Noise noise(seed);
    double low = 0, band = 0;
    constexpr double kDamping = 0.6;  // a fairly wide band
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double x = t / seconds;
        const double centre = c0 * std::pow(c1 / c0, x);
        const double f = 2.0 * std::sin(kPi * centre / kRate);
        low += f * band;
        const double high = noise.next() - low - kDamping * band;
        band += f * high;
        const double swell = std::sin(kPi * std::pow(x, 0.6));
        s[i] = swell * swell * band;
    }
    return s;
}

Signal clipDrop1() {
    Signal s = swoosh(0.28, 2600, 300, 0x2545F491u);
    fadeEnds(s, 0.01);
    normalise(s, 0.6);
    return s;
}

Signal clipDrop2() {  // a swoosh with a falling whistle in it
    Signal s = swoosh(0.24, 1800, 450, 0x9E3779B9u);
    normalise(s, 1.0);
    Signal tone = glide(0.24, 900, 220, 0.02, 0.09, 0.0);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = 0.7 * s[i] + 0.35 * tone[i];
    fadeEnds(s, 0.01);
    normalise(s, 0.6);
    return s;
}

// A low body whose pitch drops, with a short filtered click on top.
Signal thud(double seconds, double f0, double f1, double decay, double knock, uint32_t seed) {
    Signal s(samplesFor(seconds));
    Noise noise(seed);
    double phase = 0, lp = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = f1 + (f0 - f1) * std::exp(-t / 0.03);
        phase += kTwoPi * f / kRate;
        lp += 0.25 * (noise.next() - lp);
        s[i] = pluck(t, 0.002, decay) * std::sin(phase) +
               knock * pluck(t, 0.001, 0.02) * std::sin(2.7 * phase) +
               0.5 * pluck(t, 0.0005, 0.006) * lp;
    }
    return s;
}

Signal clipDown1() {
    Signal s = thud(0.22, 130, 52, 0.055, 0.15, 0x1B873593u);
    fadeEnds(s, 0.004);
    normalise(s, 0.75);
    return s;
}

Signal clipDown2() {  // a shorter, woodier knock
    Signal s = thud(0.18, 210, 95, 0.035, 0.45, 0xCC9E2D51u);
    fadeEnds(s, 0.004);
    normalise(s, 0.7);
    return s;
}

Signal clipDelLin() {  // a rising major chime, C E G C
    Signal s(samplesFor(1.1));
    const int notes[] = {84, 88, 91, 96};
    for (int k = 0; k < 4; ++k) addBell(s, 0.07 * k, midiHz(notes[k]), 1.0 - 0.12 * k, 0.32);
    fadeEnds(s, 0.02);
    normalise(s, 0.6);
    return s;
}

Signal clipTalomir() {  // a sparkle: quick high pings climbing a pentatonic scale
    Signal s(samplesFor(1.35));
    const int scale[] = {84, 86, 88, 91, 93, 96, 98, 100, 103};
    Noise pick(0x68E31DA4u);
    for (int k = 0; k < 14; ++k) {
        const int step = std::min(8, k * 8 / 13 + static_cast<int>(pick.next() * 1.5 + 1.5) - 1);
        const double amp = 0.55 + 0.3 * std::sin(kPi * k / 13.0);
        addBell(s, 0.055 * k, midiHz(scale[std::max(0, step)]), amp, 0.12);
    }
    // A faint shimmer under the pings.
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        s[i] += 0.08 * pluck(t, 0.3, 0.35) * std::sin(kTwoPi * 2093 * t) *
                (0.6 + 0.4 * std::sin(kTwoPi * 11 * t));
    }
    fadeEnds(s, 0.02);
    normalise(s, 0.55);
    return s;
}

// The music: eight bars of 4/4 at 80 beats a minute, 24 seconds exactly. Every note is
// written into a ring, so tails that run past the end sound at the start: the loop has no
// seam.
class Ring {
public:
    explicit Ring(std::size_t n) : s_(n, 0.0) {}
    template <typename F>
    void add(double start, double length, F voice) {
        const std::size_t first = samplesFor(start);
        const std::size_t n = samplesFor(length);
        for (std::size_t i = 0; i < n; ++i)
            s_[(first + i) % s_.size()] += voice(static_cast<double>(i) / kRate);
    }
    Signal& signal() { return s_; }

private:
    Signal s_;
};

Signal music() {
    constexpr double kBeat = 0.75;
    constexpr int kBars = 8;
    Ring ring(samplesFor(kBars * 4 * kBeat));

    // C, Am, F, G, C, Am, Dm, G: the last bar leads back into the first.
    const int chords[kBars][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62},
                                  {60, 64, 67}, {57, 60, 64}, {50, 53, 57}, {55, 59, 62}};
    for (int bar = 0; bar < kBars; ++bar) {
        const double start = bar * 4 * kBeat;
        // Pad: soft, slightly detuned tones swelling over the bar.
        for (int note : chords[bar]) {
            const double hz = midiHz(note);
            ring.add(start, 4 * kBeat + 1.2, [hz](double t) {
                const double env =
                    std::min(1.0, t / 0.5) * (t < 3.0 ? 1.0 : std::exp(-(t - 3.0) / 0.35));
                return 0.055 * env *
                       (std::sin(kTwoPi * hz * t) + 0.6 * std::sin(kTwoPi * hz * 1.003 * t) +
                        0.2 * std::sin(kTwoPi * 2 * hz * t));
            });
        }
        // Bass: the root on beats one and three, and a passing fifth before the next bar.
        const int root = chords[bar][0] - 24 + (chords[bar][0] < 55 ? 12 : 0);
        const double bassAt[] = {0, 2, 3.5};
        const int bassNote[] = {root, root, root + 7};
        for (int k = 0; k < 3; ++k) {
            const double hz = midiHz(bassNote[k]);
            ring.add(start + bassAt[k] * kBeat, 1.6, [hz](double t) {
                return 0.2 * pluck(t, 0.01, 0.45) *
                       (std::sin(kTwoPi * hz * t) + 0.25 * std::sin(kTwoPi * 2 * hz * t));
            });
        }
        // Arpeggio: quiet eighth notes of the chord an octave up.
        for (int k = 0; k < 8; ++k) {
            const int order[] = {0, 1, 2, 1, 0, 1, 2, 1};
            const double hz = midiHz(chords[bar][order[k]] + 12);
            ring.add(start + k * kBeat / 2, 0.6, [hz](double t) {
                return 0.035 * pluck(t, 0.005, 0.15) * std::sin(kTwoPi * hz * t);
            });
        }
    }

    // Melody: bar, beat, length in beats, note.
    struct Note {
        int bar;
        double beat, length;
        int note;
    };
    const Note melody[] = {
        {0, 0, 1, 76},   {0, 1, 1, 79},    {0, 2, .5, 81}, {0, 2.5, .5, 79}, {0, 3, 1, 76},
        {1, 0, 1.5, 72}, {1, 1.5, .5, 74}, {1, 2, 2, 76},  {2, 0, 1, 81},    {2, 1, 1, 84},
        {2, 2, 1, 81},   {2, 3, 1, 79},    {3, 0, 1, 74},  {3, 1, 1.5, 79},  {3, 2.5, .5, 74},
        {3, 3, 1, 71},   {4, 0, 1, 76},    {4, 1, 1, 79},  {4, 2, 1.5, 84},  {4, 3.5, .5, 81},
        {5, 0, 1, 84},   {5, 1, 1, 81},    {5, 2, 1, 76},  {5, 3, 1, 81},    {6, 0, 1, 77},
        {6, 1, 1, 81},   {6, 2, 1, 86},    {6, 3, 1, 84},  {7, 0, 1.5, 83},  {7, 1.5, .5, 81},
        {7, 2, 1, 79},   {7, 3, 1, 74},
    };
    for (const Note& n : melody) {
        const double hz = midiHz(n.note);
        const double hold = n.length * kBeat;
        ring.add((n.bar * 4 + n.beat) * kBeat, hold + 0.8, [hz, hold](double t) {
            const double release = t < hold ? 1.0 : std::exp(-(t - hold) / 0.15);
            const double body = pluck(t, 0.012, 0.9) * release;
            const double shine = pluck(t, 0.004, 0.12);
            return 0.16 *
                   (body * std::sin(kTwoPi * hz * t) + 0.3 * shine * std::sin(kTwoPi * 2 * hz * t) +
                    0.1 * body * std::sin(kTwoPi * 3 * hz * t));
        });
    }

    Signal s = std::move(ring.signal());
    normalise(s, 0.5);
    return s;
}

void put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
    put16(out, static_cast<uint16_t>(v >> 16));
}

bool writeWav(const std::filesystem::path& path, const Signal& s) {
    const uint32_t dataBytes = static_cast<uint32_t>(s.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (double v : s) {
        const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        put16(out, static_cast<uint16_t>(static_cast<int16_t>(q)));
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const struct {
        const char* name;
        Signal (*make)();
    } files[] = {
        {"left1.WAV", clipLeft},  {"right1.WAV", clipRight},   {"rotate1.WAV", clipRotate},
        {"drop1.WAV", clipDrop1}, {"drop2.WAV", clipDrop2},    {"down1.WAV", clipDown1},
        {"down2.WAV", clipDown2}, {"dellin1.WAV", clipDelLin}, {"talomir1.WAV", clipTalomir},
        {"bkgmusic.WAV", music},
    };
    for (const auto& f : files) {
        if (!writeWav(folder / f.name, f.make())) {
            std::fprintf(stderr, "cannot write %s\n", (folder / f.name).string().c_str());
            return 1;
        }
    }
    return 0;
}
