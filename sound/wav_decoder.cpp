#include "sound/wav_decoder.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace talomir {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMaxChannels = 8;
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 384000;

// The GUID of an extensible header ends in these 14 bytes for the standard sub-formats; the
// first two bytes carry the plain format tag.
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t u16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t u32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool tagIs(const unsigned char* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

int16_t fromFloat(double x) {
    if (!(x == x)) return 0;  // NaN
    x = std::clamp(x, -1.0, 1.0);
    return static_cast<int16_t>(std::lrint(x * 32767.0));
}

int16_t sampleAt(const unsigned char* p, int bits, bool isFloat) {
    if (isFloat) {
        if (bits == 32) {
            float f;
            uint32_t raw = u32(p);
            std::memcpy(&f, &raw, sizeof f);
            return fromFloat(f);
        }
        uint64_t raw = static_cast<uint64_t>(u32(p)) | (static_cast<uint64_t>(u32(p + 4)) << 32);
        double d;
        std::memcpy(&d, &raw, sizeof d);
        return fromFloat(d);
    }
    switch (bits) {
        case 8:
            return static_cast<int16_t>((p[0] - 128) * 256);
        case 16:
            return static_cast<int16_t>(u16(p));
        case 24: {
            int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 |
                                             static_cast<uint32_t>(p[1]) << 16 |
                                             static_cast<uint32_t>(p[2]) << 24);
            return static_cast<int16_t>(v >> 16);
        }
        default:  // 32
            return static_cast<int16_t>(static_cast<int32_t>(u32(p)) >> 16);
    }
}

std::optional<PcmSound> fail(WavError* error, WavError why) {
    if (error) *error = why;
    return std::nullopt;
}

}  // namespace

std::optional<PcmSound> decodeWav(std::span<const unsigned char> bytes, WavError* error) {
    if (error) *error = WavError::None;
    const unsigned char* base = bytes.data();
    const uint64_t size = bytes.size();
    if (size < 12 || !tagIs(base, "RIFF") || !tagIs(base + 8, "WAVE"))
        return fail(error, WavError::NotWave);

    const unsigned char* fmt = nullptr;
    uint32_t fmtSize = 0;
    const unsigned char* data = nullptr;
    uint64_t dataSize = 0;
    // The RIFF size field is often wrong in files written by streaming tools, so the chunks
    // are walked up to the real end of the bytes instead.
    uint64_t offset = 12;
    while (offset + 8 <= size && !(fmt && data)) {
        const unsigned char* header = base + offset;
        const uint64_t chunkSize = u32(header + 4);
        const uint64_t body = offset + 8;
        const uint64_t available = size - body;
        if (tagIs(header, "fmt ") && !fmt) {
            if (chunkSize < 16 || chunkSize > available) return fail(error, WavError::BadFormat);
            fmt = base + body;
            fmtSize = static_cast<uint32_t>(chunkSize);
        } else if (tagIs(header, "data") && !data) {
            data = base + body;
            dataSize = std::min(chunkSize, available);  // a cut-off file keeps what it has
        }
        offset = body + chunkSize + (chunkSize & 1);
    }
    if (!fmt) return fail(error, WavError::BadFormat);

    uint16_t tag = u16(fmt);
    const int channels = u16(fmt + 2);
    const uint32_t rate = u32(fmt + 4);
    const int blockAlign = u16(fmt + 12);
    const int bits = u16(fmt + 14);
    if (tag == kFormatExtensible) {
        if (fmtSize < 40 || u16(fmt + 16) < 22 || std::memcmp(fmt + 26, kGuidTail, 14) != 0)
            return fail(error, WavError::Unsupported);
        tag = u16(fmt + 24);
    }
    if (channels < 1 || channels > kMaxChannels || rate < kMinRate || rate > kMaxRate)
        return fail(error, WavError::BadFormat);
    bool isFloat = false;
    if (tag == kFormatPcm) {
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return fail(error, WavError::Unsupported);
    } else if (tag == kFormatFloat) {
        if (bits != 32 && bits != 64) return fail(error, WavError::Unsupported);
        isFloat = true;
    } else {
        return fail(error, WavError::Unsupported);
    }
    const int bytesPerSample = bits / 8;
    if (blockAlign != channels * bytesPerSample) return fail(error, WavError::BadFormat);
    if (!data) return fail(error, WavError::NoData);
    const uint64_t frames = dataSize / static_cast<uint64_t>(blockAlign);
    if (frames == 0) return fail(error, WavError::NoData);

    PcmSound sound;
    sound.channels = std::min(channels, 2);
    sound.sampleRate = static_cast<int>(rate);
    sound.sourceChannels = channels;
    sound.sourceBits = bits;
    sound.sourceFloat = isFloat;
    sound.samples.resize(frames * sound.channels);
    int16_t* out = sound.samples.data();
    const unsigned char* in = data;
    for (uint64_t f = 0; f < frames; ++f, in += blockAlign) {
        for (int c = 0; c < sound.channels; ++c)
            *out++ = sampleAt(in + c * bytesPerSample, bits, isFloat);
    }
    return sound;
}

std::optional<PcmSound> readWavFile(const QString& path, WavError* error) {
    if (error) *error = WavError::None;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return fail(error, WavError::Unreadable);
    if (file.size() > kMaxWavFileBytes) return fail(error, WavError::Unreadable);
    QByteArray bytes;
    if (!file.isSequential()) {
        bytes = file.readAll();
    } else {
        // A pipe reports no size: read in pieces, bounded by the same limit.
        while (bytes.size() <= kMaxWavFileBytes) {
            const QByteArray piece = file.read(1 << 16);
            if (piece.isEmpty()) break;
            bytes += piece;
        }
    }
    if (bytes.size() > kMaxWavFileBytes) return fail(error, WavError::Unreadable);
    return decodeWav(std::span(reinterpret_cast<const unsigned char*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size())),
                     error);
}

}  // namespace talomir
