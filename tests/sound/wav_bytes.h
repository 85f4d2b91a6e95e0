#pragma once
// Builds wav files byte by byte for the sound tests, including deliberately broken ones.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstdint>
#include <vector>

namespace wavbytes {

inline void put16(QByteArray& b, uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

inline void put32(QByteArray& b, uint32_t v) {
    put16(b, uint16_t(v & 0xFFFF));
    put16(b, uint16_t(v >> 16));
}

inline QByteArray chunk(const char* id, const QByteArray& body, int64_t declared = -1) {
    QByteArray b(id, 4);
    put32(b, uint32_t(declared >= 0 ? declared : body.size()));
    b += body;
    if (body.size() % 2) b.append('\0');
    return b;
}

inline QByteArray fmtBody(uint16_t tag, int channels, int rate, int bits) {
    const int align = channels * (bits / 8);
    QByteArray b;
    put16(b, tag);
    put16(b, uint16_t(channels));
    put32(b, uint32_t(rate));
    put32(b, uint32_t(rate * align));
    put16(b, uint16_t(align));
    put16(b, uint16_t(bits));
    return b;
}

inline QByteArray riff(const QByteArray& chunks, int declared = -1) {
    QByteArray b("RIFF");
    put32(b, uint32_t(declared >= 0 ? declared : chunks.size() + 4));
    b += "WAVE";
    b += chunks;
    return b;
}

inline QByteArray wav(uint16_t tag, int channels, int rate, int bits, const QByteArray& data) {
    return riff(chunk("fmt ", fmtBody(tag, channels, rate, bits)) + chunk("data", data));
}

// Samples in [-1, 1] as little-endian integers of the given width (8 bits is unsigned).
inline QByteArray pcm(const std::vector<double>& samples, int bits) {
    QByteArray b;
    for (double s : samples) {
        const double full = std::pow(2.0, bits - 1) - 1;
        const auto v = int64_t(std::lround(s * full));
        if (bits == 8) {
            b.append(char(uint8_t(v + 128)));
        } else {
            for (int k = 0; k < bits / 8; ++k) b.append(char((uint64_t(v) >> (8 * k)) & 0xFF));
        }
    }
    return b;
}

inline QByteArray pcm16(const std::vector<int16_t>& samples) {
    QByteArray b;
    for (int16_t s : samples) put16(b, uint16_t(s));
    return b;
}

// A sine of the given length, 16-bit, interleaved with the same value on every channel.
inline std::vector<int16_t> tone(double seconds, int rate, int channels, double hz,
                                 double amplitude) {
    std::vector<int16_t> out;
    const int frames = int(seconds * rate);
    for (int i = 0; i < frames; ++i) {
        const auto v = int16_t(std::lround(amplitude * 32767 * std::sin(2 * M_PI * hz * i / rate)));
        for (int c = 0; c < channels; ++c) out.push_back(v);
    }
    return out;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

}  // namespace wavbytes
