#pragma once
// The main window: shows the game as the presenter says and the painter draws it, and forwards
// the player's input to the rules. It holds no rule.
#include <array>
#include <functional>

#include "presentation/fallpacer.h"
#include "presentation/presenter.h"
#include "rules/game.h"
#include "ui/maincontrols.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/timer.h"
#include "ui/wellpainter.h"

namespace vb {
class KeyPreview;
}

namespace talomir::ui {

// What the window asks of the program around it; the defaults run real dialogs.
struct MainWindowHooks {
    std::function<bool(QString&)> askPlayerName;  // false when cancelled
    std::function<bool()> askNewGame;
    std::function<void()> firstLoad;     // clips and settings, once per process
    std::function<void()> saveSettings;  // at close
    std::function<void()> showSettings;  // the sound settings window, modal; returns when closed
};

class FrmMain : public vb::FormSurface,
                public GameEvents,
                public GameQuestions,
                public WindowStateObserver {
    Q_OBJECT

public:
    FrmMain(RandomSource& rng, const Clock& clock, Records* records, QWidget* parent = nullptr);
    ~FrmMain() override;

    void setHooks(MainWindowHooks hooks) { hooks_ = std::move(hooks); }
    MainWindowHooks& hooks() { return hooks_; }
    // The length of one fall tick (tests stretch it to stop time).
    void setFallTickMs(int ms) { pacer_.setTickMs(ms); }
    int fallTickMs() const { return pacer_.tickMs(); }
    // Runs a handler that steers the game from outside the fall timer (the player's input, the
    // demo, the sound settings): see FallPacer::input.
    void input(const std::function<void()>& handler) { pacer_.input(handler); }
    // Runs the load handler: the first game starts.
    void Form_Load();

    Game& game() { return game_; }
    Presenter& presenter() { return presenter_; }
    const MainControls& controls() const { return controls_; }
    SideWindows& sides() { return sides_; }
    WellPainter& painter() { return painter_; }
    vb::Timer& timer(Tmr t) { return timers_[std::size_t(t)]; }

    // A check button set by the program, as a click would: only a change acts.
    void click(Ctl c, int value) {
        if (presenter_.state()[c].Value != value) checkClicked(c, value);
    }

    // The closing handler: saves the settings and unloads the side windows; runs once.
    void Form_QueryUnload();
    bool isClosing() const { return closing_; }
    // Docks the side windows beside the main window.
    void dock();
    // The keyboard back to the well.
    void focusWell();

    // GameEvents: what the window itself does
    void gameStarting(int buttonColour, int circleColour) override;
    void firstGameStarting() override;
    void gameStarted() override;
    void gameEnding() override;
    void playerLeaves() override;
    void pauseChanged(bool paused, bool byEscape) override;
    // GameQuestions
    bool askPlayerName(QString& name) override;
    bool askNewGame() override;
    // WindowStateObserver
    void controlChanged(Ctl c) override;
    void timerChanged(Tmr t) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void wireInput();
    void wireTimers();
    void checkClicked(Ctl c, int value);
    void startHelpTour();

    Game game_;
    Presenter presenter_;
    MainControls controls_;
    SideWindows sides_;
    WellPainter painter_;
    std::array<vb::Timer, kTmrCount> timers_;
    FallPacer pacer_;
    MainWindowHooks hooks_;
    vb::KeyPreview* keys_ = nullptr;
    bool closing_ = false;
    bool touring_ = false;  // the help tour is running
};

}  // namespace talomir::ui
