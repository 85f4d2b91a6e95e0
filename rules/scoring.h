#pragma once
// The score of a game and its bonus counters: rows, time, cells and bonus figures.
#include <array>

#include "rules/figures.h"
#include "rules/statlog.h"

namespace talomir {

class Scoring {
public:
    Scoring(const GameEventList& events, StatisticsLog& log) : events_(events), log_(log) {}

    // Every counter back at zero; the score is not shown until the first landing.
    void startGame();
    void Show_Time_Bonus(Integer value);
    // Row bonus of a landing that removed n (1 to 4) rows.
    void addRowBonus(Integer n);
    void addTimeAndCellBonus(Integer TimeTicks, Integer FigCells);
    // The bonus of the bonus figure that has just landed (0 for a classic figure).
    void addFigureBonus(Long bonus);
    void addTimeBonusTotal(Integer TimeTicks);
    void showScore();
    // Announces queue entry 2 when it is a bonus figure.
    void Announce_Talomir_Figure(const FigureRec& next);
    // The score before a landing's bonuses, for the landing's line.
    void beginLanding() { ScoreBefore = Score; }
    // A new game's score starts from nothing (the score of the one before it is spent).
    void clearScore() { Score = 0; }

    static Long rowBonus(int n);
    Long score() const { return Score; }  // tenths of a point
    Long shownScore() const { return CLng(static_cast<double>(Score) / 10.0); }
    Long landingPoints() const { return CLng(static_cast<double>(Score - ScoreBefore) / 10.0); }
    Long timeBonusTotal() const { return SumTimeBonus; }
    Long bonusTotal() const { return SumTalomirBonus; }
    Long linesCount(int rows) const { return LinesCount[static_cast<std::size_t>(rows)]; }

private:
    const GameEventList& events_;
    StatisticsLog& log_;
    Long Score = 0;
    Long ScoreBefore = 0;
    Long SumTalomirBonus{};
    Long SumTimeBonus{};
    std::array<Long, 5> LinesCount{};  // 1 to 4 used
    bool scoreShown_ = false;          // a bonus figure is announced aloud only after this
};

}  // namespace talomir
