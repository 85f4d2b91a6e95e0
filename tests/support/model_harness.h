#pragma once
// Doubles for driving the game model headless: fixed figures, an observer that records what the
// views hear, a hall of fame and dialogs that only record, and one rig that wires them together.
#include <QStringList>
#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "game/game.h"
#include "sound/sound_engine.h"

namespace talomir::testing {

namespace masks {
inline constexpr const char* kBar = "0000111100000000";  // box column 1, rows 0..3
inline constexpr const char* kEll = "0000111010000000";  // (1,0) (1,1) (1,2) (2,0)
inline constexpr const char* kDot = "1000000000000000";  // box (0,0) only
inline constexpr const char* kSuper = "1001111110011111";
}  // namespace masks

inline Mask mask(const char* s) {
    return maskFromString(QString::fromLatin1(s));
}

inline CellArray cellsOf(const char* s) {
    CellArray a{};
    Integer n = 0;
    Initialize_Array_For_Brikko(a, mask(s), n);
    return a;
}

inline FigureRec classic(const char* s) {
    FigureRec r;
    r.Mask = mask(s);
    return r;
}

inline FigureRec bonusFigure(const char* s, Long bonus) {
    FigureRec r = classic(s);
    r.Bonus = bonus;
    r.IsTalomir = -1;
    return r;
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
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    void Draw_Well() override { events << QStringLiteral("Draw_Well"); }
    void Draw_Grid() override { events << QStringLiteral("Draw_Grid"); }
    // Where the figure was when the views were told to draw it.
    void Draw_Figure() override {
        events << (field ? QStringLiteral("Draw_Figure %1,%2").arg(field->FigX).arg(field->FigY)
                         : QStringLiteral("Draw_Figure"));
    }
    void Draw_Next_Figure() override { events << QStringLiteral("Draw_Next_Figure"); }
    void Draw_Future() override { events << QStringLiteral("Draw_Future"); }
    void playClip(Clip c) override { events << QStringLiteral("clip:") + clipName(c); }
    void setBkgPan(Integer pan) override { pans.push_back(pan); }
    void logCleared() override { events << QStringLiteral("logCleared"); }
    void logAppended(const QString& line) override { events << QStringLiteral("log:") + line; }
    void logSelected(int i) override {
        events << QStringLiteral("logSelected:%1").arg(i);
        ++landings;
    }
    void tableFilled(const QStringList&) override { events << QStringLiteral("tableFilled"); }
    void checkClicked(Ctl c) override { events << QStringLiteral("checkClicked:%1").arg(int(c)); }
    void tableSelected(int i) override { events << QStringLiteral("tableSelected:%1").arg(i); }
    void focusWell() override { events << QStringLiteral("focusWell"); }
    void setMainWindowState(int s) override { events << QStringLiteral("windowState:%1").arg(s); }

    QStringList clips() const { return filtered(QStringLiteral("clip:")); }
    QStringList filtered(const QString& prefix) const {
        QStringList r;
        for (const QString& e : events)
            if (e.startsWith(prefix)) r << e.mid(prefix.size());
        return r;
    }
    void clear() {
        events.clear();
        pans.clear();
    }

    QStringList events;
    std::vector<Integer> pans;
    int landings = 0;  // kept by clear()
    const Playfield* field = nullptr;

private:
    Display& d_;
};

// A hall of fame held in memory: the entries' scores, best first.
class FakeRecords : public Records {
public:
    void Load_Records() override { calls << QStringLiteral("Load_Records"); }
    QStringList Fill_Table_List() const override {
        calls << QStringLiteral("Fill_Table_List");
        return {};
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

    std::vector<double> table;
    bool placed = true;  // the score earns a place, so the name is asked
    mutable QStringList calls;
};

// Answers the dialogs as told and records them; `duringDialog` runs while one would be open.
class FakeHost : public GameHost {
public:
    void firstLoad() override { calls << QStringLiteral("firstLoad"); }
    void unloadSettingsAndHelp() override { calls << QStringLiteral("unloadSettingsAndHelp"); }
    bool askPlayerName(QString& name) override {
        calls << QStringLiteral("askPlayerName");
        if (duringDialog) duringDialog();
        name = nameToGive;
        return confirmName;
    }
    bool askNewGame() override {
        calls << QStringLiteral("askNewGame");
        if (duringDialog) duringDialog();
        return newGame;
    }
    void endProgram() override { calls << QStringLiteral("endProgram"); }
    void syncSideWindowButtons() override { calls << QStringLiteral("syncSideWindowButtons"); }

    QStringList calls;
    bool newGame = false;
    bool confirmName = true;
    QString nameToGive = QStringLiteral("Vera");
    std::function<void()> duringDialog;
};

// One game with scripted randomness (0 once the script is used up), the clock at second 0 and
// bars dealt unless a test lists other figures.
struct Rig {
    Rig() {
        game.setDealer(&dealer);
        game.setRecords(&records);
        game.setHost(&host);
        dealer.repeat = classic(masks::kBar);
        rec.field = &game.field;
    }

    // Starts the game and forgets what the start announced.
    void start() {
        game.Form_Load();
        rec.clear();
        host.calls.clear();
        records.calls.clear();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) game.tick();
    }
    // Fills the play columns of a row but the listed ones.
    void fillRow(int row, std::initializer_list<int> gaps = {}) {
        for (int c = 4; c <= 18; ++c)
            game.field.Well[c][row] = std::count(gaps.begin(), gaps.end(), c) == 0;
    }
    void place(const char* m, int x, int y) {
        game.field.Fig = cellsOf(m);
        game.field.FigX = static_cast<Byte>(x);
        game.field.FigY = static_cast<Byte>(y);
    }
    // Drops the current figure and ticks until it has landed or the game is ending.
    void dropAndLand() {
        const int before = rec.landings;
        game.Form_KeyDown(vk::Down);
        for (int i = 0; i < 40 && rec.landings == before && !game.isFinishing(); ++i) game.tick();
    }

    ScriptedRandom rng;
    FixedClock clock{0};
    ListDealer dealer;
    FakeRecords records;
    FakeHost host;
    Game game{rng, clock};
    Recorder rec{game.display};
};

}  // namespace talomir::testing
