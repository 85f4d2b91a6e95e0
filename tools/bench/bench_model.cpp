// Cost of the game model's hot paths: a plain tick, a fall step, and a landing that removes
// four rows. Every state is rebuilt with a few field writes, so the timer never has to pause.
#include <benchmark/benchmark.h>

#include <cstring>

#include "rules/game.h"

namespace {

using namespace talomir;

const Mask kBar = {'0', '0', '0', '0', '1', '1', '1', '1', '0', '0', '0', '0', '0', '0', '0', '0'};

struct Model {
    Model() {
        game.Form_Load();
        game.EnableLoop = true;  // the music sweep runs on every tick
        game.SpeedChange = 300;
    }
    DefaultRandom rng;
    FixedClock clock{30};  // 61 discards per chosen figure, the middle of the range
    Game game{rng, clock};
};

// A tick that only counts: the countdown and the sweep, no fall step.
void BM_TickNoFall(benchmark::State& state) {
    Model m;
    Game& g = m.game;
    for (auto _ : state) {
        g.TickCount = 0;
        if (g.TimeTicks > 200) g.TimeTicks = 0;  // keep the countdown running
        g.tick();
    }
    benchmark::DoNotOptimize(g.TickCount);
}
BENCHMARK(BM_TickNoFall);

// A tick that moves the figure down one row.
void BM_FallStep(benchmark::State& state) {
    Model m;
    Game& g = m.game;
    for (auto _ : state) {
        g.TickCount = Levels::kMaxSpeed - 1;
        if (g.TimeTicks > 200) g.TimeTicks = 0;
        if (g.field.FigY > 20) g.field.FigY = 0;
        g.tick();
    }
    benchmark::DoNotOptimize(g.field.FigY);
}
BENCHMARK(BM_FallStep);

// A dropped bar lands in the gap of four full rows: commit, removal of four rows with the level
// bookkeeping, the scoring, the ranking, a new random figure, the log line.
void BM_LandingFourRows(benchmark::State& state) {
    Model m;
    Game& g = m.game;
    Playfield ready;
    for (int r = 27; r <= 30; ++r)
        for (int c = 4; c <= 18; ++c) ready.Well[c][r] = c != 10;
    CellArray bar{};
    Integer cells = 0;
    Initialize_Array_For_Brikko(bar, kBar, cells);
    FigureRec landed;
    landed.Mask = kBar;
    long iterations = 0;
    for (auto _ : state) {
        std::memcpy(g.field.Well, ready.Well, sizeof ready.Well);
        g.field.Fig = bar;
        g.field.FigX = 9;
        g.field.FigY = 27;
        g.Queue[1] = landed;
        g.DropMode = true;
        g.levels.LinesInLevel = 0;
        g.scoring.Score = 0;  // keeps the 32-bit sums far from their limits
        g.scoring.SumTimeBonus = 0;
        g.FigureCount = 0;
        if ((++iterations & 4095) == 0) g.log.clear();
        g.tick();
    }
    if (g.scoring.LastLines != 4 || g.isFinishing()) state.SkipWithError("not a four-row landing");
}
BENCHMARK(BM_LandingFourRows);

}  // namespace
