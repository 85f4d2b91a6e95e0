#include "ui/sidewindows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/toolkit/fonts.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
QPalette listPalette(vb::Color back, vb::Color fore) {
    QPalette p;
    p.setColor(QPalette::Base, vb::toQColor(back));
    p.setColor(QPalette::Window, vb::toQColor(back));
    p.setColor(QPalette::Text, vb::toQColor(fore));
    p.setColor(QPalette::Highlight, QColor(0, 0, 128));
    p.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    return p;
}

QListWidget* makeList(QWidget* parent, vb::Color back, vb::Color fore, const QFont& font) {
    auto* list = new QListWidget(parent);
    list->setPalette(listPalette(back, fore));
    list->setAutoFillBackground(true);
    list->setFont(font);
    list->setFrameShape(QFrame::NoFrame);
    list->setUniformItemSizes(true);
    list->setFocusPolicy(Qt::NoFocus);
    list->setGeometry(0, 0, parent->width(), parent->height());
    return list;
}
}  // namespace

// An ordinary window: X11 window managers keep a tool window (transient for the main window),
// and some a utility window of the same program, above the main window, where it covers the
// score once the player moves the main window under it. These are stacked like any other.
SideWindow::SideWindow(QWidget* mainWindow, const QString& caption, int clientWidthTwips,
                       int clientHeightTwips)
    : QWidget(mainWindow, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                              Qt::CustomizeWindowHint),
      main_(mainWindow) {
    setWindowTitle(caption);
    setFixedSize(vb::twipsToPixels(clientWidthTwips), vb::twipsToPixels(clientHeightTwips));
    // The side windows never keep the keyboard: the game is steered from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void SideWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !vb::Forms::isUnloadingByProgram(this)) {
        event->ignore();
        hide();
        emit closedByUser();
        return;
    }
    event->accept();
}

void SideWindow::giveFocusBack() {
    // A minimised main window is left alone: activating it would restore it.
    if (main_ && main_->isVisible() && !main_->isMinimized()) {
        vb::activate(main_);
        if (QWidget* w = main_->focusWidget()) w->setFocus();
    }
}

void SideWindow::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    giveFocusBack();
}

// Some compositors give the keyboard to the newest window and keep it there whatever the program
// asks (any on Wayland, weston for X windows too): the game is steered from the main window all
// the same.
void SideWindow::forwardKey(QKeyEvent* event) {
    if (!main_) return event->ignore();
    QWidget* target = main_->focusWidget() ? main_->focusWidget() : main_;
    QCoreApplication::sendEvent(target, event);
}

void SideWindow::keyPressEvent(QKeyEvent* event) {
    forwardKey(event);
}

void SideWindow::keyReleaseEvent(QKeyEvent* event) {
    forwardKey(event);
}

void SideWindow::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    giveFocusBack();
}

void SideWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Activated by the window system (a click on the caption bar, the window list): none of the
    // window's controls takes the focus, so nothing else would give the keyboard back.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) giveFocusBack();
}

void SideWindow::guardFocus(QWidget* content) {
    content->installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(content))
        area->viewport()->installEventFilter(this);
}

bool SideWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonRelease)
        giveFocusBack();
    return QWidget::eventFilter(watched, event);
}

FrmTalomiFathers::FrmTalomiFathers(QWidget* mainWindow)
    : SideWindow(mainWindow, QStringLiteral("The Best Of The Talomir"), 2970, 3210) {
    setObjectName(QStringLiteral("frmTalomiFathers"));
    setPalette(listPalette(0x000000, 0xFFC0C0));
    setAutoFillBackground(true);
    lstTable =
        makeList(this, 0x000000, 0xFFFFFF, vb::makeFont(QStringLiteral("Courier New"), 8.25, true));
    lstTable->setObjectName(QStringLiteral("lstTable"));
    guardFocus(lstTable);
}

FrmStatistic::FrmStatistic(QWidget* mainWindow)
    : SideWindow(mainWindow, QStringLiteral("Statistic"), 2280, 3195) {
    setObjectName(QStringLiteral("frmStatistic"));
    lstStatistic = makeList(this, 0x000000, 0xC0C0C0,
                            vb::makeFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    lstStatistic->setObjectName(QStringLiteral("lstStatistic"));
    guardFocus(lstStatistic);
}

FrmFuture::FrmFuture(QWidget* mainWindow)
    : SideWindow(mainWindow, QStringLiteral("Future"), 1515, 3840) {
    setObjectName(QStringLiteral("frmFuture"));
    setCloseGuard(false);
    setAttribute(Qt::WA_DeleteOnClose);
    picFuture = new vb::PictureBox(this);
    picFuture->setObjectName(QStringLiteral("picFuture"));
    picFuture->setGeometry(0, 0, width(), height());
    picFuture->setBackColor(0x404040);
    picFuture->setFocusPolicy(Qt::NoFocus);
    guardFocus(picFuture);
}

}  // namespace talomir::ui
