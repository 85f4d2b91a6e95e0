#include "rules/levels.h"

namespace talomir {

void Levels::startGame() {
    Level = 0;
    LinesInLevel = 0;
}

void Levels::rowRemoved(Integer& Speed, Long shownScore) {
    LinesInLevel = addClamped16(LinesInLevel, 1);
    const int left = kRowsPerLevel - LinesInLevel;
    events_.tell([left](GameEvents& e) { e.rowRemoved(left); });
    if (Speed < kMaxSpeed && LinesInLevel > kRowsPerLevel - 1) {
        Speed = addClamped16(Speed, kSpeedStep);
        LinesInLevel = 0;
        Level = addClamped16(Level, 1);
        const int level = Level;
        events_.tell([level](GameEvents& e) { e.levelRaised(level); });
        log_.append(QStringLiteral("...Level # ") + CStr(static_cast<long>(Level)));
        log_.append(QStringLiteral("...Score : ") + CStr(static_cast<long>(shownScore)));
    }
}

}  // namespace talomir
