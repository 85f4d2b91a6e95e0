#pragma once
// What the main window shows, held by the model: the captions, colours and switches of the
// controls the rules write, the timers' enable state, and the narrow interface through which the
// model tells its views what changed.
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <vector>

#include "rules/vbtypes.h"

namespace talomir {

enum class Ctl : std::uint8_t {
    lblScore,
    lblLevel,
    lblRemain,
    lblCountLines1,
    lblCountLines2,
    lblCountLines3,
    lblCountLines4,
    lblSumBonus,
    lblFirma,
    lblTimeBonus,
    lblTotalScore,
    lblPosition,
    lblNextPlace,
    cmdLeftRight0,
    cmdLeftRight2,
    cmdRotate0,
    cmdDown,
    chkPause,
    chkHelp,
    chkDemo,
    chkSet,
    chkAuto,
    chkFuture,
    chkRec,
    chkStat,
    fraControl,
    shpTwo,
    frmMain,
    Count
};
inline constexpr int kCtlCount = static_cast<int>(Ctl::Count);

inline Ctl lblCountLines(int n) {
    return static_cast<Ctl>(static_cast<int>(Ctl::lblCountLines1) + n - 1);
}

enum class Tmr : std::uint8_t {
    tmrDown,
    tmrLevel,
    tmrMigCountLines,
    tmrMigMenuControls,
    tmrDemo,
    Count
};
inline constexpr int kTmrCount = static_cast<int>(Tmr::Count);

// The nine clips, in the order they are created.
enum class Clip : std::uint8_t {
    mDown1,
    mLeft1,
    mRight1,
    mRotate1,
    mDrop1,
    mDelLin1,
    mTalomir1,
    mDrop2,
    mDown2,
    Count
};

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

// When coming fall ticks are due, as the view that drives the timer paces them: tick i at
// first + i * period.
struct TickPace {
    std::chrono::steady_clock::time_point first;
    std::chrono::nanoseconds period{0};
};

// What a view (the main window, the simulator, a test) hears from the model. Every method has an
// empty default so a listener overrides only what it shows.
class GameObserver {
public:
    virtual ~GameObserver() = default;
    virtual void Draw_Well() {}
    virtual void Draw_Grid() {}
    virtual void Draw_Figure() {}
    virtual void Draw_Next_Figure() {}
    virtual void Draw_Future() {}
    virtual void controlChanged(Ctl) {}
    virtual void timerChanged(Tmr) {}
    virtual void playClip(Clip) {}
    // One of the seven game events by its number (1 to 7), each with its first clip.
    virtual void playEventSound(Byte) {}
    virtual void setBkgPan(Integer) {}
    // The pans of coming ticks, handed over at once (Game::handOverSweep); their ticks hand
    // over nothing more.
    virtual void bkgPansAhead(const std::vector<Integer>&, TickPace) {}
    // The last `count` pans handed over ahead are withdrawn: their ticks will not come then.
    virtual void bkgPansWithdrawn(int) {}
    virtual void logCleared() {}
    virtual void logAppended(const QString&) {}
    virtual void logSelected(int) {}
    virtual void tableFilled(const QStringList&) {}
    virtual void tableSelected(int) {}
    // A check button the windows own (side windows, demo, help, settings) changed its value.
    virtual void checkClicked(Ctl) {}
    virtual void focusWell() {}
    virtual void setMainWindowState(int) {}  // 0 normal, 1 minimised
    virtual void layoutWindow() {}           // Minimize_Window
};

class Display {
public:
    Display();

    const ControlState& operator[](Ctl c) const { return controls_[idx(c)]; }
    const TimerState& timer(Tmr t) const { return timers_[static_cast<std::size_t>(t)]; }

    void setCaption(Ctl c, const QString& s);
    void setForeColor(Ctl c, Colour v);
    void setBackColor(Ctl c, Colour v);
    void setBorderColor(Ctl c, Colour v);
    void setVisible(Ctl c, bool v);
    void setEnabled(Ctl c, bool v);
    void setValueSilently(Ctl c, int v);  // value only; the caller runs the click handler
    void setTimer(Tmr t, bool enabled);
    void setTimerInterval(Tmr t, int ms);

    void addObserver(GameObserver* o) { observers_.push_back(o); }
    void removeObserver(GameObserver* o);

    template <class F>
    void notify(F&& f) {
        for (GameObserver* o : observers_) f(*o);
    }

private:
    static std::size_t idx(Ctl c) { return static_cast<std::size_t>(c); }
    template <class T>
    void set(Ctl c, T ControlState::*field, const T& v);
    void changed(Ctl c) {
        for (GameObserver* o : observers_) o->controlChanged(c);
    }

    std::array<ControlState, kCtlCount> controls_{};
    std::array<TimerState, kTmrCount> timers_{};
    std::vector<GameObserver*> observers_;
};

}  // namespace talomir
