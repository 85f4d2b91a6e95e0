#pragma once
// The program as a whole: the model's random generator and clock, the hall of fame, the sound
// engine and the settings file, wired to the main window.
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "persistence/gamefolders.h"
#include "persistence/records.h"
#include "persistence/settingsfile.h"
#include "rules/random.h"
#include "sound/sdl_audio_backend.h"
#include "sound/sound_engine.h"
#include "sound/sound_settings.h"
#include "ui/frmmain.h"

namespace talomir::ui {

// The settings file's view of the windows: positions in twips of the outer frames, and the side
// windows shown through their check buttons.
class MainWindowPlaces : public WindowPlaces {
public:
    explicit MainWindowPlaces(FrmMain& main) : main_(main) {}
    // False where the window system places the windows itself (Wayland): what they report there
    // is not where they are, so the places read from the settings are the ones given back, and a
    // side window shown without a place read for it counts as hidden.
    bool placesKnown = true;
    QPointF mainPosition() const override;
    void setMainPosition(QPointF twips) override;
    bool sideVisible(::talomir::SideWindow w) const override;
    void setSideVisible(::talomir::SideWindow w, bool visible) override;
    QPointF sidePosition(::talomir::SideWindow w) const override;
    void setSidePosition(::talomir::SideWindow w, QPointF twips) override;

    // A saved position that lies on no screen (a monitor removed) comes back onto the primary
    // screen, so the window is never out of reach.
    static QPoint reachable(QPoint topLeftPixels, QSize frameSize);

private:
    QWidget* side(::talomir::SideWindow w) const;
    FrmMain& main_;
    // As read from the settings.
    std::optional<QPointF> readMain_;
    struct ReadSide {
        bool visible = false;
        std::optional<QPointF> place;
    };
    std::array<ReadSide, 3> readSides_;
};

// Sounds the game's sound events and sweeps its music.
class SoundBridge : public GameEvents {
public:
    explicit SoundBridge(SoundEngine& engine) : engine_(engine) {}
    void soundPlayed(SoundEvent event, int variant) override { engine_.play({event, variant}); }
    void musicPan(Integer pan) override { engine_.SetBkgPan(pan); }
    void musicPansAhead(const std::vector<Integer>& pans, TickPace pace) override {
        const std::vector<int> values(pans.begin(), pans.end());
        engine_.music().QueueBkgPans(values, pace.first, pace.period);
    }
    void musicPansWithdrawn(int count) override { engine_.music().UnqueueBkgPans(count); }

private:
    SoundEngine& engine_;
};

class Application {
public:
    // Makes `folders` the folders of this run. journalFolder: the player's own data folder, which
    // keeps the journal of hall-of-fame entries not yet stored (none when empty).
    explicit Application(const GameFolders& folders, AudioBackend* audio = nullptr,
                         const QString& journalFolder = QString());
    ~Application();

    FrmMain& main() { return *main_; }
    SoundEngine& sound() { return *engine_; }
    SettingsFile& settings() { return *settings_; }
    MainWindowPlaces& places() { return *places_; }
    HallOfFame& table() { return records_.table(); }
    void start();  // the first game, the window shown

    // The end of the run, once the window has closed: one last try to store the entries still
    // unsaved, then, once, a message to the player about every entry or setting that could not be
    // stored, with the file and the reason. The message goes to report (a message box unless
    // set).
    void finish();
    std::function<void(const QString& text)> report;
    // The message finish() would give now; empty when everything was stored.
    QString closingReport() const;

private:
    DefaultRandom rng_;
    SystemClock clock_;
    HallOfFameRecords records_;
    std::unique_ptr<RecordJournal> journal_;
    QString settingsError_;  // why the settings could not be saved at close
    bool finished_ = false;
    std::unique_ptr<SdlAudioBackend> sdl_;
    std::unique_ptr<SoundEngine> engine_;
    std::unique_ptr<FrmMain> main_;
    std::unique_ptr<SoundBridge> bridge_;
    std::unique_ptr<MainWindowPlaces> places_;
    std::unique_ptr<EngineSettings> engineSettings_;
    std::unique_ptr<SettingsFile> settings_;
};

}  // namespace talomir::ui
