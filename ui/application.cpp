#include "ui/application.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
// Long enough for the window system to have put the window on screen.
constexpr int kMusicDelayMs = 250;
// After the window's first picture, well before the music.
constexpr int kPrepareAudioDelayMs = 100;
// Long enough for the window manager to have framed a window just shown.
constexpr int kFramedDelayMs = 150;

QPointF toTwips(QPoint p) {
    return {vb::pixelsToTwipsF(p.x()), vb::pixelsToTwipsF(p.y())};
}
QPoint toPixels(QPointF t) {
    return {static_cast<int>(std::lround(vb::twipsToPixelsF(t.x()))),
            static_cast<int>(std::lround(vb::twipsToPixelsF(t.y())))};
}
}  // namespace

QPoint MainWindowPlaces::reachable(QPoint p, QSize frame) {
    // Some part of the caption bar must lie on a screen.
    const QPoint probe = p + QPoint(std::min(frame.width(), 40), 8);
    if (QGuiApplication::screenAt(probe)) return p;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return p;
    const QRect area = primary->availableGeometry();
    return {area.left() + std::max(0, std::min(p.x() - area.left(), area.width() - frame.width())),
            area.top() + std::max(0, std::min(p.y() - area.top(), area.height() - frame.height()))};
}

QWidget* MainWindowPlaces::side(::talomir::SideWindow w) const {
    switch (w) {
        case ::talomir::SideWindow::TalomirFathers:
            return main_.frmTalomiFathers();
        case ::talomir::SideWindow::Statistic:
            return main_.frmStatistic();
        case ::talomir::SideWindow::Future:
            return main_.frmFuture();
    }
    return nullptr;
}

QPointF MainWindowPlaces::mainPosition() const {
    return toTwips(main_.frameGeometry().topLeft());
}

void MainWindowPlaces::setMainPosition(QPointF twips) {
    main_.move(reachable(toPixels(twips), main_.frameGeometry().size()));
}

bool MainWindowPlaces::sideVisible(::talomir::SideWindow w) const {
    return side(w)->isVisible();
}

void MainWindowPlaces::setSideVisible(::talomir::SideWindow w, bool visible) {
    // Through the window's check button, so button and window agree.
    const Ctl check = w == ::talomir::SideWindow::TalomirFathers ? Ctl::chkRec
                      : w == ::talomir::SideWindow::Statistic    ? Ctl::chkStat
                                                                 : Ctl::chkFuture;
    main_.game().setCheckValue(check, visible ? 1 : 0);
    if (visible && !side(w)->isVisible()) side(w)->show();
}

QPointF MainWindowPlaces::sidePosition(::talomir::SideWindow w) const {
    return toTwips(side(w)->frameGeometry().topLeft());
}

void MainWindowPlaces::setSidePosition(::talomir::SideWindow w, QPointF twips) {
    QWidget* window = side(w);
    const QPoint at = reachable(toPixels(twips), window->frameGeometry().size());
    window->move(at);
    // A window shown a moment ago gets its frame from the window manager later, and until then a
    // move places its client area; once framed, the frame is put where it was saved.
    if (window->isVisible() && window->frameGeometry() == window->geometry())
        QTimer::singleShot(kFramedDelayMs, window, [window, at] { window->move(at); });
}

Application::Application(const GameFolders& folders, AudioBackend* audio)
    : records_(folders.dataFile(QLatin1String(GameFolders::kTableFile))) {
    GameFolders::setCurrent(folders);
    if (!audio) {
        sdl_ = std::make_unique<SdlAudioBackend>();
        audio = sdl_.get();
    }
    engine_ = std::make_unique<SoundEngine>(*audio);
    main_ = std::make_unique<FrmMain>(rng_, clock_, &records_);
    bridge_ = std::make_unique<SoundBridge>(*engine_);
    main_->game().display.addObserver(bridge_.get());
    places_ = std::make_unique<MainWindowPlaces>(*main_);
    Game& game = main_->game();
    settings_ =
        std::make_unique<SettingsFile>(folders.dataFolder(), *places_, *engine_, game.EnableLoop,
                                       game.SpeedChange, folders.soundFolder());
    // The music starts once the window is up: decoding it must not delay the first picture.
    settings_->deferMusic = [](std::function<void()> start) {
        QTimer::singleShot(kMusicDelayMs, std::move(start));
    };
    MainWindowHooks hooks;
    hooks.firstLoad = [this] { settings_->Load_Settings(); };
    hooks.saveSettings = [this] { settings_->Save_Settings(); };
    main_->setHooks(std::move(hooks));
}

Application::~Application() {
    main_->game().display.removeObserver(bridge_.get());
}

void Application::start() {
    // For measurements (tools/measure-window.sh): the first game falls at the speed of a level.
    const int level = std::clamp(qEnvironmentVariableIntValue("TALOMIR_START_LEVEL"), 0, 10);
    main_->game().Speed = static_cast<Integer>(level * Levels::kSpeedStep);
    main_->Form_Load();
    main_->show();
    main_->focusWell();
    // The audio libraries load off the window's thread once the window is up, so that neither
    // the window's start nor the first sound waits for them.
    if (sdl_ && (engine_->EnableSoundControl() || engine_->EnableLoop()))
        QTimer::singleShot(kPrepareAudioDelayMs, main_.get(), [this] { sdl_->prepare(); });
}

}  // namespace talomir::ui
