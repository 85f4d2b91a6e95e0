#pragma once
// The windows as the settings file sees them, without windows.
#include "persistence/settingsfile.h"

namespace talomir::testing {

struct FakePlaces : WindowPlaces {
    QPointF main{1500, 1200};
    bool visible[3] = {false, false, false};
    QPointF side[3];
    QPointF shownAt[3];  // where each window was when it was shown
    QPointF mainPosition() const override { return main; }
    void setMainPosition(QPointF p) override { main = p; }
    bool sideVisible(SideWindow w) const override { return visible[int(w)]; }
    void setSideVisible(SideWindow w, bool v) override {
        if ((visible[int(w)] = v)) shownAt[int(w)] = side[int(w)];
    }
    QPointF sidePosition(SideWindow w) const override { return side[int(w)]; }
    void setSidePosition(SideWindow w, QPointF p) override { side[int(w)] = p; }
};

}  // namespace talomir::testing
