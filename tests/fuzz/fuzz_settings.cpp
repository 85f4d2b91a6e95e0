// The settings reader on any bytes: no crash or sanitizer finding, and what it read, written
// back, reads whole and the same.
#include "scoring/textfile.h"
#include "sound/recording_audio.h"
#include "sound/sound_engine.h"
#include "tests/support/fake_places.h"

using namespace talomir;

namespace {

struct Reader {
    RecordingAudio audio;
    SoundEngine engine{audio};
    testing::FakePlaces places;
    bool loop = false;
    Integer speed = 0;
    SettingsFile settings{QStringLiteral("/nonexistent"), places, engine, loop, speed};
    Reader() {
        settings.deferMusic = [](std::function<void()>) {};  // no file is ever opened
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Reader first;
    first.settings.walk(textfile::splitLines(textfile::decode(bytes)), true);
    const QByteArray written = textfile::encodeLines(first.settings.lines());
    const QStringList back = textfile::splitLines(textfile::decode(written));
    Reader second;
    if (!second.settings.readsAsSettings(back) || !second.settings.walk(back, true) ||
        second.settings.lines() != first.settings.lines())
        abort();
    return 0;
}
