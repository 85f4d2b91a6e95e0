#pragma once
// The score of a game, its bonus counters and their displays.
#include <array>

#include "presentation/display.h"
#include "rules/figures.h"
#include "rules/statlog.h"

namespace talomir {

class Scoring {
public:
    Scoring(Display& display, StatisticsLog& log) : display_(display), log_(log) {}

    void startGame();
    void Show_Time_Bonus(Integer value);
    // Row bonus of a landing that removed n (1 to 4) rows.
    void addRowBonus(Integer n);
    void addTimeAndCellBonus(Integer TimeTicks, Integer FigCells);
    // The bonus of the bonus figure that has just landed (0 for a classic figure).
    void addFigureBonus(Long bonus);
    void addTimeBonusTotal(Integer TimeTicks);
    void showScore();
    // Announces queue entry 2 when it is a bonus figure and sets ColorFigura.
    void Announce_Talomir_Figure(const FigureRec& next);
    void tmrMigCountLines_Timer();

    static Long rowBonus(int n);
    Long shownScore() const { return CLng(static_cast<double>(Score) / 10.0); }
    Long landingPoints() const { return CLng(static_cast<double>(Score - ScoreBefore) / 10.0); }

    Long Score = 0;
    Long ScoreBefore = 0;
    Long SumTalomirBonus{};
    Long SumTimeBonus{};
    std::array<Long, 5> LinesCount{};  // 1 to 4 used
    Integer LastLines = 0;
    Integer CountLinesBlinks = 0;
    Integer BlinkLine = 0;
    Colour ColorFigura = kColourClassic;

private:
    Display& display_;
    StatisticsLog& log_;
};

}  // namespace talomir
