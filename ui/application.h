#pragma once
// The program as a whole: the model's random generator and clock, the hall of fame, the sound
// engine and the settings file, wired to the main window.
#include <memory>

#include "game/random.h"
#include "platform/gamefolders.h"
#include "scoring/records.h"
#include "sound/sdl_audio_backend.h"
#include "sound/settings.h"
#include "sound/sound_engine.h"
#include "ui/frmmain.h"

namespace talomir::ui {

// The settings file's view of the windows: positions in twips of the outer frames, and the side
// windows shown through their check buttons.
class MainWindowPlaces : public WindowPlaces {
public:
    explicit MainWindowPlaces(FrmMain& main) : main_(main) {}
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
};

// Forwards the model's sounds to the engine.
class SoundBridge : public GameObserver {
public:
    explicit SoundBridge(SoundEngine& engine) : engine_(engine) {}
    void playClip(Clip c) override { engine_.play(c); }
    void setBkgPan(Integer pan) override { engine_.SetBkgPan(pan); }
    void bkgPansAhead(const std::vector<Integer>& pans, TickPace pace) override {
        const std::vector<int> values(pans.begin(), pans.end());
        engine_.music().QueueBkgPans(values, pace.first, pace.period);
    }
    void bkgPansWithdrawn(int count) override { engine_.music().UnqueueBkgPans(count); }

private:
    SoundEngine& engine_;
};

class Application {
public:
    // Makes `folders` the folders of this run.
    explicit Application(const GameFolders& folders, AudioBackend* audio = nullptr);
    ~Application();

    FrmMain& main() { return *main_; }
    SoundEngine& sound() { return *engine_; }
    SettingsFile& settings() { return *settings_; }
    void start();  // the first game, the window shown

private:
    DefaultRandom rng_;
    SystemClock clock_;
    HallOfFameRecords records_;
    std::unique_ptr<SdlAudioBackend> sdl_;
    std::unique_ptr<SoundEngine> engine_;
    std::unique_ptr<FrmMain> main_;
    std::unique_ptr<SoundBridge> bridge_;
    std::unique_ptr<MainWindowPlaces> places_;
    std::unique_ptr<SettingsFile> settings_;
};

}  // namespace talomir::ui
