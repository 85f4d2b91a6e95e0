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

double amplitudeOf(int volume) {
    return std::pow(10.0, clampVolume(volume) / 2000.0);
}

double sideOf(int pan) {
    return std::pow(10.0, -std::abs(clampPan(pan)) / 2000.0);
}

StereoGain gainFor(int volume, int pan) {
    return gainFor(amplitudeOf(volume), pan, sideOf(pan));
}

StereoGain gainFor(double amplitude, int pan, double side) {
    const int p = clampPan(pan);
    StereoGain g;
    g.left = static_cast<float>(p > 0 ? amplitude * side : amplitude);
    g.right = static_cast<float>(p < 0 ? amplitude * side : amplitude);
    return g;
}

}  // namespace talomir
