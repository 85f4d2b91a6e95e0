#include "rules/levels.h"

namespace talomir {

void Levels::startGame() {
    Level = 0;
    display_.setCaption(Ctl::lblRemain, QString());
    display_.setForeColor(Ctl::lblLevel, QBColor(1));
    display_.setCaption(Ctl::lblLevel, QStringLiteral("Level # 0"));
}

void Levels::rowRemoved(Integer& Speed, Long shownScore) {
    LinesInLevel = addClamped16(LinesInLevel, 1);
    QString remain;
    for (int i = 1; i <= 9 - LinesInLevel; ++i) remain += QChar(u'0' + i);
    if (9 - LinesInLevel == 0) remain = QStringLiteral("123456789");
    display_.setCaption(Ctl::lblRemain, remain);

    if (Speed < kMaxSpeed && LinesInLevel > 8) {
        Speed = addClamped16(Speed, kSpeedStep);
        LinesInLevel = 0;
        Level = addClamped16(Level, 1);
        const QString caption = QStringLiteral("Level # ") + CStr(static_cast<long>(Level));
        display_.setCaption(Ctl::lblLevel, caption);
        log_.append(QStringLiteral("...") + caption);
        log_.append(QStringLiteral("...Score : ") + CStr(static_cast<long>(shownScore)));
        display_.setTimer(Tmr::tmrLevel, true);
    }
}

void Levels::tmrLevel_Timer() {
    LevelBlinks = addClamped16(LevelBlinks, 1);
    display_.setForeColor(Ctl::lblLevel, QBColor(CInt(rng_.Rnd() * 15.0f)));
    if (LevelBlinks > 10) {
        display_.setTimer(Tmr::tmrLevel, false);
        display_.setForeColor(Ctl::lblLevel, QBColor(Level + 1));
        LevelBlinks = 0;
    }
}

}  // namespace talomir
