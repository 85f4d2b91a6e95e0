#pragma once
// Live ranking: where the current score would stand in the hall of fame during play.
#include <vector>

#include "presentation/display.h"
#include "rules/statlog.h"

namespace talomir {

class LiveRanking {
public:
    static constexpr Colour kVictoryColour = 0xFFFF00;  // QBColor(11), light cyan

    LiveRanking(Display& display, StatisticsLog& log) : display_(display), log_(log) {}

    void captureMenuColour();         // the menu buttons' normal colour, at every game start
    void clearCaptions();             // empties the place captions at every game start
    void startBelow(int tableCount);  // the player ranks after every entry
    // Compares the shown score with the entries' full scores, best first.
    void Update_Position(Long score, const std::vector<double>& scores);
    void tmrMigMenuControls_Timer();

    bool isFirst() const { return Place == 0; }

    Integer Place = 0;
    Integer PlacesGained{};
    Integer MenuBlinkStep = 0;
    Colour MenuBackColor = 0x0000C0;

private:
    Display& display_;
    StatisticsLog& log_;
};

}  // namespace talomir
