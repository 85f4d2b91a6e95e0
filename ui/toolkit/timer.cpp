#include "ui/toolkit/timer.h"

namespace vb {

Timer::Timer(QObject* parent) : Timer(0, true, parent) {}

Timer::Timer(int intervalMs, bool enabled, QObject* parent)
    : QObject(parent), m_interval(intervalMs), m_enabled(enabled) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Timer::Tick);
    apply();
}

void Timer::setInterval(int ms) {
    m_interval = ms;
    if (m_timer.isActive()) m_timer.stop();
    apply();
}

void Timer::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    apply();
}

void Timer::apply() {
    // A QTimer with interval 0 would fire on every pass of the event loop.
    if (!m_enabled || m_interval <= 0) {
        m_timer.stop();
        return;
    }
    m_timer.setInterval(m_interval);
    if (!m_timer.isActive()) m_timer.start();
}

}  // namespace vb
