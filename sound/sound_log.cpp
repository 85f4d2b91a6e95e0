#include "sound/sound_log.h"

namespace talomir {

Q_LOGGING_CATEGORY(lcSound, "talomir.sound", QtWarningMsg)

}  // namespace talomir
