#include "game/random.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace talomir {

int SystemClock::seconds() const {
    return QTime::currentTime().second();
}

QString SystemClock::shortDate() const {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

}  // namespace talomir
