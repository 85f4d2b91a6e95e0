#pragma once
// What the game asks of its surroundings beyond drawing: the hall-of-fame table, the dialogs at
// the end of a game and the first-load work of the program.
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
