// Cost of the rules' hot paths: a plain tick, a fall step, and a landing that removes four rows.
// Each state is reached by playing (figures dealt from a list, moves and drops), and only the tick
// measured is timed.
#include <benchmark/benchmark.h>

#include <chrono>

#include "rules/game.h"

namespace {

using namespace talomir;
using Clock = std::chrono::steady_clock;

// Upright bars, four rows tall in the box's second column.
class Bars : public FigureDealer {
public:
    std::optional<FigureRec> deal() override {
        return FigureRec{maskFromString("0000111100000000"), 0, 0};
    }
};

// The music sweeps on every tick.
struct Sweep : SweepSettings {
    bool musicOn() const override { return true; }
    Integer sweepStep() const override { return 300; }
};

struct Model {
    Model() {
        game.setSweepSettings(&sweep);
        game.Form_Load();
    }
    DefaultRandom rng;
    FixedClock clock{30};  // 61 discards per chosen figure, the middle of the range
    Sweep sweep;
    Game game{rng, clock};
};

template <class F>
double timed(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A tick that only counts: the countdown and the sweep, no fall step.
void BM_TickNoFall(benchmark::State& state) {
    Model m;
    Game& g = m.game;
    for (auto _ : state) {
        while (g.planTick(0).fallStep || g.isFinishing())
            g.isFinishing() ? g.Form_Load() : g.tick();
        state.SetIterationTime(timed([&] { g.tick(); }));
    }
}
BENCHMARK(BM_TickNoFall)->UseManualTime();

// A tick that moves the figure down one row.
void BM_FallStep(benchmark::State& state) {
    Model m;
    Game& g = m.game;
    for (auto _ : state) {
        while (!g.planTick(0).fallStep || !g.field().Can_Move_Down() || g.isFinishing())
            g.isFinishing() ? g.Form_Load() : g.tick();
        state.SetIterationTime(timed([&] { g.tick(); }));
    }
}
BENCHMARK(BM_FallStep)->UseManualTime();

// Drops the falling bar into well column `column` and lets it land; with `timedLanding`, the
// tick that lands it is timed.
double dropInto(Game& g, int column, bool timedLanding) {
    const int box = column - 1;  // the bar stands in the box's second column
    while (g.field().figX() < box) g.cmdLeftRight_MouseDown(2);
    while (g.field().figX() > box) g.cmdLeftRight_MouseDown(0);
    g.cmdDown_MouseDown();
    while (g.field().Can_Move_Down()) g.tick();
    return timedLanding ? timed([&] { g.tick(); }) : (g.tick(), 0.0);
}

// A dropped bar lands in the gap of four full rows: commit, removal of four rows with the level
// bookkeeping, the scoring, the ranking, a new figure, the log line.
void BM_LandingFourRows(benchmark::State& state) {
    Bars bars;
    Model m;
    Game& g = m.game;
    g.setDealer(&bars);
    g.Form_Load();
    constexpr int kGap = 10;
    long iterations = 0;
    for (auto _ : state) {
        if ((++iterations & 1023) == 0) g.Form_Load();  // keeps the log and the sums small
        for (int c = 4; c <= 18; ++c)
            if (c != kGap) dropInto(g, c, false);
        state.SetIterationTime(dropInto(g, kGap, true));
    }
    if (g.scoring().linesCount(4) == 0 || g.isFinishing())
        state.SkipWithError("not a four-row landing");
}
BENCHMARK(BM_LandingFourRows)->UseManualTime();

}  // namespace
