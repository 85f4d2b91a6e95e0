#pragma once
// Live ranking: where the current score would stand in the hall of fame during play.
#include <vector>

#include "rules/statlog.h"

namespace talomir {

class LiveRanking {
public:
    LiveRanking(const GameEventList& events, StatisticsLog& log) : events_(events), log_(log) {}

    // The player ranks after every entry.
    void startBelow(int tableCount);
    // Compares the shown score with the entries' full scores, best first.
    void Update_Position(Long score, const std::vector<double>& scores);

    Integer place() const { return Place; }  // 0 is the first place
    bool isFirst() const { return Place == 0; }

private:
    const GameEventList& events_;
    StatisticsLog& log_;
    Integer Place = 0;
    Integer PlacesGained{};
};

}  // namespace talomir
