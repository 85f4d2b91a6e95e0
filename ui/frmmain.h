#pragma once
// The main window: shows the game model and forwards the player's input to it.
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <functional>

#include "rules/game.h"
#include "ui/design.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/controlarray.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/surface.h"
#include "ui/toolkit/timer.h"

namespace vb {
class KeyPreview;
}

namespace talomir::ui {

// The fall timer asks for 2 ms; ticks are delivered every 16 ms, the pace (about 64 ticks a
// second) at which the game has always been played, its home platform rounding a 2 ms request up
// to its 15.6 ms clock.
inline constexpr int kFallTickMs = 16;

// What the window asks of the program around it; the defaults run real dialogs.
struct MainWindowHooks {
    std::function<bool(QString&)> askPlayerName;  // false when cancelled
    std::function<bool()> askNewGame;
    std::function<void()> firstLoad;     // clips and settings, once per process
    std::function<void()> saveSettings;  // at close
    std::function<void()> showSettings;  // the sound settings window, modal; returns when closed
};

class FrmMain : public vb::FormSurface, public GameObserver, public GameHost {
    Q_OBJECT

public:
    FrmMain(RandomSource& rng, const Clock& clock, Records* records, QWidget* parent = nullptr);
    ~FrmMain() override;

    void setHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }
    MainWindowHooks& hooks() { return hooks_; }
    // The length of one fall tick, kFallTickMs unless set (tests stretch it to stop time).
    void setFallTickMs(int ms);
    int fallTickMs() const { return fallTickMs_; }
    // Runs a handler that steers the game from outside the fall timer (the player's input, the
    // demo): the ticks already due first, then the handler, then the fall timer's wait is fitted
    // to what the handler changed.
    template <class F>
    void input(F&& handler) {
        catchUpFall();
        handler();
        scheduleFall();
    }
    // Runs the load handler: the first game starts.
    void Form_Load();

    Game& game() { return game_; }
    QWidget* control(const QString& name) const { return controls_.value(name); }
    QStringList controlNames() const { return order_; }

    vb::PictureBox* picTalomir = nullptr;
    vb::Shape* shpTwo = nullptr;
    vb::Frame* fraControl = nullptr;
    vb::Label* lblPause = nullptr;
    vb::CommandButton* cmdDown = nullptr;
    vb::ControlArray<vb::CommandButton> cmdLeftRight;
    vb::ControlArray<vb::CommandButton> cmdRotate;
    vb::Timer tmrDown;
    vb::Timer tmrLevel;
    vb::Timer tmrMigCountLines;
    vb::Timer tmrMigMenuControls;
    vb::Timer tmrDemo;

    int NextBoxX{};
    int NextBoxY{};

    // The side windows, created hidden on first use.
    FrmTalomiFathers* frmTalomiFathers();
    FrmStatistic* frmStatistic();
    FrmFuture* frmFuture();
    bool futureExists() const { return future_ != nullptr; }

    // GameObserver
    void Draw_Well() override;
    void Draw_Grid() override;
    void Draw_Figure() override;
    void Draw_Next_Figure() override;
    void Draw_Future() override;
    void controlChanged(Ctl c) override;
    void timerChanged(Tmr t) override;
    void logCleared() override;
    void logAppended(const QString& line) override;
    void logSelected(int index) override;
    void tableFilled(const QStringList& lines) override;
    void tableSelected(int index) override;
    void checkClicked(Ctl c) override;
    void focusWell() override;
    void setMainWindowState(int state) override;
    void layoutWindow() override;  // Minimize_Window

    // GameHost
    void firstLoad() override;
    void unloadSettingsAndHelp() override;
    bool askPlayerName(QString& name) override;
    bool askNewGame() override;
    void endProgram() override;
    void syncSideWindowButtons() override;

    // The closing handler: saves the settings and unloads the side windows; runs once.
    void Form_QueryUnload();
    bool isClosing() const { return closing_; }

    // Docks the three side windows beside the main window.
    void dock();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void wireInput();
    void applyControl(Ctl c);
    void paintNextFigure();
    void showSide(QWidget* window, bool visible);
    QListWidget* shownStatistic();  // the statistics list while it is on screen

    // The fall timer. A run of ticks that change nothing but the model's tick counter and the
    // music's pan is slept through in one wait of tmrDown and counted when it ends, so that an
    // idle game does not wake the process 62 times a second; the pans of those ticks go to the
    // sound ahead, each to take effect at its tick's time. A running time-bonus countdown is
    // shown every few ticks and a dropped figure every other row, their ticks delivered
    // together. Every other tick (a fall step, a landing) comes at its own time.
    // Coming ticks that may be delivered late, all at once; midTick: asked between two ticks.
    int ticksToSleep(bool midTick = false) const;
    void startFallWait();
    void fallTimerTick();
    void catchUpFall();
    void scheduleFall();
    void handOverSweep();

    Game game_;
    Records* records_;
    MainWindowHooks hooks_;
    QHash<QString, QWidget*> controls_;
    QStringList order_;
    QHash<int, QWidget*> byCtl_;
    vb::KeyPreview* keys_ = nullptr;
    QPointer<FrmTalomiFathers> fathers_;
    QPointer<FrmStatistic> statistic_;
    bool statisticStale_ = false;  // its list lags behind the log while it is hidden
    QPointer<FrmFuture> future_;
    bool closing_ = false;
    bool touring_ = false;  // the help tour is running
    int fallTickMs_ = kFallTickMs;
    int fallWait_ = 1;         // ticks the current wait of tmrDown stands for
    int fallDelivered_ = 0;    // of those, already given to the model by catchUpFall
    QElapsedTimer fallClock_;  // since the current wait began
    std::chrono::steady_clock::time_point fallStart_;  // when the current wait began
};

}  // namespace talomir::ui
