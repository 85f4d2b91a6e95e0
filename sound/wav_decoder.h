#pragma once
// RIFF/WAVE reader. Accepts integer PCM of 8, 16, 24 and 32 bits and IEEE float of 32 and 64
// bits, plain or in the extensible header, with 1 to 8 channels; everything else, and every
// malformed file, is rejected without reading outside the given bytes.

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace talomir {

enum class WavError {
    None,
    Unreadable,   // the file could not be opened or read, or is too large
    NotWave,      // no RIFF/WAVE header
    BadFormat,    // fmt chunk missing, short or inconsistent
    Unsupported,  // a valid header for an encoding that is not PCM or float
    NoData,       // no data chunk, or no whole sample frame in it
};

// Decoded samples as signed 16 bit, interleaved, mono or stereo (files with more channels
// keep their first two, the front left and right ones).
struct PcmSound {
    int channels = 0;
    int sampleRate = 0;
    std::vector<int16_t> samples;
    // What the file held, before the conversion.
    int sourceChannels = 0;
    int sourceBits = 0;
    bool sourceFloat = false;

    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Files above this size are refused before they are read.
inline constexpr qint64 kMaxWavFileBytes = 256LL * 1024 * 1024;

std::optional<PcmSound> decodeWav(std::span<const unsigned char> bytes, WavError* error = nullptr);
std::optional<PcmSound> readWavFile(const QString& path, WavError* error = nullptr);

}  // namespace talomir
