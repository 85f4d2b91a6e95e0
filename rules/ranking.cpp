#include "rules/ranking.h"

#include <algorithm>

namespace talomir {

void LiveRanking::startBelow(int tableCount) {
    Place = static_cast<Integer>(std::min(tableCount, 32767));
    const int place = Place;
    events_.tell([place](GameEvents& e) { e.rankingStarted(place); });
}

void LiveRanking::Update_Position(Long score, const std::vector<double>& scores) {
    if (Place <= 0) return;
    // A table shorter than Place (it cannot change during a game) is treated as ending there.
    if (static_cast<std::size_t>(Place) > scores.size())
        Place = static_cast<Integer>(scores.size());
    while (Place > 0 && score > scores[static_cast<std::size_t>(Place - 1)]) {
        --Place;
        ++PlacesGained;
    }
    if (Place > 0) {
        const double gap = std::max(0.0, scores[static_cast<std::size_t>(Place - 1)] - score);
        events_.tell([gap](GameEvents& e) { e.nextPlaceGap(gap); });
    }
    if (PlacesGained == 0) return;
    PlacesGained = 0;
    const int place = Place;
    events_.tell([place](GameEvents& e) { e.placeGained(place); });
    log_.append(Place == 0 ? QStringLiteral("...VICTORY !!!")
                           : QStringLiteral("...Place : ") + CStr(static_cast<long>(Place + 1)));
}

}  // namespace talomir
