#pragma once
// The game: the well, the queue, the fall cycle, the controls and the scoring, driven by timer
// ticks and input and telling its listeners what happened (GameEvents).
#include <deque>

#include "rules/events.h"
#include "rules/figures.h"
#include "rules/levels.h"
#include "rules/playfield.h"
#include "rules/random.h"
#include "rules/ranking.h"
#include "rules/records.h"
#include "rules/scoring.h"
#include "rules/statlog.h"

namespace talomir {

// What one fall tick does, in the order it does it.
struct TickPlan {
    bool countdown = false;  // shows the time-bonus countdown's next number
    bool fallStep = false;   // moves the figure a row down or lands it
};

class Game {
public:
    Game(RandomSource& rng, const Clock& clock);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void listen(GameEvents* listener) { events_.add(listener); }
    void unlisten(GameEvents* listener) { events_.remove(listener); }
    void setQuestions(GameQuestions* questions) {
        questions_ = questions ? questions : &noQuestions_;
    }
    // The hall of fame to rank against; without one, an empty table that touches no file.
    void setRecords(Records* records) { records_ = records ? records : &noRecords_; }
    void setDealer(FigureDealer* dealer) { chooser_.setDealer(dealer); }

    // Starts a game: the initial state of every count, the first figures dealt.
    void Form_Load();

    // One tick of the fall timer; does nothing while the figure stands (paused, game over).
    void tick();
    // What the tick `ahead` ticks from now will do (0: the next one), if nothing else happens
    // first: the fall tick's own decision, run on the counters as they will be then.
    TickPlan planTick(int ahead) const;
    // In a drop, how many of the coming ticks only move the figure one row down: the tick after
    // them lands it.
    int dropTicksAhead() const;
    // Hands the music sweep's pans of the coming `ticks` ticks to the listeners at once
    // (musicPansAhead), so that the sound need not wait for each tick; those ticks then hand over
    // nothing. A tick whose pan is not the one handed over (the sweep restarted, its step
    // changed) withdraws the rest (musicPansWithdrawn) and hands its own over as before.
    void handOverSweep(int ticks, TickPace pace);
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

    // The pause and demo switches, set by a click or by the program.
    void setPaused(bool paused);
    void setDemo(bool on);
    // A random one of the seven event sounds (each page of the help tour plays one).
    void playRandomEventSound();
    // The main window was minimised (true) or restored (false).
    void Form_Resize(bool minimized);

    void Finish_Game(Long finalScore);

    // Where the music's sweep settings are read; without any, the music never sweeps.
    void setSweepSettings(const SweepSettings* settings) { sweep_ = settings; }
    // The fall speed (every level adds Levels::kSpeedStep); set between games.
    void setSpeed(Integer speed) { Speed = speed; }
    Integer speed() const { return Speed; }

    bool isFinishing() const { return finishing_; }
    bool isPaused() const { return paused_; }
    bool demoOn() const { return demo_; }
    bool isFalling() const { return !paused_; }
    bool demoTimerRunning() const { return demoTimer_; }
    int demoWaitMs() const { return demoWaitMs_; }
    bool dropAvailable() const { return dropAvailable_; }
    bool isDropping() const { return DropMode; }
    bool countdownRunning() const { return !DropMode && TimeTicks < 201; }
    Integer tickCount() const { return TickCount; }
    Integer figureCount() const { return FigureCount; }
    Integer timeTicks() const { return TimeTicks; }
    Integer musicSweep() const { return MusicSweep; }

    const Playfield& field() const { return field_; }
    // Sets up a position in the well (a puzzle to study, a test's starting point) and shows it.
    template <class Edit>
    void setUpWell(Edit&& edit) {
        edit(field_);
        tell([](GameEvents& e) { e.wellChanged(); });
        tell([](GameEvents& e) { e.figureShown(); });
    }
    const CellArray& nextFigure() const { return FigNext; }
    FigureKind nextFigureKind() const { return kindOf(Queue[2]); }
    const FigureQueue& queue() const { return Queue; }
    const Scoring& scoring() const { return scoring_; }
    const Levels& levels() const { return levels_; }
    const LiveRanking& ranking() const { return ranking_; }
    const StatisticsLog& log() const { return log_; }

private:
    template <class F>
    void tell(F&& f) {
        events_.tell(std::forward<F>(f));
    }
    void sound(SoundEvent event);
    void discard(int count);
    void tmrDown_Timer();
    void land();
    void withdrawSweep();
    void setDemoTimer(bool running);
    void dealFirstFigures();

    GameEventList events_;
    RandomSource& rng_;
    const Clock& clock_;
    GameQuestions noQuestions_;
    GameQuestions* questions_ = &noQuestions_;
    NoRecords noRecords_;
    Records* records_ = &noRecords_;

    StatisticsLog log_{events_};
    Playfield field_;
    FigureChooser chooser_;
    FigureQueue Queue;
    CellArray FigNext{};
    Scoring scoring_{events_, log_};
    Levels levels_{events_, log_};
    LiveRanking ranking_{events_, log_};

    Integer FigCells{};
    bool DropMode = false;
    Integer TickCount{};
    Integer Speed = 0;
    Integer TimeTicks{};
    Integer FigureCount{};
    bool EnableKeys = true;
    bool EscPressed = false;
    bool SoundReady = false;
    Integer MusicSweep{};
    Integer MusicSweepDir{};
    const SweepSettings* sweep_ = nullptr;

    bool finishing_ = false;
    bool paused_ = false;
    bool demo_ = false;
    bool demoTimer_ = false;
    int demoWaitMs_ = 500;
    bool dropAvailable_ = true;
    std::deque<Integer> handedOver_;  // pans of the coming ticks, already with the listeners
};

}  // namespace talomir
