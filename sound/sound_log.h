#pragma once
// Where the sound reports what went wrong: QT_LOGGING_RULES="talomir.sound=true" shows it all.
#include <QLoggingCategory>

namespace talomir {

// Sound files that cannot be read or played (warnings); no audio library or output, as on a
// machine without a sound card, only when asked for (information).
Q_DECLARE_LOGGING_CATEGORY(lcSound)

}  // namespace talomir
