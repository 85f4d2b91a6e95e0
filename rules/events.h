#pragma once
// What the rules tell the world: what happened in a game, never how it looks or sounds. Captions,
// colours, blinking and clips are the listeners' business (presentation/, ui/, sound/).
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <vector>

#include "rules/vbtypes.h"

namespace talomir {

// The seven sound events, numbered as the help tour draws them.
enum class SoundEvent : std::uint8_t {
    TalomirFigure = 1,
    Landing,
    Left,
    Right,
    Rotate,
    Drop,
    DeleteLines
};
inline constexpr int kSoundEventCount = 7;
// The drop and the landing have two sounds each; the rules draw which one plays.
constexpr int soundVariants(SoundEvent e) {
    return e == SoundEvent::Drop || e == SoundEvent::Landing ? 2 : 1;
}

// The four move buttons, which the player and the demo press.
enum class MoveButton : std::uint8_t { Left, Right, Rotate, Drop };

// What the next figure is.
enum class FigureKind : std::uint8_t { Classic, Bonus, Super };

// When coming fall ticks are due, as the view that drives the timer paces them: tick i at
// first + i * period.
struct TickPace {
    std::chrono::steady_clock::time_point first;
    std::chrono::nanoseconds period{0};
};

// Every method has an empty default, so a listener overrides only what it shows.
class GameEvents {
public:
    virtual ~GameEvents() = default;

    // A game starts: every count is back at zero. buttonColour (1 to 15) and circleColour (0 to
    // 15) are the palette numbers drawn for the move buttons and the next figure's circle.
    virtual void gameStarting(int /*buttonColour*/, int /*circleColour*/) {}
    // The first game of the run is about to be dealt: sounds and settings come first.
    virtual void firstGameStarting() {}
    // The new game's well, figure, next figure and queue are dealt.
    virtual void gameDealt() {}
    // The game has started: the player may act.
    virtual void gameStarted() {}
    // The game is over: the hall of fame and the new-game question come next.
    virtual void gameEnding() {}
    // The player chose not to play again.
    virtual void playerLeaves() {}

    // The figure falls (the fall timer runs) or stands (paused).
    virtual void fallingChanged(bool /*falling*/) {}
    virtual void pauseChanged(bool /*paused*/, bool /*byEscape*/) {}
    // The demo switch; whether its timer runs and how long it waits before its next press.
    virtual void demoSwitched(bool /*on*/) {}
    virtual void demoTimerChanged(bool /*running*/, int /*waitMs*/) {}

    virtual void buttonPressed(MoveButton) {}
    virtual void buttonReleased(MoveButton) {}

    // The falling figure is to be shown where it stands now.
    virtual void figureShown() {}
    // A figure landed: it is part of the well now, the drop button is free again.
    virtual void figureLanding() {}
    // The well's settled cells changed (rows removed, a figure committed).
    virtual void wellChanged() {}
    // One row was removed; rowsLeft more rows finish the level (0 to 8).
    virtual void rowRemoved(int /*rowsLeft*/) {}
    virtual void levelRaised(int /*level*/) {}
    // A landing removed `rows` rows at once, the count-th time so; bonus in tenths.
    virtual void rowsRemoved(int /*rows*/, Long /*count*/, Long /*bonus*/) {}
    // The next figure changed; bonus in tenths (0 for a classic figure).
    virtual void nextFigureShown(FigureKind /*kind*/, Long /*bonus*/) {}
    // It is a bonus figure, announced (the first game's first announcement is silent: the rules
    // play no sound for it).
    virtual void bonusFigureAnnounced(FigureKind /*kind*/, Long /*bonus*/) {}
    virtual void queueShown() {}
    // The sum of the landed bonus figures' bonuses, in tenths.
    virtual void bonusTotalChanged(Long /*total*/) {}
    // The time-bonus countdown and the sum of the time bonuses.
    virtual void timeBonusShown(Integer /*countdown*/, Long /*total*/) {}
    virtual void scoreShown(Long /*score*/) {}

    // The hall of fame as lines to list; the place the player starts at (0 = first); the gap to
    // the next place up; a place gained (0 = first place, the victory).
    virtual void tableLoaded(const QStringList& /*lines*/) {}
    virtual void rankingStarted(int /*place*/) {}
    virtual void nextPlaceGap(double /*points*/) {}
    virtual void placeGained(int /*place*/) {}

    virtual void logCleared() {}
    virtual void logAppended(const QString& /*line*/) {}
    virtual void logSelected(int /*index*/) {}

    // variant: which of the event's sounds (0 or 1; see soundVariants).
    virtual void soundPlayed(SoundEvent, int /*variant*/) {}
    // The music's pan for this tick; the pans of coming ticks handed over at once (their ticks
    // then hand over nothing); the last `count` of those withdrawn.
    virtual void musicPan(Integer) {}
    virtual void musicPansAhead(const std::vector<Integer>&, TickPace) {}
    virtual void musicPansWithdrawn(int /*count*/) {}
};

// Several listeners of one game, told in the order they were added.
class GameEventList {
public:
    void add(GameEvents* listener) { listeners_.push_back(listener); }
    void remove(GameEvents* listener);
    template <class F>
    void tell(F&& f) const {
        for (GameEvents* l : listeners_) f(*l);
    }

private:
    std::vector<GameEvents*> listeners_;
};

}  // namespace talomir
