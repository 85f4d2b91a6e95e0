#pragma once
// The sound settings window: the switch of all event sounds, each event's clips with their
// files, switches and volumes, and the background music's file, switch, volume and sweep speed.
// Every control acts at once on the values in memory.
#include <QDialog>

#include "sound/sound_choices.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace vb {
class CommandButton;
class Frame;
class Label;
}  // namespace vb

namespace talomir::ui {

class FrmSettings : public QDialog {
    Q_OBJECT

public:
    FrmSettings(QWidget* owner, SoundChoices& choices);

    // Loads the window, shows it modally over owner and unloads it when it is closed. The owner
    // keeps running meanwhile.
    static void showModal(QWidget* owner, SoundChoices& choices);

    QCheckBox* chkSoundControl;
    QComboBox* cmbListEvents;
    vb::Frame* fraFirstVar;
    vb::Label* lblFirstVar;
    QSlider* sldVolBut1;
    QCheckBox* chkEnFirstVar;
    vb::CommandButton* cmdOpenFirst;
    vb::Frame* fraSecondVar;
    vb::Label* lblSecondVar;
    QSlider* sldVolBut2;
    QCheckBox* chkEnSecondVar;
    vb::CommandButton* cmdOpenSecond;
    vb::Label* lblFile;
    QSlider* sldVolBackgrnd;
    QSlider* sldChange;
    QLineEdit* txtChange;
    QCheckBox* chkEnable;
    vb::CommandButton* cmdOpen;
    vb::Label* lblHelp;
    vb::CommandButton* cmdOk;

private:
    void buildControls();
    void wire();
    void Form_Load();
    void cmbListEvents_Click();
    void openClip(int n);
    void cmdOpen_Click();
    void txtChange_Change();
    // Opens the chooser in the folder of path; true with the choice in name and file.
    bool chooseFile(const QString& path, QString& name, QString& file);

    SoundChoices& choices_;
};

}  // namespace talomir::ui
