#include "rules/game.h"

#include <algorithm>
#include <cmath>

namespace talomir {

namespace {
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kYellow = 0x00FFFF;
constexpr Ctl kMoveButtons[] = {Ctl::cmdDown, Ctl::cmdLeftRight0, Ctl::cmdLeftRight2,
                                Ctl::cmdRotate0};
}  // namespace

Game::Game(RandomSource& rng, const Clock& clock)
    : chooser(rng, clock), levels(display, log, rng), rng_(rng), clock_(clock) {}

void Game::draw(void (GameObserver::*what)()) {
    display.notify([what](GameObserver& o) { (o.*what)(); });
}

void Game::play(Clip c) {
    display.notify([c](GameObserver& o) { o.playClip(c); });
}

namespace {
// One step of the music sweep: the value is handed over before it is tested, so the pan
// overshoots the bounds by up to one step.
void sweepStep(Integer& sweep, Integer& dir, Integer change) {
    if (sweep > 5000 || sweep < -5000) dir = static_cast<Integer>(-dir);
    // SpeedChange comes from the settings file unchecked: keep the sweep inside 16 bits.
    sweep = addClamped16(sweep, static_cast<long>(dir) * change);
}
}  // namespace

void Game::discard(int count) {
    for (int i = 0; i < count; ++i) rng_.Rnd();
}

void Game::Form_Load() {
    withdrawSweep();
    // Before the fall timer starts, which hands the sweep's first pans over.
    MusicSweep = -5000;
    MusicSweepDir = 1;
    finishing_ = false;
    ranking.captureMenuColour();
    setCheckValue(Ctl::chkDemo, 0);
    display.setTimer(Tmr::tmrDemo, false);
    levels.startGame();
    ranking.clearCaptions();
    field.reset();
    FigNext = {};
    display.setBackColor(Ctl::frmMain, 0);

    discard(2 * clock_.seconds() + 1);
    ButtonColor = QBColor(static_cast<int>(std::floor(15.0f * rng_.Rnd())) + 1);
    for (Ctl b : kMoveButtons) display.setBackColor(b, ButtonColor);
    display.setBorderColor(Ctl::shpTwo, QBColor(CInt(rng_.Rnd() * 15.0f)));

    const bool running = display[Ctl::chkPause].Value != 1;
    display.setTimer(Tmr::tmrDown, running);
    display.setVisible(Ctl::fraControl, running);

    scoring.startGame();
    // A game started with the pause button down waits for it like any paused game, keys too.
    EnableKeys = running;
    draw(&GameObserver::layoutWindow);
    FigCells = 0;
    FigureCount = 0;
    levels.LinesInLevel = 0;

    for (int i = 1; i <= 5; ++i) Queue.fillEntry(i, chooser);
    Initialize_Array_For_Brikko(field.Fig, Queue[1].Mask, FigCells);
    Initialize_Array_For_Brikko(FigNext, Queue[2].Mask, FigCells);
    scoring.Announce_Talomir_Figure(Queue[2]);

    records_->Load_Records();
    const QStringList table = records_->Fill_Table_List();
    display.notify([&table](GameObserver& o) { o.tableFilled(table); });
    ranking.startBelow(records_->count());
    log.clear();

    draw(&GameObserver::Draw_Well);
    draw(&GameObserver::Draw_Figure);
    draw(&GameObserver::Draw_Grid);
    draw(&GameObserver::Draw_Next_Figure);
    display.setEnabled(Ctl::cmdDown, true);
    DropMode = false;
    draw(&GameObserver::Draw_Future);

    if (!SoundReady) {
        host_->firstLoad();
        SoundReady = true;
    }
    host_->syncSideWindowButtons();
}

void Game::tick() {
    if (finishing_ || !display.timer(Tmr::tmrDown).Enabled) return;
    tmrDown_Timer();
}

int Game::inertTicksAhead() const {
    return countdownRunning() ? 0 : quietTicksAhead();
}

int Game::quietTicksAhead() const {
    if (DropMode || finishing_) return 0;
    return std::max(0, Levels::kMaxSpeed - Speed - 1 - TickCount);
}

int Game::dropTicksAhead() const {
    if (!DropMode || finishing_) return 0;
    Playfield probe = field;
    int rows = 0;
    while (rows < Playfield::kRows && probe.Can_Move_Down()) {
        ++probe.FigY;
        ++rows;
    }
    return rows;
}

void Game::handOverSweep(int ticks, TickPace pace) {
    if (!EnableLoop || finishing_ || !display.timer(Tmr::tmrDown).Enabled || ticks <= 0) return;
    std::vector<Integer> pans;
    Integer sweep = MusicSweep, dir = MusicSweepDir;
    for (int i = 0; i < ticks; ++i) {
        pans.push_back(sweep);
        sweepStep(sweep, dir, SpeedChange);
    }
    const std::size_t known = std::min(handedOver_.size(), pans.size());
    if (!std::equal(handedOver_.begin(), handedOver_.begin() + known, pans.begin()))
        withdrawSweep();
    const std::size_t from = handedOver_.size();
    if (from >= pans.size()) return;
    pans.erase(pans.begin(), pans.begin() + from);
    handedOver_.insert(handedOver_.end(), pans.begin(), pans.end());
    const TickPace at{pace.first + std::int64_t(from) * pace.period, pace.period};
    display.notify([&](GameObserver& o) { o.bkgPansAhead(pans, at); });
}

void Game::withdrawSweep() {
    if (handedOver_.empty()) return;
    const int count = static_cast<int>(handedOver_.size());
    handedOver_.clear();
    display.notify([count](GameObserver& o) { o.bkgPansWithdrawn(count); });
}

void Game::tmrDown_Timer() {
    if (finishing_) return;
    TickCount = addClamped16(TickCount, 1);
    if (countdownRunning()) {
        scoring.Show_Time_Bonus(static_cast<Integer>(200 - TimeTicks));
        ++TimeTicks;
    }
    if (EnableLoop) {
        const Integer pan = MusicSweep;
        if (!handedOver_.empty() && handedOver_.front() == pan) {
            handedOver_.pop_front();
        } else {
            withdrawSweep();
            display.notify([pan](GameObserver& o) { o.setBkgPan(pan); });
        }
        sweepStep(MusicSweep, MusicSweepDir, SpeedChange);
    } else {
        withdrawSweep();
    }
    if (TickCount < Levels::kMaxSpeed - Speed && !DropMode) return;

    draw(&GameObserver::Draw_Figure);
    if (field.Can_Move_Down()) {
        ++field.FigY;
        TickCount = 0;
        // Show the figure where it now stands, so refused moves match the picture.
        draw(&GameObserver::Draw_Figure);
        return;
    }
    land();
}

void Game::land() {
    display.setBackColor(Ctl::cmdDown, ButtonColor);
    display.setVisible(Ctl::lblFirma, false);
    field.Update_Array_C();
    display.setEnabled(Ctl::cmdDown, true);

    Integer n = 0;
    field.Remove_Full_Lines(n, [this] { levels.rowRemoved(Speed, scoring.shownScore()); });
    draw(&GameObserver::Draw_Well);
    draw(&GameObserver::Draw_Grid);
    play(rng_.Rnd() > 0.5f ? Clip::mDown1 : Clip::mDown2);

    scoring.ScoreBefore = scoring.Score;
    if (n > 0) scoring.addRowBonus(n);
    scoring.addTimeAndCellBonus(TimeTicks, FigCells);
    TickCount = 0;
    DropMode = false;
    ranking.Update_Position(scoring.shownScore(), records_->scores());

    field.FigX = Playfield::kEntryX;
    field.FigY = Playfield::kEntryY;
    FigCells = 0;
    scoring.addFigureBonus(Queue[1].Bonus);

    Queue.Shift_Queue(chooser);
    Initialize_Array_For_Brikko(field.Fig, Queue[1].Mask, FigCells);
    draw(&GameObserver::Draw_Figure);
    scoring.Announce_Talomir_Figure(Queue[2]);
    Initialize_Array_For_Brikko(FigNext, Queue[2].Mask, FigCells);
    draw(&GameObserver::Draw_Next_Figure);

    scoring.addTimeBonusTotal(TimeTicks);
    TimeTicks = 0;
    scoring.showScore();

    FigureCount = addClamped16(FigureCount, 1);
    log.append(landingLine(FigureCount, scoring.landingPoints(), n));
    log.selectLast();
    draw(&GameObserver::Draw_Future);

    if (field.GameOver()) Finish_Game(scoring.shownScore());
}

void Game::Finish_Game(Long finalScore) {
    // Neither ticks nor keys may act on the game while its dialogs are open.
    finishing_ = true;
    withdrawSweep();
    display.setTimer(Tmr::tmrDemo, false);
    host_->unloadSettingsAndHelp();
    records_->Add_Record(finalScore, [this](QString& name) {
        display.setTimer(Tmr::tmrDemo, false);
        if (!host_->askPlayerName(name)) return false;
        if (name.isEmpty()) name = clock_.shortDate();
        return true;
    });
    const QStringList table = records_->Fill_Table_List();
    display.notify([&table](GameObserver& o) { o.tableFilled(table); });
    records_->Save_Records();
    if (host_->askNewGame()) {
        scoring.Score = 0;
        Speed = 0;
        records_->Clear_Records();
        Form_Load();
    } else {
        host_->endProgram();  // the game stays frozen while the program closes
    }
}

void Game::Form_KeyDown(int KeyCode) {
    if (finishing_) return;
    switch (KeyCode) {
        case vk::Escape:
            EscPressed = true;
            setCheckValue(Ctl::chkPause, display[Ctl::chkPause].Value == 1 ? 0 : 1);
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
            if (EnableKeys && display[Ctl::cmdDown].Enabled) cmdDown_MouseDown();
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
    display.setBackColor(Index == 0 ? Ctl::cmdLeftRight0 : Ctl::cmdLeftRight2, kGreen);
    if (field.Enable_Move_Left_Right(Index)) {
        field.FigX = static_cast<Byte>(field.FigX + Index - 1);
        play(Index != 0 ? Clip::mRight1 : Clip::mLeft1);
        draw(&GameObserver::Draw_Figure);
    }
}

void Game::cmdLeftRight_MouseUp(int) {
    display.setBackColor(Ctl::cmdLeftRight0, ButtonColor);
    display.setBackColor(Ctl::cmdLeftRight2, ButtonColor);
    draw(&GameObserver::focusWell);
}

void Game::cmdRotate_MouseDown(int Index) {
    if (finishing_ || Index != 0) return;
    display.setBackColor(Ctl::cmdRotate0, kYellow);
    play(Clip::mRotate1);
    field.Rotate_Figure();
    draw(&GameObserver::Draw_Figure);
}

void Game::cmdRotate_MouseUp(int) {
    display.setBackColor(Ctl::cmdRotate0, ButtonColor);
    draw(&GameObserver::focusWell);
}

void Game::cmdDown_MouseDown() {
    // One drop per figure: the button stays disabled until the landing.
    if (finishing_ || !display[Ctl::cmdDown].Enabled) return;
    DropMode = true;
    display.setBackColor(Ctl::cmdDown, 0);
    play(rng_.Rnd() > 0.5f ? Clip::mDrop1 : Clip::mDrop2);
    display.setEnabled(Ctl::cmdDown, false);
}

void Game::cmdDown_MouseUp() {
    draw(&GameObserver::focusWell);
}

void Game::setCheckValue(Ctl check, int value) {
    if (display[check].Value == value) return;
    display.setValueSilently(check, value);
    if (check == Ctl::chkPause) {
        chkPause_Click();
        return;
    }
    // The demo's switch is the model's own; the views still hear of it like the others.
    if (check == Ctl::chkDemo) chkDemo_Click();
    display.notify([check](GameObserver& o) { o.checkClicked(check); });
}

void Game::chkPause_Click() {
    if (display[Ctl::chkPause].Value == 1) {
        display.setVisible(Ctl::fraControl, false);
        display.setTimer(Tmr::tmrDown, false);
        withdrawSweep();
        EnableKeys = false;
        if (EscPressed) display.notify([](GameObserver& o) { o.setMainWindowState(1); });
    } else {
        display.setVisible(Ctl::fraControl, true);
        display.setTimer(Tmr::tmrDown, true);
        EnableKeys = true;
        display.notify([](GameObserver& o) { o.setMainWindowState(0); });
    }
    EscPressed = false;
    draw(&GameObserver::Draw_Figure);
    draw(&GameObserver::Draw_Next_Figure);
    draw(&GameObserver::focusWell);
}

void Game::chkDemo_Click() {
    display.setTimer(Tmr::tmrDemo, display[Ctl::chkDemo].Value == 1);
    draw(&GameObserver::focusWell);
}

void Game::tmrDemo_Timer() {
    // A paused game holds its figure still, whoever steers it.
    if (finishing_ || isPaused() || !display.timer(Tmr::tmrDemo).Enabled) return;
    // Undo the previous step's press; the drop button keeps its colour until the landing.
    for (Ctl b : {Ctl::cmdLeftRight0, Ctl::cmdLeftRight2, Ctl::cmdRotate0})
        display.setBackColor(b, ButtonColor);
    const Long wait = CLng(rng_.Rnd() * 750.0f);
    display.setTimerInterval(Tmr::tmrDemo, std::max<Long>(wait, kShortestInterval));
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
    const auto n = static_cast<Byte>(std::lrint(rng_.Rnd() * 6.0f + 1.0f));
    display.notify([n](GameObserver& o) { o.playEventSound(n); });
}

void Game::Form_Resize(bool minimized) {
    if (minimized && display[Ctl::chkPause].Value == 0) setCheckValue(Ctl::chkPause, 1);
}

}  // namespace talomir
