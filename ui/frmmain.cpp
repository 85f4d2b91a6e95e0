#include "ui/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QTimer>

#include "persistence/gamefolders.h"
#include "ui/dialogs.h"
#include "ui/frmhelp.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/keypreview.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

FrmMain::FrmMain(RandomSource& rng, const Clock& clock, Records* records, QWidget* parent)
    : vb::FormSurface(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                                  Qt::CustomizeWindowHint),
      game_(rng, clock),
      presenter_(rng),
      controls_(this),
      sides_(this, game_.log()),
      painter_(game_, controls_.picture(Ctl::picTalomir), this,
               [this] { return sides_.shownFuture(); }),
      pacer_(
          game_, [this](int ms) { timer(Tmr::tmrDown).setInterval(ms); },
          [this] { return timer(Tmr::tmrDown).isEnabled(); }) {
    const ControlState& window = presenter_.state()[Ctl::frmMain];
    setObjectName(ctlName(Ctl::frmMain));
    setWindowTitle(window.Caption);
    setBackColor(window.BackColor);
    setFixedSize(vb::twipsToPixels(kMainClientWidth), vb::twipsToPixels(kMainClientHeight));
    setFont(vb::makeFont(QStringLiteral("Tahoma"), 8.25));
    if (qApp) qApp->installEventFilter(this);

    sides_.drawFutureWith([this] { painter_.Draw_Future(); });
    wireTimers();
    presenter_.state().addObserver(this);
    for (GameEvents* listener :
         std::initializer_list<GameEvents*>{&presenter_, this, &painter_, &sides_})
        game_.listen(listener);
    game_.setQuestions(this);
    game_.setRecords(records);
    wireInput();
}

FrmMain::~FrmMain() {
    presenter_.state().removeObserver(this);
}

void FrmMain::wireTimers() {
    const std::array<std::function<void()>, kTmrCount> ticks = {
        [this] { pacer_.elapsed(); },
        [this] { presenter_.tmrLevel_Timer(); },
        [this] { presenter_.tmrMigCountLines_Timer(); },
        [this] { presenter_.tmrMigMenuControls_Timer(); },
        [this] { input([this] { game_.tmrDemo_Timer(); }); },
    };
    for (int t = 0; t < kTmrCount; ++t) {
        connect(&timers_[std::size_t(t)], &vb::Timer::Tick, this, ticks[std::size_t(t)]);
        timerChanged(static_cast<Tmr>(t));
    }
}

void FrmMain::wireInput() {
    keys_ = new vb::KeyPreview(this);
    connect(keys_, &vb::KeyPreview::KeyDown, this,
            [this](int code, int) { input([&] { game_.Form_KeyDown(code); }); });
    connect(keys_, &vb::KeyPreview::KeyUp, this, [this](int code, int) {
        input([&] { game_.Form_KeyUp(code); });
        // A released move key gives the keyboard back to the well, as a released button does.
        if (!game_.isFinishing() && (code == vk::Left || code == vk::Up || code == vk::Right))
            focusWell();
    });
    const struct {
        Ctl button;
        std::function<void()> down, up;
    } moves[] = {
        {Ctl::cmdLeftRight0, [this] { game_.cmdLeftRight_MouseDown(0); },
         [this] { game_.cmdLeftRight_MouseUp(0); }},
        {Ctl::cmdLeftRight2, [this] { game_.cmdLeftRight_MouseDown(2); },
         [this] { game_.cmdLeftRight_MouseUp(2); }},
        {Ctl::cmdRotate0, [this] { game_.cmdRotate_MouseDown(0); },
         [this] { game_.cmdRotate_MouseUp(0); }},
        {Ctl::cmdDown, [this] { game_.cmdDown_MouseDown(); }, [] {}},
    };
    // Either mouse button presses them.
    for (const auto& m : moves) {
        vb::CommandButton* b = controls_.command(m.button);
        connect(b, &vb::ButtonBase::MouseDown, this,
                [this, down = m.down](int, int, int, float, float) { input(down); });
        connect(b, &vb::ButtonBase::MouseUp, this, [this, up = m.up](int, int, int, float, float) {
            input(up);
            focusWell();
        });
    }
    for (Ctl c : {Ctl::chkPause, Ctl::chkHelp, Ctl::chkDemo, Ctl::chkSet, Ctl::chkAuto,
                  Ctl::chkFuture, Ctl::chkRec, Ctl::chkStat}) {
        vb::CheckButton* b = controls_.check(c);
        connect(b, &vb::ButtonBase::Click, this, [this, b, c] {
            // The window setting the button raises Click too; only a change is the player's.
            if (presenter_.state()[c].Value == b->value()) return;
            input([&] { checkClicked(c, b->value()); });
        });
        connect(b, &vb::ButtonBase::MouseUp, this,
                [this](int, int, int, float, float) { focusWell(); });
    }
}

void FrmMain::checkClicked(Ctl c, int value) {
    if (c == Ctl::chkPause) return game_.setPaused(value == 1);  // the pause focuses the well
    if (c == Ctl::chkDemo) game_.setDemo(value == 1);
    presenter_.setCheck(c, value);
    if (const auto side = SideWindows::shownBy(c)) sides_.show(*side, value == 1);
    if (c == Ctl::chkAuto && value == 1) return dock();
    if (c == Ctl::chkSet && value == 1) {
        // The game goes on behind the window; the button stays pressed while it is open.
        if (hooks_.showSettings) hooks_.showSettings();
        presenter_.setCheck(c, 0);
    }
    // The tour starts from the event loop, once the click has been handled.
    if (c == Ctl::chkHelp && value == 1)
        return QTimer::singleShot(0, this, [this] { startHelpTour(); });
    focusWell();
}

void FrmMain::startHelpTour() {
    if (touring_ || presenter_.state()[Ctl::chkHelp].Value != 1) return;
    touring_ = true;
    runHelpTour(*this);
    touring_ = false;
}

void FrmMain::Form_Load() {
    // Relative paths of the settings mean the game's data folder.
    QDir::setCurrent(GameFolders::current().dataFolder());
    game_.Form_Load();
}

void FrmMain::controlChanged(Ctl c) {
    controls_.show(c, presenter_.state()[c]);
}

void FrmMain::timerChanged(Tmr t) {
    const TimerState& s = presenter_.state().timer(t);
    vb::Timer& timer = timers_[std::size_t(t)];
    if (t == Tmr::tmrDown) {
        if (s.Enabled) pacer_.start();
        return timer.setEnabled(s.Enabled);
    }
    // Each demo step sets the wait until the next one.
    if (timer.interval() != s.Interval) timer.setInterval(s.Interval);
    timer.setEnabled(s.Enabled);
}

void FrmMain::gameStarting(int, int) {
    QWidget* well = controls_.widget(Ctl::picTalomir);
    well->move(vb::twipsToPixels(120), vb::twipsToPixels(100));
    // The control frame, and the pause label in its place, centred under the well.
    QWidget* frame = controls_.widget(Ctl::fraControl);
    const int left = (well->width() - frame->width()) / 2 + well->x();
    frame->move(left, vb::twipsToPixels(6840));
    controls_.widget(Ctl::lblPause)->move(left, vb::twipsToPixels(6840));
    painter_.layout();
}

void FrmMain::firstGameStarting() {
    if (hooks_.firstLoad) hooks_.firstLoad();
}

void FrmMain::gameStarted() {
    // The side windows' buttons show whether their windows are on screen.
    for (const SideRow& row : SideWindows::rows())
        presenter_.setCheck(row.button,
                            sides_.exists(row.id) && sides_.window(row.id)->isVisible());
}

void FrmMain::gameEnding() {
    // The file chooser first: it may be open over the settings window.
    vb::Forms::unload(QStringLiteral("frmOpen"));
    vb::Forms::unload(QStringLiteral("frmSettings"));
    vb::Forms::unload(QStringLiteral("frmHelp"));
}

void FrmMain::playerLeaves() {
    // The normal way out, so that the closing handler saves the settings.
    close();
}

void FrmMain::pauseChanged(bool paused, bool byEscape) {
    if (paused && byEscape) {
        showMinimized();
    } else if (!paused) {
        if (isMinimized()) showNormal();
        vb::activate(this);
        raise();
    }
    focusWell();
}

void FrmMain::dock() {
    sides_.dock(frameGeometry(), frameGeometry().size() - size());
    for (const SideRow& row : SideWindows::rows()) presenter_.setCheck(row.button, 1);
    focusWell();
}

void FrmMain::focusWell() {
    if (isVisible() && !isActiveWindow()) vb::activate(this);
    controls_.widget(Ctl::picTalomir)->setFocus();
}

void FrmMain::changeEvent(QEvent* event) {
    vb::FormSurface::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const bool minimized = isMinimized();
    if (minimized) input([this] { game_.Form_Resize(true); });
    sides_.followMain(minimized);
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    vb::FormSurface::resizeEvent(event);
    const QSize design(vb::twipsToPixels(kMainClientWidth), vb::twipsToPixels(kMainClientHeight));
    if (!isMinimized() && size() != design) resize(design);  // the size never changes
}

bool FrmMain::askPlayerName(QString& name) {
    if (hooks_.askPlayerName) return hooks_.askPlayerName(name);
    FrmEnterName dialog(this);
    dialog.exec();
    name = dialog.PlayerName;
    return !dialog.bCancelRecord;
}

bool FrmMain::askNewGame() {
    if (closing_) return false;  // closed while the game's end was being stored
    if (hooks_.askNewGame) return hooks_.askNewGame();
    FrmGameOver dialog(this);
    dialog.exec();
    return dialog.blnContinue;
}

void FrmMain::Form_QueryUnload() {
    if (closing_) return;
    closing_ = true;
    if (hooks_.saveSettings) hooks_.saveSettings();
    timer(Tmr::tmrDown).setEnabled(false);
    sides_.unloadAll();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    // The application asked to quit (the session ends): the settings are saved and the side
    // windows unloaded first, or their close guard would refuse and cancel the quit.
    if (watched == qApp && event->type() == QEvent::Quit) Form_QueryUnload();
    return vb::FormSurface::eventFilter(watched, event);
}

}  // namespace talomir::ui
