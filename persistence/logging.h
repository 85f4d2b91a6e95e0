#pragma once
// Where the game's files report what went wrong: QT_LOGGING_RULES="talomir.*=true" shows it all.
#include <QLoggingCategory>

namespace talomir {

// Reading and replacing files, and the locks of shared ones.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
// The hall of fame: entries stored late or not at all, tables rebuilt.
Q_DECLARE_LOGGING_CATEGORY(lcScores)
// The settings file: not read, not saved, read only in part.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

}  // namespace talomir
