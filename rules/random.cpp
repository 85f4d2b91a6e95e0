#include "rules/random.h"

#include <QLocale>
#include <QTime>
#include <clocale>
#include <ctime>

namespace talomir {

int SystemClock::seconds() const {
    return QTime::currentTime().second();
}

QString shortDateText(const QDate& date) {
    // Not QLocale: for the C locale it writes its own style ("7 Dec 2026"), and elsewhere the
    // formats of its own locale data rather than the system's.
    locale_t dates = newlocale(LC_TIME_MASK, "", locale_t{});
    if (!dates) dates = newlocale(LC_TIME_MASK, "C", locale_t{});
    if (!dates) return QLocale::system().toString(date, QLocale::ShortFormat);
    std::tm day{};
    day.tm_year = date.year() - 1900;
    day.tm_mon = date.month() - 1;
    day.tm_mday = date.day();
    day.tm_wday = date.dayOfWeek() % 7;
    day.tm_yday = date.dayOfYear() - 1;
    char text[128];
    const std::size_t length = strftime_l(text, sizeof text, "%x", &day, dates);
    freelocale(dates);
    return QString::fromLocal8Bit(text, qsizetype(length));
}

QString SystemClock::shortDate() const {
    return shortDateText(QDate::currentDate());
}

}  // namespace talomir
