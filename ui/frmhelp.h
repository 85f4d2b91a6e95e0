#pragma once
// The help window and the guided tour of the main window that shows it, one page a control.
#include <QDialog>

#include "ui/toolkit/timer.h"

class QPlainTextEdit;

namespace vb {
class CommandButton;
}

namespace talomir::ui {

class FrmMain;

// One help page at a time: strText in a small window that rolls open downwards just left of
// its owner, top edges level. Next and Close unload the page; Close, the close box and ESC
// also set blnClose. Both variables keep their values from page to page.
class FrmHelp : public QDialog {
    Q_OBJECT

public:
    explicit FrmHelp(QWidget* owner);

    // Loads the page and shows it modally until it is unloaded.
    void showPage();

    QString strText;
    bool blnClose = false;
    QPlainTextEdit* txtText;
    vb::CommandButton* cmdClose;
    vb::CommandButton* cmdNext;
    vb::Timer tmrResize;

    // Each tick of tmrResize adds this much to the height; the roll stops once the window,
    // frame included, is taller than kRolledHeight.
    static constexpr int kRollStep = 100;
    static constexpr int kRolledHeight = 3030;

signals:
    // The program unloaded the page (the game ended) rather than the player.
    void unloadedByProgram();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void tmrResize_Timer();
    // The frame's size in pixels: the window's own once framed, the owner's until then.
    QSize frameExtra() const;
    void applyHeight();
    void place();

    QWidget* owner_;
    int heightTwips_ = 0;  // the window's Height, frame included
};

// Runs the tour over the main window: the hall-of-fame page, then one page for each control in
// the design order. Returns when the player ends it, after the last page, or as soon as the
// game ends with a page open.
void runHelpTour(FrmMain& main);

}  // namespace talomir::ui
