#include "presentation/fallpacer.h"

#include <algorithm>
#include <limits>

namespace talomir {

namespace {
// The fall timer asks for 2 ms; ticks come every 16 ms, the pace (about 64 ticks a second) at
// which the game has always been played, its home platform rounding a 2 ms request up to its
// 15.6 ms clock.
constexpr int kFallTickMs = 16;
// The countdown's number changes on every tick, far faster than anyone reads it: it is shown
// again eight ticks (about 8 times a second) after it was last shown, at the end of a wait or in
// the repaint of an input that came between two ticks, and a fall step due within twice that
// shows it instead. A dropped figure is shown every fourth row (about 15 times a second, a streak
// too fast to follow row by row); the tick that lands it comes at its own time.
constexpr int kCountdownTicksPerPaint = 8;
constexpr int kDropTicksPerPaint = 4;
}  // namespace

FallPacer::FallPacer(Game& game, std::function<void(int)> setWait, std::function<bool()> running)
    : game_(game),
      setWait_(std::move(setWait)),
      running_(std::move(running)),
      tickMs_(kFallTickMs) {}

void FallPacer::setTickMs(int ms) {
    tickMs_ = std::max(1, ms);
    start();
}

int FallPacer::quietTicks(int limit) const {
    if (game_.isFinishing()) return 0;
    int quiet = 0;
    while (quiet < limit && !game_.planTick(quiet).fallStep) ++quiet;
    return quiet;
}

int FallPacer::ticksToSleep(bool midTick) const {
    const int under = midTick ? 1 : 0;  // the tick under way is one of them
    if (game_.isDropping()) return std::min(game_.dropTicksAhead(), kDropTicksPerPaint - 1 + under);
    const int quiet = quietTicks(Levels::kMaxSpeed);
    if (!game_.planTick(0).countdown || quiet < 2 * kCountdownTicksPerPaint + under) return quiet;
    return kCountdownTicksPerPaint - 1 + under;
}

void FallPacer::start() {
    // The quiet ticks and the one after them, which comes at its own time.
    wait_ = ticksToSleep() + 1;
    delivered_ = 0;
    clock_.start();
    start_ = std::chrono::steady_clock::now();
    setWait_(static_cast<int>(
        std::min<qint64>(qint64(wait_) * tickMs_, std::numeric_limits<int>::max())));
    handOverSweep();
}

void FallPacer::handOverSweep() {
    const std::chrono::milliseconds tick(tickMs_);
    game_.handOverSweep(wait_ - delivered_, {start_ + (delivered_ + 1) * tick, tick});
}

void FallPacer::elapsed() {
    const int due = wait_ - delivered_;
    delivered_ = wait_;
    for (int i = 0; i < due; ++i) game_.tick();
    if (running_()) start();
}

void FallPacer::input(const std::function<void()>& handler) {
    if (running_() && wait_ > 1) {
        // Only the quiet ticks of the wait can be due early; the last one keeps its time.
        const qint64 passed = clock_.elapsed() / tickMs_;
        const int due = static_cast<int>(std::min<qint64>(passed, wait_ - 1)) - delivered_;
        if (due > 0) {
            delivered_ += due;
            for (int i = 0; i < due; ++i) game_.tick();
        }
    }
    handler();
    if (!running_()) return;
    // The wait ends at the next tick that must come at its own time: sooner when the input made
    // a tick count (a drop), later when the ticks run before the input have just shown the
    // countdown in the input's own repaint.
    const int wait = delivered_ + ticksToSleep(true) + 1;
    if (wait != wait_) {
        wait_ = wait;
        const qint64 left = qint64(wait_) * tickMs_ - clock_.elapsed();
        setWait_(static_cast<int>(std::clamp<qint64>(left, 1, std::numeric_limits<int>::max())));
    }
    handOverSweep();  // the input may have changed the sweep
}

}  // namespace talomir
