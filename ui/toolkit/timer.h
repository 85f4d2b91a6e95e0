// Timer control: an interval in milliseconds, an Enabled flag and a tick signal.
#pragma once

#include <QObject>
#include <QTimer>

namespace vb {

// Ticks every Interval milliseconds while Enabled. An interval of 0 (or less) gives no ticks
// at all, whatever Enabled says. Changing the interval of a running timer starts the wait
// anew. Ticks are precise (Qt::PreciseTimer); a tick that comes while the program is busy is
// not repeated, so the program counts ticks rather than time.
class Timer : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Interval READ interval WRITE setInterval)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

public:
    explicit Timer(QObject* parent = nullptr);
    Timer(int intervalMs, bool enabled, QObject* parent = nullptr);

    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Whether ticks are coming (enabled with a positive interval).
    bool isRunning() const { return m_timer.isActive(); }

signals:
    // The tick event (the handler control_Timer).
    void Tick();

private:
    void apply();

    QTimer m_timer;
    int m_interval = 0;
    bool m_enabled = true;
};

}  // namespace vb
