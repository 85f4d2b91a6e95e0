#pragma once
// Doubles for driving the game model headless: fixed figures, an observer that records what the
// views hear, a hall of fame and dialogs that only record, and one rig that wires them together.
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "rules/game.h"
#include "sound/sound_engine.h"

namespace talomir::testing {

namespace masks {
inline constexpr const char* kBar = "0000111100000000";  // box column 1, rows 0..3
inline constexpr const char* kEll = "0000111010000000";  // (1,0) (1,1) (1,2) (2,0)
inline constexpr const char* kDot = "1000000000000000";  // box (0,0) only
inline constexpr const char* kSuper = "1001111110011111";
}  // namespace masks

inline CellArray cellsOf(const char* s) {
    CellArray a{};
    Integer n = 0;
    Initialize_Array_For_Brikko(a, maskFromString(QString::fromLatin1(s)), n);
    return a;
}

// A classic figure, or a bonus figure worth `bonus` tenths.
inline FigureRec bonusFigure(const char* s, Long bonus) {
    return {maskFromString(QString::fromLatin1(s)), bonus, Integer(bonus ? -1 : 0)};
}
inline FigureRec classic(const char* s) {
    return bonusFigure(s, 0);
}

// Deals the listed figures, then `repeat` (when set) so the chooser is never asked.
class ListDealer : public FigureDealer {
public:
    std::optional<FigureRec> deal() override {
        if (figures.empty()) return repeat;
        FigureRec r = figures.front();
        figures.pop_front();
        return r;
    }
    void add(const FigureRec& r) { figures.push_back(r); }

    std::deque<FigureRec> figures;
    std::optional<FigureRec> repeat;
};

// Remembers what the views hear, in order.
class Recorder : public GameObserver {
public:
    explicit Recorder(Display& d) : d_(d) { d_.addObserver(this); }
    ~Recorder() override { d_.removeObserver(this); }

    void Draw_Well() override { events << QStringLiteral("Draw_Well"); }
    void Draw_Grid() override { events << QStringLiteral("Draw_Grid"); }
    // Where the figure was when the views were told to draw it.
    void Draw_Figure() override {
        events << QStringLiteral("Draw_Figure %1,%2")
                      .arg(field ? field->FigX : -1)
                      .arg(field ? field->FigY : -1);
    }
    void Draw_Next_Figure() override { events << QStringLiteral("Draw_Next_Figure"); }
    void Draw_Future() override { events << QStringLiteral("Draw_Future"); }
    void playClip(Clip c) override { events << QStringLiteral("clip:") + clipName(c); }
    void setBkgPan(Integer pan) override { pans.push_back(pan); }
    void logCleared() override { events << QStringLiteral("logCleared"); }
    void logSelected(int i) override { events << QStringLiteral("logSelected:%1").arg(i); }
    void tableFilled(const QStringList&) override { events << QStringLiteral("tableFilled"); }
    void checkClicked(Ctl c) override { events << QStringLiteral("checkClicked:%1").arg(int(c)); }
    void tableSelected(int i) override { events << QStringLiteral("tableSelected:%1").arg(i); }
    void focusWell() override { events << QStringLiteral("focusWell"); }
    void setMainWindowState(int s) override { events << QStringLiteral("windowState:%1").arg(s); }

    // The events that start with prefix, without it.
    QStringList filtered(const QString& prefix) const {
        QStringList r;
        for (const QString& e : events)
            if (e.startsWith(prefix)) r << e.mid(prefix.size());
        return r;
    }
    QStringList clips() const { return filtered(QStringLiteral("clip:")); }
    void clear() { events.clear(), pans.clear(); }

    QStringList events;
    std::vector<Integer> pans;
    const Playfield* field = nullptr;

private:
    Display& d_;
};

// The hall of fame (the entries' scores, best first) and the dialogs, answering as told and
// recording every call in one list; `duringDialog` runs while a dialog would be open.
class FakeDesk : public Records, public GameHost {
public:
    void Load_Records() override { calls << QStringLiteral("Load_Records"); }
    QStringList Fill_Table_List() const override {
        return calls << "Fill_Table_List", QStringList();
    }
    void Add_Record(Long FinalScore, const std::function<bool(QString&)>& askName) override {
        calls << QStringLiteral("Add_Record %1").arg(FinalScore);
        QString name;
        if (placed && askName(name)) calls << QStringLiteral("stored ") + name;
    }
    void Save_Records() override { calls << QStringLiteral("Save_Records"); }
    void Clear_Records() override { calls << QStringLiteral("Clear_Records"); }
    int count() const override { return static_cast<int>(table.size()); }
    const std::vector<double>& scores() const override { return table; }

    void firstLoad() override { calls << QStringLiteral("firstLoad"); }
    void unloadSettingsAndHelp() override { calls << QStringLiteral("unloadSettingsAndHelp"); }
    bool askPlayerName(QString& name) override {
        name = nameToGive;
        return dialog("askPlayerName"), confirmName;
    }
    bool askNewGame() override { return dialog("askNewGame"), newGame; }
    void dialog(const char* which) {
        calls << which;
        if (duringDialog) duringDialog();
    }
    void endProgram() override { calls << QStringLiteral("endProgram"); }
    void syncSideWindowButtons() override { calls << QStringLiteral("syncSideWindowButtons"); }

    std::vector<double> table;
    bool placed = true;  // the score earns a place, so the name is asked
    bool newGame = false;
    bool confirmName = true;
    QString nameToGive = QStringLiteral("Vera");
    std::function<void()> duringDialog;
    mutable QStringList calls;
};

// One game with scripted randomness (0 once the script is used up), the clock at second 0 and
// bars dealt unless a test lists other figures.
struct Rig {
    Rig() {
        game.setDealer(&dealer);
        game.setRecords(&desk);
        game.setHost(&desk);
        dealer.repeat = classic(masks::kBar);
        rec.field = &game.field;
    }

    // Starts the game and forgets what the start announced.
    void start() {
        game.Form_Load();
        rec.clear();
        desk.calls.clear();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) game.tick();
    }
    // Drops the current figure and ticks until it has landed or the game is ending.
    void dropAndLand() {
        const auto landed = [this] { return rec.filtered(QStringLiteral("logSelected:")).size(); };
        const qsizetype before = landed();
        game.Form_KeyDown(vk::Down);
        for (int i = 0; i < 40 && landed() == before && !game.isFinishing(); ++i) game.tick();
    }

    ScriptedRandom rng;
    FixedClock clock{0};
    ListDealer dealer;
    FakeDesk desk;
    Game game{rng, clock};
    Recorder rec{game.display};
};

}  // namespace talomir::testing
