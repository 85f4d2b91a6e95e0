#include "ui/sidewindows.h"

#include <QAbstractScrollArea>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/toolkit/fonts.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
constexpr Colour kNone = ~Colour(0);  // the window keeps its own palette

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

void selectRow(QListWidget* list, int index) {
    list->setCurrentRow(index);
    if (QListWidgetItem* item = list->item(index)) list->scrollToItem(item);
}

// clang-format off
const std::array<SideRow, 3> kRows = {{
    {.id = SideWindow::TalomirFathers, .name = "frmTalomiFathers",
     .caption = "The Best Of The Talomir", .width = 2970, .height = 3210, .button = Ctl::chkRec,
     .content = SideContent::List, .contentName = "lstTable", .windowBack = 0x000000,
     .windowText = 0xFFC0C0, .back = 0x000000, .fore = 0xFFFFFF, .face = "Courier New",
     .points = 8.25, .keptOnClose = true, .dockColumn = 0, .dockBottom = true},
    {.id = SideWindow::Statistic, .name = "frmStatistic", .caption = "Statistic",
     .width = 2280, .height = 3195, .button = Ctl::chkStat, .content = SideContent::List,
     .contentName = "lstStatistic", .windowBack = kNone, .windowText = kNone, .back = 0x000000,
     .fore = 0xC0C0C0, .face = "MS Sans Serif", .points = 8.25, .keptOnClose = true,
     .dockColumn = 1, .dockBottom = false},
    {.id = SideWindow::Future, .name = "frmFuture", .caption = "Future", .width = 1515,
     .height = 3840, .button = Ctl::chkFuture, .content = SideContent::Picture,
     .contentName = "picFuture", .windowBack = kNone, .windowText = kNone, .back = 0x404040,
     .fore = 0, .face = "", .points = 0, .keptOnClose = false, .dockColumn = 0,
     .dockBottom = false},
}};
// clang-format on
}  // namespace

// An ordinary window: X11 window managers keep a tool window (transient for the main window),
// and some a utility window of the same program, above the main window, where it covers the
// score once the player moves the main window under it. These are stacked like any other.
Side::Side(QWidget* mainWindow, const SideRow& row)
    : QWidget(mainWindow, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                              Qt::CustomizeWindowHint),
      main_(mainWindow),
      row_(row) {
    setObjectName(QString::fromLatin1(row.name));
    setWindowTitle(QString::fromLatin1(row.caption));
    setFixedSize(vb::twipsToPixels(row.width), vb::twipsToPixels(row.height));
    // The side windows never keep the keyboard: the game is steered from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    if (!row.keptOnClose) setAttribute(Qt::WA_DeleteOnClose);
    if (row.windowBack != kNone) {
        setPalette(listPalette(row.windowBack, row.windowText));
        setAutoFillBackground(true);
    }
    QWidget* content = nullptr;
    if (row.content == SideContent::List) {
        list_ = makeList(this, row.back, row.fore,
                         vb::makeFont(QString::fromLatin1(row.face), row.points, true));
        content = list_;
    } else {
        picture_ = new vb::PictureBox(this);
        picture_->setGeometry(0, 0, width(), height());
        picture_->setBackColor(row.back);
        picture_->setFocusPolicy(Qt::NoFocus);
        content = picture_;
    }
    content->setObjectName(QString::fromLatin1(row.contentName));
    content->installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(content))
        area->viewport()->installEventFilter(this);
}

void Side::closeEvent(QCloseEvent* event) {
    // The user's close box hides a window that keeps its content; only the program's own unload
    // really closes it.
    if (row_.keptOnClose && !vb::Forms::isUnloadingByProgram(this)) {
        event->ignore();
        hide();
        return;
    }
    event->accept();
}

void Side::giveFocusBack() {
    // A minimised main window is left alone: activating it would restore it.
    if (main_ && main_->isVisible() && !main_->isMinimized()) {
        vb::activate(main_);
        if (QWidget* w = main_->focusWidget()) w->setFocus();
    }
}

void Side::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    giveFocusBack();
}

// Some compositors give the keyboard to the newest window and keep it there whatever the program
// asks (any on Wayland, weston for X windows too): the game is steered from the main window all
// the same.
void Side::forwardKey(QKeyEvent* event) {
    if (!main_) return event->ignore();
    QWidget* target = main_->focusWidget() ? main_->focusWidget() : main_;
    QCoreApplication::sendEvent(target, event);
}

void Side::keyPressEvent(QKeyEvent* event) {
    forwardKey(event);
}

void Side::keyReleaseEvent(QKeyEvent* event) {
    forwardKey(event);
}

void Side::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    giveFocusBack();
}

void Side::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shown();
}

void Side::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Activated by the window system (a click on the caption bar, the window list): none of the
    // window's controls takes the focus, so nothing else would give the keyboard back.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) giveFocusBack();
}

bool Side::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonRelease)
        giveFocusBack();
    return QWidget::eventFilter(watched, event);
}

const std::array<SideRow, 3>& SideWindows::rows() {
    return kRows;
}

std::optional<SideWindow> SideWindows::shownBy(Ctl button) {
    for (const SideRow& row : kRows)
        if (row.button == button) return row.id;
    return std::nullopt;
}

SideWindows::SideWindows(QWidget* mainWindow, const StatisticsLog& log)
    : main_(mainWindow), log_(log) {}

Side* SideWindows::window(SideWindow id) {
    QPointer<Side>& w = windows_[std::size_t(id)];
    if (!w) {
        const SideRow& row = kRows[std::size_t(id)];
        w = new Side(main_, row);
        vb::Forms::add(QString::fromLatin1(row.name), w);
        if (id == SideWindow::Statistic) statisticStale_ = true;
        if (id == SideWindow::Future)
            QObject::connect(w, &Side::shown, w, [this] {
                if (drawFuture_) drawFuture_();
            });
    }
    return w;
}

QListWidget* SideWindows::statistic() {
    QListWidget* list = window(SideWindow::Statistic)->list();
    if (std::exchange(statisticStale_, false)) {
        list->clear();
        list->addItems(log_.lines());
        selectRow(list, log_.ListIndex());
    }
    return list;
}

QListWidget* SideWindows::shownStatistic() {
    // A hidden list is filled when it is next shown or read: each landing would otherwise cost
    // the window a layout of the list.
    const Side* stat = windows_[std::size_t(SideWindow::Statistic)];
    if (!stat || !stat->isVisible()) {
        statisticStale_ = true;
        return nullptr;
    }
    if (statisticStale_) {
        statistic();  // filled afresh, with the change under way
        return nullptr;
    }
    return stat->list();
}

vb::PictureBox* SideWindows::shownFuture() const {
    const Side* w = windows_[std::size_t(SideWindow::Future)];
    return w && w->isVisible() ? w->picture() : nullptr;
}

void SideWindows::show(SideWindow id, bool visible) {
    Side* w = window(id);
    if (id == SideWindow::Statistic && visible) statistic();
    if (visible) {
        w->show();
        w->raise();
    } else {
        w->hide();
    }
}

void SideWindows::dock(const QRect& m, const QSize& border) {
    for (const SideRow& row : kRows) window(row.id);
    // Outer frames, in pixels. A side window the window system has not framed yet (it was never
    // shown) reports its bare size: its frame is taken to be as thick as the main window's, so
    // the first docking already leaves the gaps and lines up the bottom edges.
    const auto outer = [&border](const QWidget* w) {
        const QSize framed = w->frameGeometry().size();
        return framed != w->size() ? framed : w->size() + border;
    };
    const int gap = vb::twipsToPixels(20);
    int columns[2] = {m.left() + m.width() + gap, 0};
    for (const SideRow& row : kRows)
        if (row.dockColumn == 0 && !row.dockBottom)
            columns[1] = columns[0] + outer(window(row.id)).width() + gap;
    // Placed before it is shown, so it never appears elsewhere first; shown even when its
    // button is already on (the user may have closed it since).
    for (const SideRow& row : kRows) {
        Side* w = window(row.id);
        if (row.id == SideWindow::Statistic) statistic();
        const int top = row.dockBottom ? m.top() + m.height() - outer(w).height() : m.top();
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->move(columns[row.dockColumn], top);
        w->show();
        w->raise();
    }
}

void SideWindows::followMain(bool minimized) {
    for (const QPointer<Side>& w : windows_) {
        if (!w || !w->isVisible()) continue;
        if (minimized)
            w->showMinimized();
        else
            w->showNormal();
    }
}

void SideWindows::unloadAll() {
    for (const QPointer<Side>& w : windows_)
        if (w) vb::Forms::unload(w.data());
}

void SideWindows::logCleared() {
    if (QListWidget* list = shownStatistic()) list->clear();
}

void SideWindows::logAppended(const QString& line) {
    if (QListWidget* list = shownStatistic()) list->addItem(line);
}

void SideWindows::logSelected(int index) {
    if (QListWidget* list = shownStatistic()) selectRow(list, index);
}

void SideWindows::tableLoaded(const QStringList& lines) {
    QListWidget* list = table();
    list->clear();
    list->addItems(lines);
}

void SideWindows::placeGained(int place) {
    selectRow(table(), place);
}

}  // namespace talomir::ui
