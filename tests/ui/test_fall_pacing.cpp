// The music sweep's pans reach the sound ahead of their ticks, so that a window sleeping through
// inert ticks need not wake for each; the sound must still get every tick's pan, in order, once.

#include "sound/recording_audio.h"
#include "tests/support/main_window_rig.h"
#include "ui/application.h"

using namespace talomir;

namespace {

// The pans a game hands over when every tick is delivered on its own, as the simulator does.
std::vector<int> tickByTick(int ticks, std::function<void(Game&, int)> before = {}) {
    ScriptedRandom rng({}, 0.0f);
    FixedClock clock(0);
    Game game(rng, clock);
    testing::Recorder recorder(game.display);
    game.EnableLoop = true;
    game.SpeedChange = 700;
    game.Form_Load();
    for (int i = 0; i < ticks; ++i, game.tick())
        if (before) before(game, i);
    return {recorder.pans.begin(), recorder.pans.end()};
}

struct Sound {
    RecordingAudio audio;
    SoundEngine engine{audio};
    ui::SoundBridge bridge{engine};
    explicit Sound(talomir::Display& display) {
        audio.setAcceptAnyPath(true);
        engine.music().PlayBkgMusic(QStringLiteral("music.wav"));
        display.addObserver(&bridge);
    }
};

}  // namespace

class TestFallPacing : public QObject {
    Q_OBJECT

private slots:
    // Waits, key presses that end a wait early, a drop and a pause: the pans the music got are
    // those of the ticks the game counted, and no more.
    void theWindowHandsOverEveryTicksPanOnce() {
        testing::Window w;
        Sound sound(w.game().display);
        w.game().EnableLoop = true;
        w.game().SpeedChange = 700;
        QVERIFY(w.start());
        w.frm->setFallTickMs(1);
        QTRY_VERIFY_WITH_TIMEOUT(w.game().TimeTicks > 200, 30000);  // the countdown is over
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Down, Qt::Key_Escape}) {
            QTest::qWait(300);
            QTest::keyClick(w.frm.get(), key);
        }
        QVERIFY(w.game().isPaused());
        // Waits were handed over at once; exactly the counted ticks ran.
        QVERIFY(std::ranges::any_of(sound.audio.ops(),
                                    [](const AudioOp& op) { return op.pans.size() > 100; }));
        const std::vector<int> pans = sound.audio.pans();
        QCOMPARE(pans, tickByTick(int(pans.size())));
        QCOMPARE(int(w.game().MusicSweep), tickByTick(int(pans.size()) + 1).back());
    }

    // A tick whose pan differs from the one handed over withdraws the rest: here the step
    // changes in the middle of a handed-over run.
    void aChangedSweepWithdrawsWhatWasHandedOver() {
        testing::Window w;
        Sound sound(w.game().display);
        Game& g = w.game();
        g.EnableLoop = true;
        g.SpeedChange = 700;
        g.Form_Load();
        g.handOverSweep(50, {std::chrono::steady_clock::now(), std::chrono::milliseconds(16)});
        auto change = [](Game& game, int tick) { game.SpeedChange = tick < 20 ? 700 : 300; };
        for (int i = 0; i < 40; ++i, g.tick()) change(g, i);
        QCOMPARE(sound.audio.pans(), tickByTick(40, change));
    }
};

QTEST_MAIN(TestFallPacing)
#include "test_fall_pacing.moc"
