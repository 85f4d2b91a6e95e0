#pragma once
// Turns what happens in a game into what the main window shows: the captions ("Level # 3",
// "Place # 2", the Russian bonus texts), the colours of the pressed buttons, and the blinking of
// the level, the row count and the menu, each a sequence of timer steps that the window's timers
// drive. It holds the window's state; the rules know nothing of it.
#include "presentation/windowstate.h"
#include "rules/events.h"
#include "rules/random.h"

namespace talomir {

class Presenter : public GameEvents {
public:
    static constexpr Colour kVictoryColour = 0xFFFF00;  // QBColor(11), light cyan

    // The level's flicker draws its colours from the game's own generator.
    explicit Presenter(RandomSource& rng) : rng_(rng) {}

    const WindowState& state() const { return state_; }
    WindowState& state() { return state_; }
    // A check button the windows own (side windows, help, settings) shows this value.
    void setCheck(Ctl check, int value) { state_.setValue(check, value); }

    // One step of each blinking sequence, driven by the window's timers.
    void tmrLevel_Timer();
    void tmrMigCountLines_Timer();
    void tmrMigMenuControls_Timer();

    // GameEvents
    void gameStarting(int buttonColour, int circleColour) override;
    void fallingChanged(bool falling) override;
    void pauseChanged(bool paused, bool byEscape) override;
    void demoSwitched(bool on) override;
    void demoTimerChanged(bool running, int waitMs) override;
    void buttonPressed(MoveButton button) override;
    void buttonReleased(MoveButton button) override;
    void figureLanding() override;
    void rowRemoved(int rowsLeft) override;
    void levelRaised(int level) override;
    void rowsRemoved(int rows, Long count, Long bonus) override;
    void bonusFigureAnnounced(FigureKind kind, Long bonus) override;
    void bonusTotalChanged(Long total) override;
    void timeBonusShown(Integer countdown, Long total) override;
    void scoreShown(Long score) override;
    void rankingStarted(int place) override;
    void nextPlaceGap(double points) override;
    void placeGained(int place) override;

private:
    static Ctl buttonCtl(MoveButton button);

    WindowState state_;
    RandomSource& rng_;
    Colour buttonColour_ = 0;
    Colour menuBackColour_ = 0x0000C0;
    Integer level_ = 0;
    Integer levelBlinks_ = 0;
    Integer lastLines_ = 0;
    Integer countLinesBlinks_ = 0;
    Integer menuBlinkStep_ = 0;
};

// The colour of the next figure in its circle: classic, bonus or super.
Colour nextFigureColour(FigureKind kind);

}  // namespace talomir
