#include "persistence/logging.h"

namespace talomir {

Q_LOGGING_CATEGORY(lcFiles, "talomir.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScores, "talomir.scores", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "talomir.settings", QtWarningMsg)

}  // namespace talomir
