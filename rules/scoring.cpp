#include "rules/scoring.h"

#include <algorithm>

namespace talomir {

void Scoring::startGame() {
    LinesCount = {};
    SumTalomirBonus = 0;
    SumTimeBonus = 0;
    scoreShown_ = false;
}

void Scoring::Show_Time_Bonus(Integer value) {
    const Long total = SumTimeBonus;
    events_.tell([value, total](GameEvents& e) { e.timeBonusShown(value, total); });
}

Long Scoring::rowBonus(int n) {
    return CLng(static_cast<double>(n) * n * n * 750.0 + 2000.0);
}

void Scoring::addRowBonus(Integer n) {
    if (n < 1 || n > 4) return;
    events_.tell([](GameEvents& e) { e.soundPlayed(SoundEvent::DeleteLines, 0); });
    const Long bonus = rowBonus(n);
    Score += bonus;
    LinesCount[static_cast<std::size_t>(n)] += 1;
    const Long count = LinesCount[static_cast<std::size_t>(n)];
    events_.tell([n, count, bonus](GameEvents& e) { e.rowsRemoved(n, count, bonus); });
}

void Scoring::addTimeAndCellBonus(Integer TimeTicks, Integer FigCells) {
    // Both products are 16-bit; they stay far inside that range (at most 2010 and 128).
    const Integer timePart = static_cast<Integer>((201 - TimeTicks) * 10);
    const Integer cellPart = static_cast<Integer>(FigCells * 4);
    Score += timePart + cellPart;
}

void Scoring::addFigureBonus(Long bonus) {
    SumTalomirBonus += bonus;
    const Long total = SumTalomirBonus;
    if (total > 0) events_.tell([total](GameEvents& e) { e.bonusTotalChanged(total); });
    Score += bonus;
}

void Scoring::addTimeBonusTotal(Integer TimeTicks) {
    SumTimeBonus += 201 - TimeTicks;
    // The countdown stops at 0: a figure that outlasted it must not show -1.
    Show_Time_Bonus(static_cast<Integer>(std::max(0, 200 - TimeTicks)));
}

void Scoring::showScore() {
    scoreShown_ = true;
    const Long score = shownScore();
    events_.tell([score](GameEvents& e) { e.scoreShown(score); });
}

void Scoring::Announce_Talomir_Figure(const FigureRec& next) {
    const FigureKind kind = kindOf(next);
    if (kind == FigureKind::Classic) return;
    if (scoreShown_)
        events_.tell([](GameEvents& e) { e.soundPlayed(SoundEvent::TalomirFigure, 0); });
    const Long bonus = next.Bonus;
    events_.tell([kind, bonus](GameEvents& e) { e.bonusFigureAnnounced(kind, bonus); });
    log_.append(kind == FigureKind::Super ? QStringLiteral("...SUPER TALOMIR !!!")
                                          : QStringLiteral("...Talomir"));
}

}  // namespace talomir
