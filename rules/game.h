#pragma once
// The game model: the well, the queue, the fall cycle, the controls and the scoring, driven by
// timer ticks and input events and reporting to its views through the Display.
#include <deque>

#include "presentation/display.h"
#include "rules/figures.h"
#include "rules/host.h"
#include "rules/playfield.h"
#include "rules/random.h"
#include "rules/levels.h"
#include "rules/ranking.h"
#include "persistence/records.h"
#include "rules/scoring.h"
#include "rules/statlog.h"

namespace talomir {

namespace vk {
inline constexpr int Escape = 27;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
}  // namespace vk

class Game {
public:
    Game(RandomSource& rng, const Clock& clock);

    void setHost(GameHost* host) { host_ = host ? host : &nullHost_; }
    // The hall of fame to rank against; without one, an empty table that touches no file.
    void setRecords(Records* records) { records_ = records ? records : &nullRecords_; }
    void setDealer(FigureDealer* dealer) { chooser.setDealer(dealer); }

    // Starts a game: the initial state of every field, caption and colour.
    void Form_Load();

    // One tick of the fall timer; does nothing while the timer is off or the game is ending.
    void tick();
    void tmrDown_Timer();
    // How many of the coming ticks would only count and step the music sweep (no countdown, no
    // drop, no fall step), so that a view may deliver them in one go instead of waking for each.
    int inertTicksAhead() const;
    // The same, but counting the ticks of a running time-bonus countdown too: they change
    // nothing but the countdown's number.
    int quietTicksAhead() const;
    bool countdownRunning() const { return !DropMode && TimeTicks < 201; }
    // In a drop, how many of the coming ticks only move the figure one row down: the tick
    // after them lands it.
    int dropTicksAhead() const;
    // Hands the music sweep's pans of the coming `ticks` ticks to the observers at once
    // (bkgPansAhead), so that the sound need not wait for each tick; those ticks then hand over
    // nothing. A tick whose pan is not the one handed over (the sweep restarted, its step
    // changed) withdraws the rest (bkgPansWithdrawn) and hands its own over as before.
    void handOverSweep(int ticks, TickPace pace);
    void tmrLevel_Timer() { levels.tmrLevel_Timer(); }
    void tmrMigCountLines_Timer() { scoring.tmrMigCountLines_Timer(); }
    void tmrMigMenuControls_Timer() { ranking.tmrMigMenuControls_Timer(); }
    // One step of the demo: presses a steering button at random and sets the wait until the
    // next step. Does nothing while the demo is off, the game paused or ending.
    void tmrDemo_Timer();
    // The shortest wait a timer honours; a wait of 0 would stop it for good.
    static constexpr int kShortestInterval = 1;

    void Form_KeyDown(int KeyCode);
    void Form_KeyUp(int KeyCode);
    void cmdLeftRight_MouseDown(int Index);
    void cmdLeftRight_MouseUp(int Index);
    void cmdRotate_MouseDown(int Index);
    void cmdRotate_MouseUp(int Index);
    void cmdDown_MouseDown();
    void cmdDown_MouseUp();

    // A check button's value set by a click or by the program; runs its click handler.
    void setCheckValue(Ctl check, int value);
    void chkPause_Click();
    void chkDemo_Click();
    // A random one of the seven event sounds (each page of the help tour plays one).
    void playRandomEventSound();
    // The main window was minimised (true) or restored (false).
    void Form_Resize(bool minimized);

    void Finish_Game(Long finalScore);
    bool isFinishing() const { return finishing_; }
    bool isPaused() const { return display[Ctl::chkPause].Value == 1; }

    // The game's state, read by the views; `{}` marks what every game start sets.
    Display display;
    StatisticsLog log{display};
    Playfield field;
    FigureChooser chooser;
    FigureQueue Queue;
    CellArray FigNext{};
    Scoring scoring{display, log};
    Levels levels;
    LiveRanking ranking{display, log};

    Integer FigCells{};
    bool DropMode = false;
    Integer TickCount{};
    Integer Speed = 0;
    Integer TimeTicks{};
    Integer FigureCount{};
    bool EnableKeys = true;
    bool EscPressed = false;
    Colour ButtonColor{};
    bool SoundReady = false;
    Integer MusicSweep{};
    Integer MusicSweepDir{};

    // Settings that the fall tick reads.
    bool EnableLoop = false;
    Integer SpeedChange = 0;

private:
    void draw(void (GameObserver::*what)());
    void play(Clip c);
    void discard(int count);
    void land();
    void withdrawSweep();

    RandomSource& rng_;
    const Clock& clock_;
    GameHost nullHost_;
    HallOfFameRecords nullRecords_;
    GameHost* host_ = &nullHost_;
    Records* records_ = &nullRecords_;
    bool finishing_ = false;
    std::deque<Integer> handedOver_;  // pans of the coming ticks, already with the observers
};

}  // namespace talomir
