#pragma once
// What the main window shows: the captions, colours and switches of its controls and the state
// of its timers, with the observers that render it. The presenter writes it; windows read it.
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "presentation/controls.h"
#include "presentation/palette.h"

namespace talomir {

// The main window's timers: the fall and the demo drive the rules, the other three the blinking.
enum class Tmr : std::uint8_t {
    tmrDown,
    tmrLevel,
    tmrMigCountLines,
    tmrMigMenuControls,
    tmrDemo,
    Count
};
inline constexpr int kTmrCount = static_cast<int>(Tmr::Count);

struct ControlState {
    QString Caption;
    Colour ForeColor = 0;
    Colour BackColor = 0;
    Colour BorderColor = 0;  // shapes only
    bool Visible = true;
    bool Enabled = true;
    int Value = 0;  // check buttons: 0 or 1
};

struct TimerState {
    bool Enabled = false;
    int Interval = 0;  // milliseconds
};

class WindowStateObserver {
public:
    virtual ~WindowStateObserver() = default;
    virtual void controlChanged(Ctl) {}
    virtual void timerChanged(Tmr) {}
};

class WindowState {
public:
    WindowState();

    const ControlState& operator[](Ctl c) const { return controls_[idx(c)]; }
    const TimerState& timer(Tmr t) const { return timers_[static_cast<std::size_t>(t)]; }

    void setCaption(Ctl c, const QString& s);
    void setForeColor(Ctl c, Colour v);
    void setBackColor(Ctl c, Colour v);
    void setBorderColor(Ctl c, Colour v);
    void setVisible(Ctl c, bool v);
    void setEnabled(Ctl c, bool v);
    void setValue(Ctl c, int v);
    void setTimer(Tmr t, bool enabled);
    void setTimerInterval(Tmr t, int ms);

    void addObserver(WindowStateObserver* o) { observers_.push_back(o); }
    void removeObserver(WindowStateObserver* o);

private:
    static std::size_t idx(Ctl c) { return static_cast<std::size_t>(c); }
    template <class T>
    void set(Ctl c, T ControlState::*field, const T& v);
    void changed(Tmr t);

    std::array<ControlState, kCtlCount> controls_{};
    std::array<TimerState, kTmrCount> timers_{};
    std::vector<WindowStateObserver*> observers_;
};

}  // namespace talomir
