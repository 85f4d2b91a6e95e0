#include "rules/ranking.h"

#include <algorithm>

namespace talomir {

namespace {
QString placeCaption(int place) {
    return QStringLiteral("Place # ") + CStr(static_cast<long>(place + 1));
}
}  // namespace

void LiveRanking::captureMenuColour() {
    // While the running light is on, the Pause button shows its green, not its own colour.
    if (display_.timer(Tmr::tmrMigMenuControls).Enabled) return;
    MenuBackColor = display_[Ctl::chkPause].BackColor;
}

void LiveRanking::clearCaptions() {
    display_.setCaption(Ctl::lblPosition, QString());
    display_.setCaption(Ctl::lblNextPlace, QString());
    display_.setVisible(Ctl::lblNextPlace, true);
}

void LiveRanking::startBelow(int tableCount) {
    Place = static_cast<Integer>(std::min(tableCount, 32767));
    if (Place < 99) display_.setCaption(Ctl::lblPosition, placeCaption(Place));
}

void LiveRanking::Update_Position(Long score, const std::vector<double>& scores) {
    if (Place <= 0) return;
    // A table shorter than Place (it cannot change during a game) is treated as ending there.
    if (static_cast<std::size_t>(Place) > scores.size())
        Place = static_cast<Integer>(scores.size());
    while (Place > 0 && score > scores[static_cast<std::size_t>(Place - 1)]) {
        --Place;
        ++PlacesGained;
    }
    if (Place > 0) {
        const double gap = std::max(0.0, scores[static_cast<std::size_t>(Place - 1)] - score);
        display_.setCaption(Ctl::lblNextPlace, QStringLiteral("Next Place : +") + CStr(gap));
    }
    if (PlacesGained == 0) return;
    PlacesGained = 0;
    const int selected = Place;
    display_.notify([selected](GameObserver& o) { o.tableSelected(selected); });
    display_.setCaption(Ctl::lblPosition, placeCaption(Place));
    display_.setTimer(Tmr::tmrMigMenuControls, true);
    if (Place == 0) {
        display_.setForeColor(Ctl::lblPosition, kVictoryColour);
        display_.setVisible(Ctl::lblNextPlace, false);
        log_.append(QStringLiteral("...VICTORY !!!"));
        display_.notify([](GameObserver& o) { o.Draw_Grid(); });
    } else {
        log_.append(QStringLiteral("...Place : ") + CStr(static_cast<long>(Place + 1)));
    }
}

void LiveRanking::tmrMigMenuControls_Timer() {
    static constexpr Ctl order[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};
    constexpr Colour kGreen = 0x00FF00;
    const int step = MenuBlinkStep;
    if (step >= 1 && step <= 4) display_.setBackColor(order[step - 1], MenuBackColor);
    if (step <= 3) {
        display_.setBackColor(order[step], kGreen);
        MenuBlinkStep = static_cast<Integer>(step + 1);
    } else {
        display_.setTimer(Tmr::tmrMigMenuControls, false);
        MenuBlinkStep = 0;
    }
}

}  // namespace talomir
