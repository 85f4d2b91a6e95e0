// The settings reader on any bytes: no crash or sanitizer finding; the check a save makes before
// replacing a file agrees with the reading; what it read, written back, reads whole and the same;
// and the sound paths and volumes read go on to the music and the clips without a finding.
#include <cstdlib>
#include <functional>
#include <vector>

#include "persistence/textfile.h"
#include "sound/recording_audio.h"
#include "sound/sound_engine.h"
#include "sound/sound_settings.h"
#include "tests/support/fake_places.h"

using namespace talomir;

namespace {

struct Reader {
    RecordingAudio audio;
    SoundEngine engine{audio};
    testing::FakePlaces places;
    EngineSettings sound{engine, QStringLiteral("/nonexistent/sound")};
    SettingsFile settings{QStringLiteral("/nonexistent"), places, sound};
    // The music's start, run once the file is read, as the window's timer would.
    std::vector<std::function<void()>> music;
    Reader() {
        audio.setAcceptAnyPath(true);  // a path read is loaded without a file being opened
        sound.deferMusic = [this](std::function<void()> step) { music.push_back(std::move(step)); };
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Sound paths that name no file are looked for in this folder, which holds none.
    static const bool folders =
        (GameFolders::setCurrent(GameFolders::beside(QStringLiteral("/nonexistent"))), true);
    (void)folders;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = textfile::splitLines(textfile::decode(bytes));
    Reader first;
    const bool whole = first.settings.walk(lines, false);
    const bool own = first.settings.readsAsSettings(lines);
    if (first.settings.walk(lines, true) != whole || (whole && !own)) abort();
    const QStringList read = first.settings.lines();
    const QByteArray written = textfile::encodeLines(read);
    const QStringList back = textfile::splitLines(textfile::decode(written));
    Reader second;
    if (!second.settings.readsAsSettings(back) || !second.settings.walk(back, true) ||
        second.settings.lines() != read)
        abort();
    // The values at work: the music started at its volume, every clip played.
    for (const auto& step : first.music) step();
    for (int c = 0; c < kClipCount; ++c) first.engine.play(clipAt(c));
    return 0;
}
