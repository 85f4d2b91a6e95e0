#pragma once
// What the rules ask of their surroundings: the hall-of-fame table, the music's sweep settings
// and the two questions of a game's end.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "rules/vbtypes.h"

namespace talomir {

// The hall-of-fame table as the game sees it.
class Records {
public:
    virtual ~Records() = default;
    virtual void Load_Records() = 0;
    virtual QStringList Fill_Table_List() const = 0;
    // askName shows the name dialog; it returns false when the player cancelled.
    virtual void Add_Record(Long FinalScore, const std::function<bool(QString&)>& askName) = 0;
    virtual void Save_Records() = 0;
    virtual void Clear_Records() = 0;
    virtual int count() const = 0;
    // The entries' full scores, best first.
    virtual const std::vector<double>& scores() const = 0;
};

// A table that touches no file and keeps nothing: every score has a place (the name is asked)
// and is forgotten.
class NoRecords : public Records {
public:
    void Load_Records() override {}
    QStringList Fill_Table_List() const override { return {}; }
    void Add_Record(Long, const std::function<bool(QString&)>& askName) override {
        QString name;
        askName(name);
    }
    void Save_Records() override {}
    void Clear_Records() override {}
    int count() const override { return 0; }
    const std::vector<double>& scores() const override { return none_; }

private:
    std::vector<double> none_;
};

// The music's sweep as the sound settings have it: whether the music plays (its pan then sweeps
// with the fall ticks) and the sweep's step per tick. Read at every tick.
class SweepSettings {
public:
    virtual ~SweepSettings() = default;
    virtual bool musicOn() const = 0;
    virtual Integer sweepStep() const = 0;
};

// The dialogs of a game's end.
class GameQuestions {
public:
    virtual ~GameQuestions() = default;
    // The name dialog; false when it was closed without confirming.
    virtual bool askPlayerName(QString& /*name*/) { return false; }
    // "Начать новую игру ?"; true for a new game.
    virtual bool askNewGame() { return false; }
};

}  // namespace talomir
