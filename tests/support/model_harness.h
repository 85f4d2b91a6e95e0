#pragma once
// Doubles for driving the rules headless: fixed figures, a listener that records what the game
// tells, a hall of fame and dialogs that only record, and one rig that wires them together with
// the presenter that shows it all.
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "presentation/presenter.h"
#include "rules/game.h"

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
    std::deque<FigureRec> figures;
    std::optional<FigureRec> repeat;
};

// Remembers what the game tells, in order; where the figure stood when it was to be shown.
class Recorder : public GameEvents {
public:
    explicit Recorder(const Game& g) : game_(g) {}
    void figureShown() override {
        const Playfield& f = game_.field();
        events << QStringLiteral("figureShown %1,%2").arg(f.figX()).arg(f.figY());
    }
    void wellChanged() override { events << QStringLiteral("wellChanged"); }
    void nextFigureShown(FigureKind, Long) override { events << QStringLiteral("nextShown"); }
    void queueShown() override { events << QStringLiteral("queueShown"); }
    void gameDealt() override { events << QStringLiteral("gameDealt"); }
    void soundPlayed(SoundEvent e, int variant) override {
        events << QStringLiteral("sound:%1.%2").arg(int(e)).arg(variant);
    }
    void musicPan(Integer pan) override { pans.push_back(pan); }
    void logCleared() override { events << QStringLiteral("logCleared"); }
    void logSelected(int i) override { events << QStringLiteral("logSelected:%1").arg(i); }
    void tableLoaded(const QStringList&) override { events << QStringLiteral("tableLoaded"); }
    void placeGained(int i) override { events << QStringLiteral("placeGained:%1").arg(i); }
    void pauseChanged(bool on, bool esc) override {
        events << QStringLiteral("paused:%1%2").arg(on).arg(esc);
    }

    // The events that start with prefix, without it.
    QStringList filtered(const QString& prefix) const {
        QStringList r;
        for (const QString& e : events)
            if (e.startsWith(prefix)) r << e.mid(prefix.size());
        return r;
    }
    void clear() { events.clear(), pans.clear(); }

    QStringList events;
    std::vector<Integer> pans;

private:
    const Game& game_;
};

// The hall of fame (the entries' scores, best first) and the dialogs, answering as told and
// recording every call and the game's start and end in one list; `duringDialog` runs while a
// dialog would be open.
class FakeDesk : public Records, public GameQuestions, public GameEvents {
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

    bool askPlayerName(QString& name) override {
        name = nameToGive;
        return dialog("askPlayerName"), confirmName;
    }
    bool askNewGame() override { return dialog("askNewGame"), newGame; }
    void dialog(const char* which) {
        calls << which;
        if (duringDialog) duringDialog();
    }
    void firstGameStarting() override { calls << QStringLiteral("firstGameStarting"); }
    void gameStarted() override { calls << QStringLiteral("gameStarted"); }
    void gameEnding() override { calls << QStringLiteral("gameEnding"); }
    void playerLeaves() override { calls << QStringLiteral("playerLeaves"); }

    std::vector<double> table;
    bool placed = true;  // the score earns a place, so the name is asked
    bool newGame = false;
    bool confirmName = true;
    QString nameToGive = QStringLiteral("Vera");
    std::function<void()> duringDialog;
    mutable QStringList calls;
};

// The music's sweep as a test sets it.
struct FakeSweep : SweepSettings {
    bool on = false;
    Integer step = 0;
    bool musicOn() const override { return on; }
    Integer sweepStep() const override { return step; }
};

// One game with scripted randomness (0 once the script is used up), the clock at second 0, bars
// dealt unless a test lists other figures, and the presenter showing it.
struct Rig {
    Rig() {
        game.setDealer(&dealer);
        game.setRecords(&desk);
        game.setQuestions(&desk);
        game.setSweepSettings(&sweep);
        for (GameEvents* l : std::initializer_list<GameEvents*>{&presenter, &rec, &desk})
            game.listen(l);
        dealer.repeat = classic(masks::kBar);
    }

    // Starts the game and forgets what the start told.
    void start() {
        game.Form_Load();
        rec.clear();
        desk.calls.clear();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) game.tick();
    }
    const ControlState& operator[](Ctl c) const { return presenter.state()[c]; }
    // Moves the figure's box to column x (as far as the keys take it).
    void moveTo(int x) {
        for (int i = 0; i < 20 && game.field().figX() < x; ++i) game.cmdLeftRight_MouseDown(2);
        for (int i = 0; i < 20 && game.field().figX() > x; ++i) game.cmdLeftRight_MouseDown(0);
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
    FakeSweep sweep;
    Game game{rng, clock};
    Presenter presenter{rng};
    Recorder rec{game};
};

}  // namespace talomir::testing
