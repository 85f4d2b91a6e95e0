#pragma once
// What the game asks of its surroundings beyond drawing: the hall-of-fame table, the dialogs at
// the end of a game and the first-load work of the program.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "game/vbtypes.h"

namespace talomir {

// The hall-of-fame table as the game sees it. The default is an empty table that stores nothing.
class Records {
public:
    virtual ~Records() = default;
    virtual void Load_Records() {}
    virtual QStringList Fill_Table_List() const { return {}; }
    // askName shows the name dialog; it returns false when the player cancelled.
    virtual void Add_Record(Long /*FinalScore*/, const std::function<bool(QString&)>& /*askName*/) {}
    virtual void Save_Records() {}
    virtual void Clear_Records() {}
    virtual int count() const { return 0; }
    // The entries' full scores, best first.
    virtual const std::vector<double>& scores() const { return empty_; }

private:
    std::vector<double> empty_;
};

class GameHost {
public:
    virtual ~GameHost() = default;
    // Only at the first load of the process: create the clips and read the settings.
    virtual void firstLoad() {}
    // The sound settings and help windows close before the end-of-game dialogs.
    virtual void unloadSettingsAndHelp() {}
    // The name dialog; false when it was closed without confirming.
    virtual bool askPlayerName(QString& /*name*/) { return false; }
    // "Начать новую игру ?"; true for a new game.
    virtual bool askNewGame() { return false; }
    virtual void endProgram() {}
    // Sets the side-window buttons to the windows' visibility.
    virtual void syncSideWindowButtons() {}
};

}  // namespace talomir
