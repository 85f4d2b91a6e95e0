#include "presentation/display.h"

#include <algorithm>

namespace talomir {

Display::Display() {
    // Design-time appearance of the controls the rules write.
    auto label = [this](Ctl c, const char* caption, Colour fore, bool visible = true) {
        ControlState& s = controls_[idx(c)];
        s.Caption = QString::fromUtf8(caption);
        s.ForeColor = fore;
        s.BackColor = 0;
        s.Visible = visible;
    };
    label(Ctl::lblScore, "---", 0x00FFFF);
    label(Ctl::lblLevel, "Level # 0", 0xFFFFFF);
    label(Ctl::lblRemain, "Label1", 0x8080FF);
    for (int n = 1; n <= 4; ++n) label(lblCountLines(n), "0", 0x00FFFF);
    label(Ctl::lblSumBonus, "Label1", 0x0000FF);
    label(Ctl::lblFirma, " Talomir - фигурка    Бонус ", 0xFFFF00, false);
    label(Ctl::lblTimeBonus, "", 0x00C000);
    label(Ctl::lblTotalScore, "40000", 0x00C000);
    label(Ctl::lblPosition, "Position", 0xC0C000);
    label(Ctl::lblNextPlace, "Label1", 0xC0C000);

    const struct {
        Ctl c;
        const char* caption;
    } buttons[] = {{Ctl::cmdLeftRight0, "<"},
                   {Ctl::cmdLeftRight2, ">"},
                   {Ctl::cmdRotate0, "^"},
                   {Ctl::cmdDown, "V"}};
    for (const auto& b : buttons) {
        ControlState& s = controls_[idx(b.c)];
        s.Caption = QString::fromLatin1(b.caption);
        s.BackColor = 0x80000010;  // the system's button shadow colour until start-up
    }
    const struct {
        Ctl c;
        const char* caption;
    } menu[] = {{Ctl::chkPause, "Pause"},
                {Ctl::chkHelp, "Help"},
                {Ctl::chkDemo, "Demo"},
                {Ctl::chkSet, "Set"}};
    for (const auto& b : menu) {
        ControlState& s = controls_[idx(b.c)];
        s.Caption = QString::fromLatin1(b.caption);
        s.BackColor = 0x0000C0;
        s.ForeColor = 0xFFFFC0;
    }
    const struct {
        Ctl c;
        const char* caption;
    } side[] = {{Ctl::chkAuto, "Auto"},
                {Ctl::chkFuture, "Future"},
                {Ctl::chkRec, "Best"},
                {Ctl::chkStat, "Stat"}};
    for (const auto& b : side) {
        ControlState& s = controls_[idx(b.c)];
        s.Caption = QString::fromLatin1(b.caption);
        s.BackColor = 0;
        s.ForeColor = 0xFFFF00;
    }
    controls_[idx(Ctl::fraControl)].Caption = QStringLiteral("Control");
    controls_[idx(Ctl::fraControl)].ForeColor = 0x0000FF;
    controls_[idx(Ctl::shpTwo)].BorderColor = 0x0000FF;
    controls_[idx(Ctl::frmMain)].BackColor = 0xC0C0C0;
    controls_[idx(Ctl::frmMain)].Caption = QStringLiteral("Talomir XII Vostrun");

    timers_[static_cast<std::size_t>(Tmr::tmrDown)] = {true, 2};
    timers_[static_cast<std::size_t>(Tmr::tmrLevel)] = {false, 150};
    timers_[static_cast<std::size_t>(Tmr::tmrMigCountLines)] = {false, 250};
    timers_[static_cast<std::size_t>(Tmr::tmrMigMenuControls)] = {false, 100};
    timers_[static_cast<std::size_t>(Tmr::tmrDemo)] = {false, 500};
}

template <class T>
void Display::set(Ctl c, T ControlState::*field, const T& v) {
    ControlState& s = controls_[idx(c)];
    if (s.*field == v) return;  // an unchanged value repaints nothing
    s.*field = v;
    changed(c);
}

void Display::setCaption(Ctl c, const QString& v) {
    set(c, &ControlState::Caption, v);
}
void Display::setForeColor(Ctl c, Colour v) {
    set(c, &ControlState::ForeColor, v);
}
void Display::setBackColor(Ctl c, Colour v) {
    set(c, &ControlState::BackColor, v);
}
void Display::setBorderColor(Ctl c, Colour v) {
    set(c, &ControlState::BorderColor, v);
}
void Display::setVisible(Ctl c, bool v) {
    set(c, &ControlState::Visible, v);
}
void Display::setEnabled(Ctl c, bool v) {
    set(c, &ControlState::Enabled, v);
}
void Display::setValueSilently(Ctl c, int v) {
    set(c, &ControlState::Value, v);
}

void Display::setTimer(Tmr t, bool enabled) {
    TimerState& s = timers_[static_cast<std::size_t>(t)];
    if (s.Enabled == enabled) return;
    s.Enabled = enabled;
    for (GameObserver* o : observers_) o->timerChanged(t);
}

void Display::setTimerInterval(Tmr t, int ms) {
    TimerState& s = timers_[static_cast<std::size_t>(t)];
    if (s.Interval == ms) return;
    s.Interval = ms;
    for (GameObserver* o : observers_) o->timerChanged(t);
}

void Display::removeObserver(GameObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

}  // namespace talomir
