#pragma once
// Levels and speed: a level rises after every nine removed rows, up to level 10.
#include "rules/statlog.h"

namespace talomir {

class Levels {
public:
    static constexpr Integer kMaxSpeed = 150;
    static constexpr Integer kSpeedStep = 15;
    static constexpr Integer kRowsPerLevel = 9;

    Levels(const GameEventList& events, StatisticsLog& log) : events_(events), log_(log) {}

    // A game starts at level 0 with no row of it removed.
    void startGame();
    // Level bookkeeping after one removed row; may raise Speed. shownScore is the score before
    // this landing's bonuses.
    void rowRemoved(Integer& Speed, Long shownScore);

    Integer level() const { return Level; }
    Integer linesInLevel() const { return LinesInLevel; }

private:
    const GameEventList& events_;
    StatisticsLog& log_;
    Integer Level{};
    Integer LinesInLevel{};
};

}  // namespace talomir
