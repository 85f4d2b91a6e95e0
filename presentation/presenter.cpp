#include "presentation/presenter.h"

namespace talomir {

namespace {
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kYellow = 0x00FFFF;

QString placeCaption(int place) {
    return QStringLiteral("Place # ") + CStr(static_cast<long>(place + 1));
}
}  // namespace

Colour nextFigureColour(FigureKind kind) {
    switch (kind) {
        case FigureKind::Bonus:
            return 0x0000FF;
        case FigureKind::Super:
            return 0xFF0000;
        case FigureKind::Classic:
            break;
    }
    return 0xFFFF00;
}

Ctl Presenter::buttonCtl(MoveButton button) {
    switch (button) {
        case MoveButton::Left:
            return Ctl::cmdLeftRight0;
        case MoveButton::Right:
            return Ctl::cmdLeftRight2;
        case MoveButton::Rotate:
            return Ctl::cmdRotate0;
        case MoveButton::Drop:
            break;
    }
    return Ctl::cmdDown;
}

void Presenter::gameStarting(int buttonColour, int circleColour) {
    // While the running light is on, the Pause button shows its green, not its own colour.
    if (!state_.timer(Tmr::tmrMigMenuControls).Enabled)
        menuBackColour_ = state_[Ctl::chkPause].BackColor;
    level_ = 0;
    state_.setCaption(Ctl::lblRemain, QString());
    state_.setForeColor(Ctl::lblLevel, QBColor(1));
    state_.setCaption(Ctl::lblLevel, QStringLiteral("Level # 0"));
    state_.setCaption(Ctl::lblPosition, QString());
    state_.setCaption(Ctl::lblNextPlace, QString());
    state_.setVisible(Ctl::lblNextPlace, true);
    state_.setBackColor(Ctl::frmMain, 0);
    buttonColour_ = QBColor(buttonColour);
    for (Ctl b : {Ctl::cmdDown, Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0})
        state_.setBackColor(b, buttonColour_);
    state_.setBorderColor(Ctl::shpTwo, QBColor(circleColour));
    state_.setCaption(Ctl::lblScore, QStringLiteral("---"));
    for (int n = 1; n <= 4; ++n) state_.setCaption(lblCountLines(n), QString());
    state_.setForeColor(Ctl::lblScore, kYellow);
    state_.setCaption(Ctl::lblSumBonus, QString());
    state_.setEnabled(Ctl::cmdDown, true);
}

void Presenter::fallingChanged(bool falling) {
    state_.setVisible(Ctl::fraControl, falling);
    state_.setTimer(Tmr::tmrDown, falling);
}

void Presenter::pauseChanged(bool paused, bool) {
    state_.setValue(Ctl::chkPause, paused ? 1 : 0);
}

void Presenter::demoSwitched(bool on) {
    state_.setValue(Ctl::chkDemo, on ? 1 : 0);
}

void Presenter::demoTimerChanged(bool running, int waitMs) {
    state_.setTimerInterval(Tmr::tmrDemo, waitMs);
    state_.setTimer(Tmr::tmrDemo, running);
}

void Presenter::buttonPressed(MoveButton button) {
    switch (button) {
        case MoveButton::Rotate:
            state_.setBackColor(Ctl::cmdRotate0, kYellow);
            break;
        case MoveButton::Drop:
            // Black and off until the landing: one drop a figure.
            state_.setBackColor(Ctl::cmdDown, 0);
            state_.setEnabled(Ctl::cmdDown, false);
            break;
        default:
            state_.setBackColor(buttonCtl(button), kGreen);
            break;
    }
}

void Presenter::buttonReleased(MoveButton button) {
    state_.setBackColor(buttonCtl(button), buttonColour_);
}

void Presenter::figureLanding() {
    state_.setBackColor(Ctl::cmdDown, buttonColour_);
    state_.setVisible(Ctl::lblFirma, false);
    state_.setEnabled(Ctl::cmdDown, true);
}

void Presenter::rowRemoved(int rowsLeft) {
    // The rows still to go as digits, "1234" for four; all nine once the level is complete.
    QString remain;
    for (int i = 1; i <= rowsLeft; ++i) remain += QChar(u'0' + i);
    if (rowsLeft == 0) remain = QStringLiteral("123456789");
    state_.setCaption(Ctl::lblRemain, remain);
}

void Presenter::levelRaised(int level) {
    level_ = static_cast<Integer>(level);
    state_.setCaption(Ctl::lblLevel, QStringLiteral("Level # ") + CStr(static_cast<long>(level)));
    state_.setTimer(Tmr::tmrLevel, true);
}

void Presenter::tmrLevel_Timer() {
    levelBlinks_ = addClamped16(levelBlinks_, 1);
    state_.setForeColor(Ctl::lblLevel, QBColor(CInt(rng_.Rnd() * 15.0f)));
    if (levelBlinks_ > 10) {
        state_.setTimer(Tmr::tmrLevel, false);
        state_.setForeColor(Ctl::lblLevel, QBColor(level_ + 1));
        levelBlinks_ = 0;
    }
}

void Presenter::rowsRemoved(int rows, Long count, Long bonus) {
    lastLines_ = static_cast<Integer>(rows);
    for (int i = 1; i <= 4; ++i) state_.setForeColor(lblCountLines(i), kYellow);
    if (state_.timer(Tmr::tmrMigCountLines).Enabled)
        countLinesBlinks_ = 0;
    else
        state_.setTimer(Tmr::tmrMigCountLines, true);
    state_.setCaption(lblCountLines(rows),
                      CStr(static_cast<long>(rows)) + QStringLiteral("-Lines*") +
                          CStr(static_cast<long>(count)) + QStringLiteral(" = ") +
                          CStr(static_cast<long>(CLng(bonus / 10.0 * count))));
}

void Presenter::tmrMigCountLines_Timer() {
    const Integer line = lastLines_;
    countLinesBlinks_ = addClamped16(countLinesBlinks_, 1);
    if (line < 1 || line > 4) return;
    const Ctl label = lblCountLines(line);
    state_.setForeColor(label, state_[label].ForeColor != 0 ? 0 : kYellow);
    if (countLinesBlinks_ > 5) {
        state_.setTimer(Tmr::tmrMigCountLines, false);
        state_.setForeColor(label, kYellow);
        countLinesBlinks_ = 0;
    }
}

void Presenter::bonusFigureAnnounced(FigureKind kind, Long bonus) {
    state_.setVisible(Ctl::lblFirma, true);
    if (kind == FigureKind::Super) {
        state_.setForeColor(Ctl::lblFirma, 0xFF0000);
        state_.setCaption(Ctl::lblFirma, QStringLiteral("This Is Talomir Bonus 25000"));
    } else {
        state_.setForeColor(Ctl::lblFirma, 0xFFFF00);
        state_.setCaption(Ctl::lblFirma, QStringLiteral("Talomir-фигурка Bonus ") +
                                             CStr(static_cast<long>(CLng(bonus / 10.0))));
    }
}

void Presenter::bonusTotalChanged(Long total) {
    state_.setCaption(Ctl::lblSumBonus, QStringLiteral("  Talomir Bonus : ") +
                                            CStr(static_cast<long>(CLng(total / 10.0))));
}

void Presenter::timeBonusShown(Integer countdown, Long total) {
    state_.setCaption(Ctl::lblTimeBonus, CStr(static_cast<long>(countdown)));
    state_.setCaption(Ctl::lblTotalScore, CStr(static_cast<long>(total)));
}

void Presenter::scoreShown(Long score) {
    state_.setCaption(Ctl::lblScore, CStr(static_cast<long>(score)));
}

void Presenter::rankingStarted(int place) {
    if (place < 99) state_.setCaption(Ctl::lblPosition, placeCaption(place));
}

void Presenter::nextPlaceGap(double points) {
    state_.setCaption(Ctl::lblNextPlace, QStringLiteral("Next Place : +") + CStr(points));
}

void Presenter::placeGained(int place) {
    state_.setCaption(Ctl::lblPosition, placeCaption(place));
    state_.setTimer(Tmr::tmrMigMenuControls, true);
    if (place == 0) {
        state_.setForeColor(Ctl::lblPosition, kVictoryColour);
        state_.setVisible(Ctl::lblNextPlace, false);
    }
}

void Presenter::tmrMigMenuControls_Timer() {
    static constexpr Ctl order[] = {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet};
    const int step = menuBlinkStep_;
    if (step >= 1 && step <= 4) state_.setBackColor(order[step - 1], menuBackColour_);
    if (step <= 3) {
        state_.setBackColor(order[step], kGreen);
        menuBlinkStep_ = static_cast<Integer>(step + 1);
    } else {
        state_.setTimer(Tmr::tmrMigMenuControls, false);
        menuBlinkStep_ = 0;
    }
}

}  // namespace talomir
