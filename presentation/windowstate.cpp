#include "presentation/windowstate.h"

#include <algorithm>

namespace talomir {

WindowState::WindowState() {
    // Every control as the design shows it until the game first changes it.
    for (int c = 0; c < kCtlCount; ++c) {
        const ControlRow& row = controlRow(static_cast<Ctl>(c));
        ControlState& s = controls_[static_cast<std::size_t>(c)];
        s.Caption = QString::fromUtf8(row.caption);
        s.BackColor = row.back;
        (row.kind == ControlKind::Shape ? s.BorderColor : s.ForeColor) = row.fore;
        s.Visible = row.visible;
    }
    timers_[static_cast<std::size_t>(Tmr::tmrDown)] = {true, 2};
    timers_[static_cast<std::size_t>(Tmr::tmrLevel)] = {false, 150};
    timers_[static_cast<std::size_t>(Tmr::tmrMigCountLines)] = {false, 250};
    timers_[static_cast<std::size_t>(Tmr::tmrMigMenuControls)] = {false, 100};
    timers_[static_cast<std::size_t>(Tmr::tmrDemo)] = {false, 500};
}

template <class T>
void WindowState::set(Ctl c, T ControlState::*field, const T& v) {
    ControlState& s = controls_[idx(c)];
    if (s.*field == v) return;  // an unchanged value repaints nothing
    s.*field = v;
    for (WindowStateObserver* o : observers_) o->controlChanged(c);
}

void WindowState::setCaption(Ctl c, const QString& v) {
    set(c, &ControlState::Caption, v);
}
void WindowState::setForeColor(Ctl c, Colour v) {
    set(c, &ControlState::ForeColor, v);
}
void WindowState::setBackColor(Ctl c, Colour v) {
    set(c, &ControlState::BackColor, v);
}
void WindowState::setBorderColor(Ctl c, Colour v) {
    set(c, &ControlState::BorderColor, v);
}
void WindowState::setVisible(Ctl c, bool v) {
    set(c, &ControlState::Visible, v);
}
void WindowState::setEnabled(Ctl c, bool v) {
    set(c, &ControlState::Enabled, v);
}
void WindowState::setValue(Ctl c, int v) {
    set(c, &ControlState::Value, v);
}

void WindowState::setTimer(Tmr t, bool enabled) {
    TimerState& s = timers_[static_cast<std::size_t>(t)];
    if (s.Enabled == enabled) return;
    s.Enabled = enabled;
    changed(t);
}

void WindowState::setTimerInterval(Tmr t, int ms) {
    TimerState& s = timers_[static_cast<std::size_t>(t)];
    if (s.Interval == ms) return;
    s.Interval = ms;
    changed(t);
}

void WindowState::changed(Tmr t) {
    for (WindowStateObserver* o : observers_) o->timerChanged(t);
}

void WindowState::removeObserver(WindowStateObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

}  // namespace talomir
