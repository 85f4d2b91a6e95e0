#pragma once
// The side windows beside the main window: the hall-of-fame table, the statistics log and the
// preview of the coming figures. One class, one table row each (sidewindows.cpp): a fourth
// window is one row. Each is made hidden on first use, shown and hidden through its check button,
// docked beside the main window by Auto, minimised and restored with it.
#include <QListWidget>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "persistence/settingsfile.h"
#include "presentation/controls.h"
#include "rules/events.h"
#include "rules/statlog.h"
#include "ui/toolkit/surface.h"

namespace talomir::ui {

enum class SideContent { List, Picture };

struct SideRow {
    SideWindow id;
    const char* name;     // the window's name, "frmTalomiFathers"
    const char* caption;  // its title
    int width, height;    // client area, twips
    Ctl button;           // the main window's check button that shows and hides it
    SideContent content;
    const char* contentName;  // "lstTable"
    Colour windowBack, windowText;
    Colour back, fore;  // the content's
    const char* face;   // a list's font, bold
    double points;
    bool keptOnClose;  // the close box hides it; else the window goes, made anew when next used
    int dockColumn;    // Auto's place: first or second column right of the main window ...
    bool dockBottom;   // ... level with its top, or with its bottom
};

// A fixed-size window beside the main window that hands the keyboard focus straight back to the
// main window, and its keys too where the window system keeps the focus on it.
class Side : public QWidget {
    Q_OBJECT

public:
    Side(QWidget* mainWindow, const SideRow& row);
    const SideRow& row() const { return row_; }
    QListWidget* list() const { return list_; }
    vb::PictureBox* picture() const { return picture_; }

signals:
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void giveFocusBack();
    void forwardKey(QKeyEvent* event);

    QWidget* main_;
    const SideRow& row_;
    QListWidget* list_ = nullptr;
    vb::PictureBox* picture_ = nullptr;
};

class SideWindows : public GameEvents {
public:
    static const std::array<SideRow, 3>& rows();
    static std::optional<SideWindow> shownBy(Ctl button);

    // log: the statistics log the statistics window lists.
    SideWindows(QWidget* mainWindow, const StatisticsLog& log);

    Side* window(SideWindow id);  // made, hidden, when first asked for
    bool exists(SideWindow id) const { return windows_[std::size_t(id)] != nullptr; }
    QListWidget* table() { return window(SideWindow::TalomirFathers)->list(); }
    QListWidget* statistic();  // filled with the log as it is now
    // The preview's surface while its window is shown, else nullptr: a hidden preview is not
    // drawn (nor its window made); `draw` draws it whenever its window is shown, however.
    vb::PictureBox* shownFuture() const;
    void drawFutureWith(std::function<void()> draw) { drawFuture_ = std::move(draw); }

    void show(SideWindow id, bool visible);
    // Beside the main window, whose outer frame and frame thickness are given; every window
    // shown, in the table's order.
    void dock(const QRect& mainFrame, const QSize& border);
    // The shown ones follow the main window's minimising and restoring.
    void followMain(bool minimized);
    void unloadAll();

    // GameEvents: the statistics list follows the log, the table list the hall of fame.
    void logCleared() override;
    void logAppended(const QString& line) override;
    void logSelected(int index) override;
    void tableLoaded(const QStringList& lines) override;
    void placeGained(int place) override;

private:
    QListWidget* shownStatistic();

    QWidget* main_;
    const StatisticsLog& log_;
    std::array<QPointer<Side>, 3> windows_;
    std::function<void()> drawFuture_;
    bool statisticStale_ = false;  // its list lags behind the log while it is hidden
};

}  // namespace talomir::ui
