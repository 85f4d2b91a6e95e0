#include "rules/scoring.h"

#include <algorithm>

namespace talomir {

namespace {
constexpr Colour kYellow = 0x00FFFF;
}

void Scoring::startGame() {
    LinesCount = {};
    display_.setCaption(Ctl::lblScore, QStringLiteral("---"));
    for (int n = 1; n <= 4; ++n) display_.setCaption(lblCountLines(n), QString());
    display_.setForeColor(Ctl::lblScore, kYellow);
    SumTalomirBonus = 0;
    display_.setCaption(Ctl::lblSumBonus, QString());
    SumTimeBonus = 0;
}

void Scoring::Show_Time_Bonus(Integer value) {
    display_.setCaption(Ctl::lblTimeBonus, CStr(static_cast<long>(value)));
    display_.setCaption(Ctl::lblTotalScore, CStr(static_cast<long>(SumTimeBonus)));
}

Long Scoring::rowBonus(int n) {
    return CLng(static_cast<double>(n) * n * n * 750.0 + 2000.0);
}

void Scoring::addRowBonus(Integer n) {
    if (n < 1 || n > 4) return;
    display_.notify([](GameObserver& o) { o.playClip(Clip::mDelLin1); });
    const Long b = rowBonus(n);
    Score += b;
    LastLines = n;
    for (int i = 1; i <= 4; ++i) display_.setForeColor(lblCountLines(i), kYellow);
    if (display_.timer(Tmr::tmrMigCountLines).Enabled)
        CountLinesBlinks = 0;
    else
        display_.setTimer(Tmr::tmrMigCountLines, true);
    LinesCount[static_cast<std::size_t>(n)] += 1;
    const Long count = LinesCount[static_cast<std::size_t>(n)];
    display_.setCaption(lblCountLines(n), CStr(static_cast<long>(n)) + QStringLiteral("-Lines*") +
                                              CStr(static_cast<long>(count)) +
                                              QStringLiteral(" = ") +
                                              CStr(static_cast<long>(CLng(b / 10.0 * count))));
}

void Scoring::addTimeAndCellBonus(Integer TimeTicks, Integer FigCells) {
    // Both products are 16-bit; they stay far inside that range (at most 2010 and 128).
    const Integer timePart = static_cast<Integer>((201 - TimeTicks) * 10);
    const Integer cellPart = static_cast<Integer>(FigCells * 4);
    Score += timePart + cellPart;
}

void Scoring::addFigureBonus(Long bonus) {
    SumTalomirBonus += bonus;
    if (SumTalomirBonus > 0)
        display_.setCaption(Ctl::lblSumBonus,
                            QStringLiteral("  Talomir Bonus : ") +
                                CStr(static_cast<long>(CLng(SumTalomirBonus / 10.0))));
    Score += bonus;
}

void Scoring::addTimeBonusTotal(Integer TimeTicks) {
    SumTimeBonus += 201 - TimeTicks;
    // The countdown stops at 0: a figure that outlasted it must not show -1.
    Show_Time_Bonus(static_cast<Integer>(std::max(0, 200 - TimeTicks)));
}

void Scoring::showScore() {
    display_.setCaption(Ctl::lblScore, CStr(static_cast<long>(shownScore())));
}

void Scoring::Announce_Talomir_Figure(const FigureRec& next) {
    if (next.IsTalomir == 0) {
        ColorFigura = kColourClassic;
        return;
    }
    if (display_[Ctl::lblScore].Caption != QStringLiteral("---"))
        display_.notify([](GameObserver& o) { o.playClip(Clip::mTalomir1); });
    display_.setVisible(Ctl::lblFirma, true);
    ColorFigura = kColourBonus;
    if (next.Mask == kSuperMask) {
        ColorFigura = kColourSuper;
        display_.setForeColor(Ctl::lblFirma, 0xFF0000);
        display_.setCaption(Ctl::lblFirma, QStringLiteral("This Is Talomir Bonus 25000"));
        log_.append(QStringLiteral("...SUPER TALOMIR !!!"));
    } else {
        display_.setForeColor(Ctl::lblFirma, 0xFFFF00);
        display_.setCaption(Ctl::lblFirma, QStringLiteral("Talomir-фигурка Bonus ") +
                                               CStr(static_cast<long>(CLng(next.Bonus / 10.0))));
        log_.append(QStringLiteral("...Talomir"));
    }
}

void Scoring::tmrMigCountLines_Timer() {
    BlinkLine = LastLines;
    CountLinesBlinks = addClamped16(CountLinesBlinks, 1);
    if (BlinkLine < 1 || BlinkLine > 4) return;
    const Ctl label = lblCountLines(BlinkLine);
    display_.setForeColor(label, display_[label].ForeColor != 0 ? 0 : kYellow);
    if (CountLinesBlinks > 5) {
        display_.setTimer(Tmr::tmrMigCountLines, false);
        display_.setForeColor(label, kYellow);
        CountLinesBlinks = 0;
    }
}

}  // namespace talomir
