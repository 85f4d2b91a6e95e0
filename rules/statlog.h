#pragma once
// The statistics log: how the score of the current game came about, one line per event.
#include <QStringList>

#include "rules/events.h"

namespace talomir {

class StatisticsLog {
public:
    explicit StatisticsLog(const GameEventList& events) : events_(events) {}

    void clear();
    void append(const QString& line);
    void selectLast();  // selects the newest line and scrolls it into view

    const QStringList& lines() const { return lines_; }
    int ListIndex() const { return listIndex_; }

private:
    const GameEventList& events_;
    QStringList lines_;
    int listIndex_ = -1;
};

// The landing line: "12. +317 -> 2 lines" or "13. +193".
QString landingLine(int figureCount, Long points, int rows);

}  // namespace talomir
