#pragma once
// The three side windows: the hall-of-fame table, the statistics log and the preview.
#include <QListWidget>
#include <QWidget>

#include "ui/toolkit/surface.h"

namespace talomir::ui {

// A fixed-size window beside the main window that hands the keyboard focus straight back to the
// main window, and its keys too where the window system keeps the focus on it.
class SideWindow : public QWidget {
    Q_OBJECT

public:
    SideWindow(QWidget* mainWindow, const QString& caption, int clientWidthTwips,
               int clientHeightTwips);
    // The user's close request hides the window (keeping its content); only the program's own
    // unload really closes it.
    void setCloseGuard(bool guard) { closeGuard_ = guard; }

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void giveFocusBack();
    void forwardKey(QKeyEvent* event);
    void guardFocus(QWidget* content);

private:
    QWidget* main_;
    bool closeGuard_ = true;
};

class FrmTalomiFathers : public SideWindow {
    Q_OBJECT

public:
    explicit FrmTalomiFathers(QWidget* mainWindow);
    QListWidget* lstTable;
};

class FrmStatistic : public SideWindow {
    Q_OBJECT

public:
    explicit FrmStatistic(QWidget* mainWindow);
    QListWidget* lstStatistic;
};

class FrmFuture : public SideWindow {
    Q_OBJECT

public:
    explicit FrmFuture(QWidget* mainWindow);
    vb::PictureBox* picFuture;
};

}  // namespace talomir::ui
