#include "sound/audio_backend.h"

#include <algorithm>
#include <cmath>

namespace talomir {

int clampVolume(int volume) {
    return std::clamp(volume, kVolumeMin, kVolumeMax);
}

int clampPan(int pan) {
    return std::clamp(pan, kPanMin, kPanMax);
}

StereoGain gainFor(int volume, int pan) {
    const double amplitude = std::pow(10.0, clampVolume(volume) / 2000.0);
    const int p = clampPan(pan);
    const double side = std::pow(10.0, -std::abs(p) / 2000.0);
    StereoGain g;
    g.left = static_cast<float>(p > 0 ? amplitude * side : amplitude);
    g.right = static_cast<float>(p < 0 ? amplitude * side : amplitude);
    return g;
}

}  // namespace talomir
