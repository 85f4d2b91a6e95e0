#pragma once
// Wav files built byte by byte for the sound tests.

#include <QByteArray>
#include <cmath>
#include <cstdint>
#include <vector>

namespace wavbytes {

inline void put(QByteArray& b, uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) b.append(char((v >> (8 * k)) & 0xFF));
}

// One fmt chunk (tag 1 is integer PCM, 7 µ-law) and one data chunk.
inline QByteArray wav(uint16_t tag, int channels, int rate, int bits, const QByteArray& data) {
    QByteArray b("RIFF");
    put(b, uint32_t(36 + data.size() + data.size() % 2), 4);
    b += "WAVEfmt ";
    put(b, 16, 4), put(b, tag, 2), put(b, uint32_t(channels), 2), put(b, uint32_t(rate), 4);
    put(b, uint32_t(rate * channels * bits / 8), 4), put(b, uint32_t(channels * bits / 8), 2);
    put(b, uint32_t(bits), 2);
    b += "data";
    put(b, uint32_t(data.size()), 4);
    return b + data + QByteArray(data.size() % 2, '\0');
}

inline QByteArray pcm16(const std::vector<int16_t>& samples) {
    QByteArray b;
    for (int16_t s : samples) put(b, uint16_t(s), 2);
    return b;
}

// A 440 Hz sine at half of full scale, inverted on the right: both sides mixed cancel out.
inline QByteArray toneWav(double seconds, int rate = 44100, int channels = 2) {
    std::vector<int16_t> s;
    for (int i = 0; i < int(seconds * rate); ++i) {
        const auto v = int16_t(std::lround(16383 * std::sin(2 * M_PI * 440 * i / rate)));
        for (int c = 0; c < channels; ++c) s.push_back(c ? int16_t(-v) : v);
    }
    return wav(1, channels, rate, 16, pcm16(s));
}

}  // namespace wavbytes
