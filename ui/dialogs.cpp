#include "ui/dialogs.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {
// A dialog for the window manager (Qt::Tool would make it a utility window).
constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;

void paintBackground(QWidget* w, vb::Color colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, vb::toQColor(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

vb::Label* label(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                 vb::Color back, vb::Color fore, const QFont& font) {
    auto* lbl = new vb::Label(parent);
    lbl->setCaption(caption);
    lbl->setBackColor(back);
    lbl->setForeColor(fore);
    lbl->setAlignment(vb::Alignment::Center);
    lbl->setFont(font);
    vb::setTwipsGeometry(lbl, l, t, w, h);
    return lbl;
}

vb::CommandButton* button(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                          vb::Color back, const QFont& font) {
    auto* b = new vb::CommandButton(parent);
    b->setCaption(caption);
    b->setBackColor(back);
    b->setFont(font);
    b->setFocusPolicy(Qt::StrongFocus);
    vb::setTwipsGeometry(b, l, t, w, h);
    return b;
}
}  // namespace

void centreOn(QWidget* dialog, const QWidget* owner) {
    if (!owner) return;
    const QRect o = owner->frameGeometry();
    dialog->move(o.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

FrmEnterName::FrmEnterName(QWidget* owner) : QDialog(owner, kDialogFlags) {
    setObjectName(QStringLiteral("frmEnterName"));
    setWindowTitle(QStringLiteral("Talomir XII Direct"));
    setModal(true);
    setFixedSize(vb::twipsToPixels(2415), vb::twipsToPixels(1425));
    paintBackground(this, 0xFF80FF);
    label(this, QStringLiteral("Введите Ваше имя"), 120, 120, 2175, 255, 0xFF80FF, 0xFFFF00,
          vb::makeFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    txtName = new QLineEdit(QStringLiteral("UnNamed"), this);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setMaxLength(10);
    txtName->setFont(vb::makeFont(QStringLiteral("Times New Roman"), 12, true));
    vb::setTwipsGeometry(txtName, 120, 480, 2175, 372);
    cmdOk = button(this, QStringLiteral("Ok"), 600, 1080, 1215, 276, 0xC0C0C0,
                   vb::makeFont(QStringLiteral("Times New Roman"), 10.5, true));
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    connect(cmdOk, &vb::CommandButton::Click, this, &FrmEnterName::cmdOk_Click);
    setTabOrder(txtName, cmdOk);
    centreOn(this, owner);
}

void FrmEnterName::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    txtName->setFocus();
    txtName->selectAll();  // typing replaces "UnNamed"
}

void FrmEnterName::cmdOk_Click() {
    PlayerName = txtName->text();
    bCancelRecord = false;
    accept();
}

void FrmEnterName::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        cmdOk_Click();
        return;
    }
    if (event->key() == Qt::Key_Escape) return;  // only the close box cancels
    QDialog::keyPressEvent(event);
}

FrmGameOver::FrmGameOver(QWidget* owner) : QDialog(owner, kDialogFlags) {
    setObjectName(QStringLiteral("frmGameOver"));
    setWindowTitle(QStringLiteral("Talomir XII Direct"));
    setModal(true);
    setFixedSize(vb::twipsToPixels(2550), vb::twipsToPixels(1200));
    paintBackground(this, 0x800000);
    label(this, QStringLiteral("Game Over !"), 120, 120, 2292, 372, 0x800000, 0x0000FF,
          vb::makeFont(QStringLiteral("MS Sans Serif"), 12, true, false, true));
    label(this, QStringLiteral("Начать новую игру ?"), 120, 480, 2292, 372, 0x800000, 0x00FFFF,
          vb::makeFont(QStringLiteral("MS Sans Serif"), 9.75));
    const QFont font = vb::makeFont(QStringLiteral("Times New Roman"), 10.5, true, true);
    cmdYes = button(this, QStringLiteral("Да"), 120, 840, 972, 252, 0xC0C000, font);
    cmdYes->setObjectName(QStringLiteral("cmdYes"));
    cmdNo = button(this, QStringLiteral("Нет"), 1440, 840, 972, 252, 0xC0C000, font);
    cmdNo->setObjectName(QStringLiteral("cmdNo"));
    connect(cmdYes, &vb::CommandButton::Click, this, [this] {
        blnContinue = true;
        accept();
    });
    connect(cmdNo, &vb::CommandButton::Click, this, [this] {
        blnContinue = false;
        accept();
    });
    setTabOrder(cmdYes, cmdNo);
    centreOn(this, owner);
}

void FrmGameOver::keyPressEvent(QKeyEvent* event) {
    // ESC is the game's pause key and comes out of habit; as a "no" it would end the program.
    if (event->key() == Qt::Key_Escape) return;
    // Enter answers with the button that has the focus, as Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* b = qobject_cast<vb::CommandButton*>(focusWidget())) {
            emit b->Click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void FrmGameOver::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    cmdYes->setFocus();
}

}  // namespace talomir::ui
