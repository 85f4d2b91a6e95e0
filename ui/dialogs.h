#pragma once
// The two dialogs at the end of a game: the player's name and the question of a new game.
#include <QDialog>

class QLineEdit;

namespace vb {
class CommandButton;
class Label;
}  // namespace vb

namespace talomir::ui {

class FrmEnterName : public QDialog {
    Q_OBJECT

public:
    explicit FrmEnterName(QWidget* owner);
    QString PlayerName;
    bool bCancelRecord = true;  // stays true unless Ok confirmed the name
    QLineEdit* txtName;
    vb::CommandButton* cmdOk;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cmdOk_Click();
};

class FrmGameOver : public QDialog {
    Q_OBJECT

public:
    explicit FrmGameOver(QWidget* owner);
    bool blnContinue = false;
    vb::CommandButton* cmdYes;
    vb::CommandButton* cmdNo;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Centres a dialog on its owner.
void centreOn(QWidget* dialog, const QWidget* owner);

}  // namespace talomir::ui
