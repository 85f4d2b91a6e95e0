// The wav reader on any bytes: no crash or sanitizer finding, and what it returns is whole:
// one or two channels, the rate asked for (or the file's own), whole frames. The output opens
// at the first sound's rate when a card plays it, so every later sound may be converted to any
// rate from 8000 to 192000 Hz: the ends of that range and the usual one.
#include <cstdlib>

#include "sound/sdl_audio_backend.h"

using namespace talomir;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    for (const int rate : {0, 8000, 44100, 192000}) {
        const std::optional<PcmSound> s = decodeWav(bytes, rate);
        if (s &&
            (s->channels < 1 || s->channels > 2 || s->rate <= 0 || (rate > 0 && s->rate != rate) ||
             s->samples.empty() || s->samples.size() % std::size_t(s->channels) != 0))
            abort();
    }
    return 0;
}
