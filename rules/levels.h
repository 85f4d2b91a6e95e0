#pragma once
// Levels and speed: a level rises after every nine removed rows, up to level 10.
#include "presentation/display.h"
#include "rules/random.h"
#include "rules/statlog.h"

namespace talomir {

class Levels {
public:
    static constexpr Integer kMaxSpeed = 150;
    static constexpr Integer kSpeedStep = 15;

    Levels(Display& display, StatisticsLog& log, RandomSource& rng)
        : display_(display), log_(log), rng_(rng) {}

    void startGame();
    // Level bookkeeping after one removed row; may raise Speed. shownScore is the score before
    // this landing's bonuses.
    void rowRemoved(Integer& Speed, Long shownScore);
    void tmrLevel_Timer();

    Integer Level{};
    Integer LinesInLevel{};
    Integer LevelBlinks = 0;

private:
    Display& display_;
    StatisticsLog& log_;
    RandomSource& rng_;
};

}  // namespace talomir
