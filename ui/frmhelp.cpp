#include "ui/frmhelp.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <algorithm>

#include "persistence/gamefolders.h"
#include "ui/frmmain.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
constexpr vb::Color kWindowBack = 0xFF0000;
constexpr vb::Color kControlHighlight = 0xFF0000;  // blue
constexpr vb::Color kTableHighlight = 0x0000FF;    // red
constexpr int kClientWidth = 3480;
constexpr int kResizeMs = 15;

// Where this copy keeps its table, and how computers share one here: one copy started from a
// network folder, or any copy pointed at one.
const char kTablePage[] =
    "Лучшие игроки. Таблица хранится в файле %1 . Чтобы эта таблица стала общей для нескольких "
    "компьютеров в сети, запускайте на всех компьютерах одну и ту же копию игры из общей сетевой "
    "папки ( SMB, NFS или SFTP ) или запускайте игру с параметром --data-dir <общая папка>. Чтобы "
    "очистить таблицу надо удалить этот файл.";

void paint(QWidget* w, QPalette::ColorRole role, vb::Color colour) {
    QPalette p = w->palette();
    p.setColor(role, vb::toQColor(colour));
    w->setPalette(p);
}

vb::CommandButton* button(QWidget* parent, const char* caption, int left) {
    auto* b = new vb::CommandButton(parent);
    b->setCaption(QString::fromUtf8(caption));
    b->setFont(vb::makeFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    b->setBackColor(0x808080);
    b->setFocusPolicy(Qt::StrongFocus);
    vb::setTwipsGeometry(b, left, 2400, 1332, 252);
    return b;
}

// The controls of the main window have a BackColor; the hall-of-fame list has its palette.
vb::Color backColorOf(const QWidget* w) {
    if (auto* list = qobject_cast<const QListWidget*>(w))
        return vb::toColor(list->palette().color(QPalette::Base));
    return w->property("BackColor").value<quint32>();
}

void setBackColorOf(QWidget* w, vb::Color colour) {
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        paint(list, QPalette::Base, colour);
        paint(list, QPalette::Window, colour);
        return;
    }
    w->setProperty("BackColor", QVariant::fromValue<quint32>(colour));
}
}  // namespace

FrmHelp::FrmHelp(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint),
      tmrResize(kResizeMs, false),
      owner_(owner) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Справка"));
    setModal(true);
    setFixedWidth(vb::twipsToPixels(kClientWidth));
    paint(this, QPalette::Window, kWindowBack);
    setAutoFillBackground(true);

    txtText = new QPlainTextEdit(this);
    txtText->setObjectName(QStringLiteral("txtText"));
    txtText->setReadOnly(true);
    txtText->setFocusPolicy(Qt::NoFocus);
    txtText->setFont(vb::makeFont(QStringLiteral("Tahoma"), 9, true));
    paint(txtText, QPalette::Base, 0x000000);
    paint(txtText, QPalette::Text, 0xFFFFFF);
    vb::setTwipsGeometry(txtText, 0, 0, 3372, 2292);

    cmdClose = button(this, "Закрыть", 120);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdNext = button(this, "Далее", 2040);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    connect(cmdNext, &vb::CommandButton::Click, this, [this] { accept(); });
    connect(cmdClose, &vb::CommandButton::Click, this, [this] {
        blnClose = true;
        accept();
    });
    setTabOrder(cmdNext, cmdClose);
    connect(&tmrResize, &vb::Timer::Tick, this, &FrmHelp::tmrResize_Timer);
    connect(this, &QDialog::finished, this, [this] { tmrResize.setEnabled(false); });
}

void FrmHelp::showPage() {
    Form_Load();
    exec();
}

void FrmHelp::Form_Load() {
    txtText->setPlainText(strText);
    // A height of 0 leaves the window at its smallest: its frame alone.
    heightTwips_ = vb::pixelsToTwips(frameExtra().height());
    // Free to grow while it rolls open; fixed again once open.
    setMinimumHeight(1);
    setMaximumHeight(QWIDGETSIZE_MAX);
    applyHeight();
    place();
    tmrResize.setEnabled(true);
    // A compositor that places windows itself (Wayland) fits a window on the screen as it first
    // appears: the page appears open, or it would roll open past the screen's edge.
    if (!vb::programPlacesWindows())
        while (tmrResize.isEnabled()) tmrResize_Timer();
}

void FrmHelp::tmrResize_Timer() {
    heightTwips_ += kRollStep;
    applyHeight();
    // The window manager frames the window only once it is shown, which moves it.
    place();
    if (heightTwips_ > kRolledHeight) {
        tmrResize.setEnabled(false);
        setFixedHeight(height());
    }
}

QSize FrmHelp::frameExtra() const {
    const QSize own = frameGeometry().size() - size();
    if (!own.isEmpty() || !owner_) return own;
    return owner_->frameGeometry().size() - owner_->size();
}

void FrmHelp::applyHeight() {
    resize(width(), std::max(1, vb::twipsToPixels(heightTwips_) - frameExtra().height()));
    txtText->resize(width(), txtText->height());
}

void FrmHelp::place() {
    if (!owner_) return;
    const QRect main = owner_->frameGeometry();
    QPoint at(main.left() - width() - frameExtra().width(), main.top());
    // Beside a main window at the screen's left edge the page would open out of reach, while
    // it blocks every other window.
    if (const QScreen* screen = owner_->screen())
        at.setX(std::max(at.x(), screen->availableGeometry().left()));
    if (frameGeometry().topLeft() != at) move(at);
}

void FrmHelp::closeEvent(QCloseEvent* event) {
    if (vb::Forms::isUnloadingByProgram(this))
        emit unloadedByProgram();
    else
        blnClose = true;  // the close box
    QDialog::closeEvent(event);
}

void FrmHelp::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            blnClose = true;
            reject();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* b = qobject_cast<vb::CommandButton*>(focusWidget())) emit b->Click();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void FrmHelp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    place();  // the frame may be known now
    cmdNext->setFocus();
}

namespace {

class Tour {
public:
    explicit Tour(FrmMain& main) : main_(main) {}

    void run() {
        help_ = new FrmHelp(&main_);
        vb::Forms::add(QStringLiteral("frmHelp"), help_);
        QObject::connect(help_, &FrmHelp::unloadedByProgram, help_, [this] { end(); });
        main_.game().playRandomEventSound();
        // The list is lit even while its window is hidden.
        if (!page(main_.sides().table(), kTableHighlight,
                  QString::fromUtf8(kTablePage)
                      .arg(QDir::toNativeSeparators(GameFolders::current().dataFile(
                          QLatin1String(GameFolders::kTableFile))))))
            return;
        for (Ctl c : helpTourOrder()) {
            if (help_->blnClose) break;
            if (!page(main_.controls().widget(c), kControlHighlight, helpText(c))) return;
            main_.game().playRandomEventSound();
            // The new background colour cleared the well's surface.
            if (c == Ctl::picTalomir) {
                main_.painter().Draw_Well();
                main_.painter().Draw_Grid();
                main_.painter().Draw_Figure();
            }
        }
        delete help_.data();
        end();
    }

private:
    // One page with its control lit; false when the tour must stop at once.
    bool page(QWidget* control, vb::Color colour, const QString& text) {
        lit_ = control;
        litColour_ = backColorOf(control);
        setBackColorOf(control, colour);
        help_->strText = text;
        help_->showPage();
        if (ended_) return false;
        // Still open: the program is quitting and left every event loop.
        if (help_ && help_->isVisible()) return false;
        unlight();
        return true;
    }

    void unlight() {
        if (lit_) setBackColorOf(lit_, litColour_);
        lit_ = nullptr;
    }

    // After the last page, the player's Close, or the end of the game with a page open: then
    // at once, before the game's dialogs, so nothing touches the controls of a finished game.
    void end() {
        if (ended_) return;
        ended_ = true;
        unlight();
        main_.presenter().setCheck(Ctl::chkHelp, 0);
        main_.focusWell();
    }

    FrmMain& main_;
    QPointer<FrmHelp> help_;
    QPointer<QWidget> lit_;
    vb::Color litColour_ = 0;
    bool ended_ = false;
};

}  // namespace

void runHelpTour(FrmMain& main) {
    Tour(main).run();
}

}  // namespace talomir::ui
