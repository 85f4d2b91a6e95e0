#include "rules/statlog.h"

namespace talomir {

void StatisticsLog::clear() {
    lines_.clear();
    listIndex_ = -1;
    events_.tell([](GameEvents& e) { e.logCleared(); });
}

void StatisticsLog::append(const QString& line) {
    lines_.append(line);
    events_.tell([&](GameEvents& e) { e.logAppended(line); });
}

void StatisticsLog::selectLast() {
    // The list addresses its lines with a 16-bit index.
    listIndex_ = static_cast<Integer>(std::min<qsizetype>(lines_.size() - 1, 32767));
    const int index = listIndex_;
    events_.tell([index](GameEvents& e) { e.logSelected(index); });
}

QString landingLine(int figureCount, Long points, int rows) {
    QString s = CStr(static_cast<long>(figureCount)) + QStringLiteral(". +") +
                CStr(static_cast<long>(points));
    if (rows > 0)
        s += QStringLiteral(" -> ") + CStr(static_cast<long>(rows)) + QStringLiteral(" lines");
    return s;
}

}  // namespace talomir
