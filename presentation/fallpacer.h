#pragma once
// Paces the fall timer. A run of ticks that change nothing but the game's tick counter and the
// music's pan is slept through in one wait and counted when it ends, so that an idle game does
// not wake the process 62 times a second; the pans of those ticks go to the sound ahead, each to
// take effect at its tick's time. A running time-bonus countdown is shown every few ticks and a
// dropped figure every fourth row, their ticks delivered together. Every other tick (a fall
// step, a landing) comes at its own time. What a coming tick does is asked of the game's own
// tick (Game::planTick), so the pacing cannot drift from the rules.
#include <QElapsedTimer>
#include <chrono>
#include <functional>

#include "rules/game.h"

namespace talomir {

class FallPacer {
public:
    // setWait restarts the fall timer with a wait in milliseconds; running tells whether it runs.
    FallPacer(Game& game, std::function<void(int ms)> setWait, std::function<bool()> running);

    // The length of one fall tick.
    void setTickMs(int ms);
    int tickMs() const { return tickMs_; }

    // The timer starts (or restarts after its wait ran out): a new wait begins.
    void start();
    // The wait ran out: its ticks are delivered, and a running timer waits anew.
    void elapsed();
    // An input steers the game between two ticks: the ticks already due first, then the input
    // (handler), then the wait is fitted to what it changed.
    void input(const std::function<void()>& handler);
    // Coming ticks that may be delivered late, all at once; midTick: asked between two ticks.
    int ticksToSleep(bool midTick = false) const;

private:
    void handOverSweep();
    int quietTicks(int limit) const;

    Game& game_;
    std::function<void(int)> setWait_;
    std::function<bool()> running_;
    int tickMs_;
    int wait_ = 1;         // ticks the current wait stands for
    int delivered_ = 0;    // of those, already given to the game by an input's catching up
    QElapsedTimer clock_;  // since the current wait began
    std::chrono::steady_clock::time_point start_;  // when the current wait began
};

}  // namespace talomir
