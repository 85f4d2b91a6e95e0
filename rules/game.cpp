#include "rules/game.h"

#include <algorithm>
#include <cmath>

namespace talomir {

void GameEventList::remove(GameEvents* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

namespace {
// One step of the music sweep: the value is handed over before it is tested, so the pan
// overshoots the bounds by up to one step.
void sweepStep(Integer& sweep, Integer& dir, Integer change) {
    if (sweep > 5000 || sweep < -5000) dir = static_cast<Integer>(-dir);
    // The step comes from the settings file unchecked: keep the sweep inside 16 bits.
    sweep = addClamped16(sweep, static_cast<long>(dir) * change);
}
}  // namespace

Game::Game(RandomSource& rng, const Clock& clock)
    : rng_(rng), clock_(clock), chooser_(rng, clock) {}

void Game::discard(int count) {
    for (int i = 0; i < count; ++i) rng_.Rnd();
}

void Game::sound(SoundEvent event) {
    // The first of two sounds for a draw above one half.
    const int variant = soundVariants(event) > 1 && !(rng_.Rnd() > 0.5f) ? 1 : 0;
    tell([event, variant](GameEvents& e) { e.soundPlayed(event, variant); });
}

void Game::Form_Load() {
    withdrawSweep();
    // Before the fall timer starts, which hands the sweep's first pans over.
    MusicSweep = -5000;
    MusicSweepDir = 1;
    finishing_ = false;
    setDemo(false);
    setDemoTimer(false);
    levels_.startGame();
    field_.reset();
    FigNext = {};

    discard(2 * clock_.seconds() + 1);
    const int buttons = static_cast<int>(std::floor(15.0f * rng_.Rnd())) + 1;
    const int circle = CInt(rng_.Rnd() * 15.0f);
    scoring_.startGame();
    tell([buttons, circle](GameEvents& e) { e.gameStarting(buttons, circle); });
    // A game started with the pause button down waits for it like any paused game, keys too.
    tell([this](GameEvents& e) { e.fallingChanged(!paused_); });
    EnableKeys = !paused_;
    FigCells = 0;
    FigureCount = 0;
    dealFirstFigures();

    records_->Load_Records();
    const QStringList table = records_->Fill_Table_List();
    tell([&table](GameEvents& e) { e.tableLoaded(table); });
    ranking_.startBelow(records_->count());
    log_.clear();

    dropAvailable_ = true;
    DropMode = false;
    tell([](GameEvents& e) { e.gameDealt(); });
    if (!SoundReady) {
        tell([](GameEvents& e) { e.firstGameStarting(); });
        SoundReady = true;
    }
    tell([](GameEvents& e) { e.gameStarted(); });
}

void Game::dealFirstFigures() {
    for (int i = 1; i <= 5; ++i) Queue.fillEntry(i, chooser_);
    CellArray fig{};
    Initialize_Array_For_Brikko(fig, Queue[1].Mask, FigCells);
    field_.setFigure(fig);
    Initialize_Array_For_Brikko(FigNext, Queue[2].Mask, FigCells);
    scoring_.Announce_Talomir_Figure(Queue[2]);
}

void Game::tick() {
    if (finishing_ || !isFalling()) return;
    tmrDown_Timer();
}

TickPlan Game::planTick(int ahead) const {
    const long tickCount = std::min<long>(long(TickCount) + ahead + 1, 32767);
    // Every tick of a running countdown counts it on, until it ends.
    const long timeTicks = long(TimeTicks) + ahead;
    return {!DropMode && timeTicks < 201, DropMode || tickCount >= Levels::kMaxSpeed - Speed};
}

int Game::dropTicksAhead() const {
    if (!DropMode || finishing_) return 0;
    Playfield probe = field_;
    int rows = 0;
    while (rows < Playfield::kRows && probe.Can_Move_Down()) {
        probe.fall();
        ++rows;
    }
    return rows;
}

void Game::handOverSweep(int ticks, TickPace pace) {
    if (!sweep_ || !sweep_->musicOn() || finishing_ || !isFalling() || ticks <= 0) return;
    std::vector<Integer> pans;
    Integer sweep = MusicSweep, dir = MusicSweepDir;
    for (int i = 0; i < ticks; ++i) {
        pans.push_back(sweep);
        sweepStep(sweep, dir, sweep_->sweepStep());
    }
    const std::size_t known = std::min(handedOver_.size(), pans.size());
    if (!std::equal(handedOver_.begin(), handedOver_.begin() + known, pans.begin()))
        withdrawSweep();
    const std::size_t from = handedOver_.size();
    if (from >= pans.size()) return;
    pans.erase(pans.begin(), pans.begin() + from);
    handedOver_.insert(handedOver_.end(), pans.begin(), pans.end());
    const TickPace at{pace.first + std::int64_t(from) * pace.period, pace.period};
    tell([&](GameEvents& e) { e.musicPansAhead(pans, at); });
}

void Game::withdrawSweep() {
    if (handedOver_.empty()) return;
    const int count = static_cast<int>(handedOver_.size());
    handedOver_.clear();
    tell([count](GameEvents& e) { e.musicPansWithdrawn(count); });
}

void Game::tmrDown_Timer() {
    if (finishing_) return;
    const TickPlan plan = planTick(0);
    TickCount = addClamped16(TickCount, 1);
    if (plan.countdown) {
        scoring_.Show_Time_Bonus(static_cast<Integer>(200 - TimeTicks));
        ++TimeTicks;
    }
    if (sweep_ && sweep_->musicOn()) {
        const Integer pan = MusicSweep;
        if (!handedOver_.empty() && handedOver_.front() == pan) {
            handedOver_.pop_front();
        } else {
            withdrawSweep();
            tell([pan](GameEvents& e) { e.musicPan(pan); });
        }
        sweepStep(MusicSweep, MusicSweepDir, sweep_->sweepStep());
    } else {
        withdrawSweep();
    }
    if (!plan.fallStep) return;

    tell([](GameEvents& e) { e.figureShown(); });
    if (field_.Can_Move_Down()) {
        field_.fall();
        TickCount = 0;
        // Show the figure where it now stands, so refused moves match the picture.
        tell([](GameEvents& e) { e.figureShown(); });
        return;
    }
    land();
}

void Game::land() {
    tell([](GameEvents& e) { e.figureLanding(); });
    dropAvailable_ = true;
    field_.Update_Array_C();

    Integer n = 0;
    field_.Remove_Full_Lines(n, [this] { levels_.rowRemoved(Speed, scoring_.shownScore()); });
    tell([](GameEvents& e) { e.wellChanged(); });
    sound(SoundEvent::Landing);

    scoring_.beginLanding();
    if (n > 0) scoring_.addRowBonus(n);
    scoring_.addTimeAndCellBonus(TimeTicks, FigCells);
    TickCount = 0;
    DropMode = false;
    ranking_.Update_Position(scoring_.shownScore(), records_->scores());

    field_.enterFigure();
    FigCells = 0;
    scoring_.addFigureBonus(Queue[1].Bonus);

    Queue.Shift_Queue(chooser_);
    CellArray fig{};
    Initialize_Array_For_Brikko(fig, Queue[1].Mask, FigCells);
    field_.setFigure(fig);
    tell([](GameEvents& e) { e.figureShown(); });
    scoring_.Announce_Talomir_Figure(Queue[2]);
    Initialize_Array_For_Brikko(FigNext, Queue[2].Mask, FigCells);
    const FigureKind kind = kindOf(Queue[2]);
    const Long bonus = Queue[2].Bonus;
    tell([kind, bonus](GameEvents& e) { e.nextFigureShown(kind, bonus); });

    scoring_.addTimeBonusTotal(TimeTicks);
    TimeTicks = 0;
    scoring_.showScore();

    FigureCount = addClamped16(FigureCount, 1);
    log_.append(landingLine(FigureCount, scoring_.landingPoints(), n));
    log_.selectLast();
    tell([](GameEvents& e) { e.queueShown(); });

    if (field_.GameOver()) Finish_Game(scoring_.shownScore());
}

void Game::Finish_Game(Long finalScore) {
    // Neither ticks nor keys may act on the game while its dialogs are open.
    finishing_ = true;
    withdrawSweep();
    setDemoTimer(false);
    tell([](GameEvents& e) { e.gameEnding(); });
    records_->Add_Record(finalScore, [this](QString& name) {
        setDemoTimer(false);
        if (!questions_->askPlayerName(name)) return false;
        if (name.isEmpty()) name = clock_.shortDate();
        return true;
    });
    const QStringList table = records_->Fill_Table_List();
    tell([&table](GameEvents& e) { e.tableLoaded(table); });
    records_->Save_Records();
    if (questions_->askNewGame()) {
        scoring_.clearScore();
        Speed = 0;
        records_->Clear_Records();
        Form_Load();
    } else {
        tell([](GameEvents& e) { e.playerLeaves(); });  // the game stays frozen meanwhile
    }
}

void Game::Form_KeyDown(int KeyCode) {
    if (finishing_) return;
    switch (KeyCode) {
        case vk::Escape:
            EscPressed = true;
            setPaused(!paused_);
            break;
        case vk::Left:
            if (EnableKeys) cmdLeftRight_MouseDown(0);
            break;
        case vk::Up:
            if (EnableKeys) cmdRotate_MouseDown(0);
            break;
        case vk::Right:
            if (EnableKeys) cmdLeftRight_MouseDown(2);
            break;
        case vk::Down:
            if (EnableKeys && dropAvailable_) cmdDown_MouseDown();
            break;
        default:
            break;
    }
}

void Game::Form_KeyUp(int KeyCode) {
    if (finishing_) return;
    switch (KeyCode) {
        case vk::Left:
            cmdLeftRight_MouseUp(0);
            break;
        case vk::Up:
            cmdRotate_MouseUp(0);
            break;
        case vk::Right:
            cmdLeftRight_MouseUp(2);
            break;
        default:
            break;
    }
}

void Game::cmdLeftRight_MouseDown(int Index) {
    if (finishing_ || (Index != 0 && Index != 2)) return;
    const MoveButton button = Index == 0 ? MoveButton::Left : MoveButton::Right;
    tell([button](GameEvents& e) { e.buttonPressed(button); });
    if (field_.Enable_Move_Left_Right(Index)) {
        field_.moveBy(Index - 1);
        sound(Index != 0 ? SoundEvent::Right : SoundEvent::Left);
        tell([](GameEvents& e) { e.figureShown(); });
    }
}

void Game::cmdLeftRight_MouseUp(int) {
    tell([](GameEvents& e) { e.buttonReleased(MoveButton::Left); });
    tell([](GameEvents& e) { e.buttonReleased(MoveButton::Right); });
}

void Game::cmdRotate_MouseDown(int Index) {
    if (finishing_ || Index != 0) return;
    tell([](GameEvents& e) { e.buttonPressed(MoveButton::Rotate); });
    sound(SoundEvent::Rotate);
    field_.Rotate_Figure();
    tell([](GameEvents& e) { e.figureShown(); });
}

void Game::cmdRotate_MouseUp(int) {
    tell([](GameEvents& e) { e.buttonReleased(MoveButton::Rotate); });
}

void Game::cmdDown_MouseDown() {
    // One drop per figure: the button stays disabled until the landing.
    if (finishing_ || !dropAvailable_) return;
    DropMode = true;
    dropAvailable_ = false;
    tell([](GameEvents& e) { e.buttonPressed(MoveButton::Drop); });
    sound(SoundEvent::Drop);
}

void Game::setPaused(bool paused) {
    if (paused_ == paused) return;
    paused_ = paused;
    if (paused) withdrawSweep();
    EnableKeys = !paused;
    const bool byEscape = EscPressed;
    tell([paused](GameEvents& e) { e.fallingChanged(!paused); });
    tell([paused, byEscape](GameEvents& e) { e.pauseChanged(paused, byEscape); });
    EscPressed = false;
    const FigureKind kind = kindOf(Queue[2]);
    const Long bonus = Queue[2].Bonus;
    tell([](GameEvents& e) { e.figureShown(); });
    tell([kind, bonus](GameEvents& e) { e.nextFigureShown(kind, bonus); });
}

void Game::setDemo(bool on) {
    if (demo_ == on) return;
    demo_ = on;
    tell([on](GameEvents& e) { e.demoSwitched(on); });
    setDemoTimer(on);
}

void Game::setDemoTimer(bool running) {
    if (demoTimer_ == running) return;
    demoTimer_ = running;
    const int wait = demoWaitMs_;
    tell([running, wait](GameEvents& e) { e.demoTimerChanged(running, wait); });
}

void Game::tmrDemo_Timer() {
    // A paused game holds its figure still, whoever steers it.
    if (finishing_ || paused_ || !demoTimer_) return;
    // Undo the previous step's press; the drop button keeps its colour until the landing.
    for (MoveButton b : {MoveButton::Left, MoveButton::Right, MoveButton::Rotate})
        tell([b](GameEvents& e) { e.buttonReleased(b); });
    const int wait = std::max<Long>(CLng(rng_.Rnd() * 750.0f), kShortestInterval);
    if (wait != demoWaitMs_) {
        demoWaitMs_ = wait;
        tell([wait](GameEvents& e) { e.demoTimerChanged(true, wait); });
    }
    const Integer k = CInt(rng_.Rnd() * 21.0f);
    if (k <= 7)
        cmdLeftRight_MouseDown(0);
    else if (k <= 15)
        cmdLeftRight_MouseDown(2);
    else if (k <= 19)
        cmdRotate_MouseDown(0);
    else
        cmdDown_MouseDown();
}

void Game::playRandomEventSound() {
    const auto event = static_cast<SoundEvent>(std::lrint(rng_.Rnd() * 6.0f + 1.0f));
    tell([event](GameEvents& e) { e.soundPlayed(event, 0); });
}

void Game::Form_Resize(bool minimized) {
    if (minimized && !paused_) setPaused(true);
}

}  // namespace talomir
