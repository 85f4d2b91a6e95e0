#include "ui/application.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "sound/sound_choices.h"
#include "ui/frmsettings.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
// Long enough for the window system to have put the window on screen.
constexpr int kMusicDelayMs = 250;
// After the window's first picture, well before the music.
constexpr int kPrepareAudioDelayMs = 100;
// Long enough for the window manager to have framed a window just shown.
constexpr int kFramedDelayMs = 150;

// Far beyond any desktop, and far from the int range, so that arithmetic on a position read
// from the settings file cannot overflow.
constexpr double kFarPixels = 1 << 24;

QPointF toTwips(QPoint p) {
    return {vb::pixelsToTwipsF(p.x()), vb::pixelsToTwipsF(p.y())};
}
int toPixel(double twips) {
    const double pixels = vb::twipsToPixelsF(twips);
    return std::isnan(pixels)
               ? 0
               : static_cast<int>(std::lround(std::clamp(pixels, -kFarPixels, kFarPixels)));
}
QPoint toPixels(QPointF t) {
    return {toPixel(t.x()), toPixel(t.y())};
}

// Drops the player's keys and clicks while it lives. (The event loop's own exclusion of input
// would hold back the window's close box too.)
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
                return true;
            default:
                return false;
        }
    }
};

QString entryList(const std::vector<PendingEntry>& entries) {
    QStringList items;
    for (const PendingEntry& e : entries)
        items << QStringLiteral("«%1» — %2").arg(e.name, textfile::plainNumber(e.score));
    return items.join(QStringLiteral(", "));
}
}  // namespace

QPoint MainWindowPlaces::reachable(QPoint p, QSize frame) {
    const auto far = static_cast<int>(kFarPixels);
    p = {std::clamp(p.x(), -far, far), std::clamp(p.y(), -far, far)};
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
    return main_.sides().window(w);
}

QPointF MainWindowPlaces::mainPosition() const {
    if (!placesKnown && readMain_) return *readMain_;
    return toTwips(main_.frameGeometry().topLeft());
}

void MainWindowPlaces::setMainPosition(QPointF twips) {
    readMain_ = twips;
    main_.move(reachable(toPixels(twips), main_.frameGeometry().size()));
}

bool MainWindowPlaces::sideVisible(::talomir::SideWindow w) const {
    return side(w)->isVisible() && (placesKnown || readSides_[static_cast<int>(w)].visible);
}

void MainWindowPlaces::setSideVisible(::talomir::SideWindow w, bool visible) {
    readSides_[static_cast<int>(w)].visible = visible;
    // Through the window's check button, so button and window agree.
    main_.click(SideWindows::rows()[static_cast<std::size_t>(w)].button, visible ? 1 : 0);
    if (visible && !side(w)->isVisible()) side(w)->show();
}

QPointF MainWindowPlaces::sidePosition(::talomir::SideWindow w) const {
    const std::optional<QPointF>& read = readSides_[static_cast<int>(w)].place;
    if (!placesKnown && read) return *read;
    return toTwips(side(w)->frameGeometry().topLeft());
}

void MainWindowPlaces::setSidePosition(::talomir::SideWindow w, QPointF twips) {
    readSides_[static_cast<int>(w)].place = twips;
    QWidget* window = side(w);
    const QPoint at = reachable(toPixels(twips), window->frameGeometry().size());
    window->move(at);
    // A window shown a moment ago gets its frame from the window manager later, and until then a
    // move places its client area; once framed, the frame is put where it was saved.
    if (window->isVisible() && window->frameGeometry() == window->geometry())
        QTimer::singleShot(kFramedDelayMs, window, [window, at] { window->move(at); });
}

Application::Application(const GameFolders& folders, AudioBackend* audio,
                         const QString& journalFolder)
    : records_(folders.dataFile(QLatin1String(GameFolders::kTableFile))) {
    GameFolders::setCurrent(folders);
    if (!journalFolder.isEmpty()) {
        journal_ = std::make_unique<RecordJournal>(journalFolder);
        records_.table().setJournal(journal_.get());
    }
    if (!audio) {
        sdl_ = std::make_unique<SdlAudioBackend>();
        audio = sdl_.get();
    }
    engine_ = std::make_unique<SoundEngine>(*audio);
    main_ = std::make_unique<FrmMain>(rng_, clock_, &records_);
    bridge_ = std::make_unique<SoundBridge>(*engine_);
    main_->game().listen(bridge_.get());
    main_->game().setSweepSettings(engine_.get());
    places_ = std::make_unique<MainWindowPlaces>(*main_);
    places_->placesKnown = vb::programPlacesWindows();
    engineSettings_ = std::make_unique<EngineSettings>(*engine_, folders.soundFolder());
    // The music starts once the window is up: decoding it must not delay the first picture.
    // Tied to the window, so that a start still pending when the program goes is dropped.
    engineSettings_->deferMusic = [this](std::function<void()> start) {
        QTimer::singleShot(kMusicDelayMs, main_.get(), std::move(start));
    };
    settings_ = std::make_unique<SettingsFile>(folders.dataFolder(), *places_, *engineSettings_);
    MainWindowHooks hooks;
    hooks.firstLoad = [this] { settings_->Load_Settings(); };
    hooks.saveSettings = [this] {
        settingsError_ = settings_->Save_Settings() ? QString() : settings_->lastError();
    };
    hooks.showSettings = [this, sounds = folders.soundFolder()] {
        SoundChoices choices(*engine_, sounds);
        // Like the player's other input: the ticks due run first with the old sweep, and the
        // changed one is handed over afresh.
        choices.steer = [this](const std::function<void()>& change) { main_->input(change); };
        FrmSettings::showModal(main_.get(), choices);
    };
    main_->setHooks(std::move(hooks));
    // While a game end waits for another copy's lock on the table, the window repaints and
    // answers its close box; closing it ends the wait (the entry is kept as unsaved). Keys and
    // clicks are dropped meanwhile, so nothing acts on the game in between.
    records_.table().setPause([this](int ms) {
        InputBlocker blocker;
        QTimer pause;
        pause.setSingleShot(true);
        pause.start(ms);
        // Events one by one rather than a nested exec(), which a quit of the program would end
        // at once for every later wait.
        while (pause.isActive() && !main_->isClosing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return !main_->isClosing();
    });
}

Application::~Application() {
    main_->game().unlisten(bridge_.get());
}

void Application::start() {
    // For measurements (tools/measure-window.sh): the first game falls at the speed of a level.
    const int level = std::clamp(qEnvironmentVariableIntValue("TALOMIR_START_LEVEL"), 0, 10);
    main_->game().setSpeed(static_cast<Integer>(level * Levels::kSpeedStep));
    main_->Form_Load();
    main_->show();
    main_->focusWell();
    // The audio libraries load off the window's thread once the window is up, so that neither
    // the window's start nor the first sound waits for them; the music is decoded there too.
    if (sdl_ && (engine_->EnableSoundControl() || engine_->EnableLoop()))
        QTimer::singleShot(kPrepareAudioDelayMs, main_.get(), [this] {
            sdl_->prepare(GameFolders::current().playable(engine_->musicPath()));
        });
}

QString Application::closingReport() const {
    const HallOfFame& table = const_cast<Application*>(this)->table();
    QStringList parts;
    std::vector<PendingEntry> kept, lost;
    for (const PendingEntry& e : table.unsaved()) (e.kept ? kept : lost).push_back(e);
    if (!kept.empty() || !lost.empty()) {
        QString text =
            QStringLiteral("Не удалось записать в таблицу рекордов: %1.\nФайл: %2\nПричина: %3.")
                .arg(entryList(table.unsaved()), table.path(), table.lastError());
        if (!kept.empty())
            text += QStringLiteral("\nСохранено до следующей игры в %1: %2.")
                        .arg(journal_->path(), entryList(kept));
        if (!lost.empty())
            text += QStringLiteral("\nНе сохранено нигде%1: %2.")
                        .arg(journal_ && !journal_->lastError().isEmpty()
                                 ? QStringLiteral(" (%1: %2)")
                                       .arg(journal_->path(), journal_->lastError())
                                 : QString(),
                             entryList(lost));
        parts << text;
    }
    if (!table.displaced().empty())
        parts << QStringLiteral(
                     "Не вошли в таблицу рекордов, пока вводилось имя, другие игроки "
                     "заняли все места выше: %1.")
                     .arg(entryList(table.displaced()));
    if (!settingsError_.isEmpty())
        parts << QStringLiteral("Настройки не сохранены.\nФайл: %1\nПричина: %2.")
                     .arg(settings_->path(), settingsError_);
    return parts.join(QStringLiteral("\n\n"));
}

void Application::finish() {
    if (finished_) return;
    finished_ = true;
    table().retryUnsaved();
    const QString text = closingReport();
    if (text.isEmpty()) return;
    if (report)
        report(text);
    else
        QMessageBox::warning(nullptr, QStringLiteral("Talomir XII Vostrun"), text);
}

}  // namespace talomir::ui
