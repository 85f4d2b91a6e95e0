#include "ui/frmsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QSlider>

#include "ui/frmopen.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {

constexpr Qt::WindowFlags kFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
constexpr vb::Color kFace = vb::kSystemButtonFace;

const char* const kHelp =
    "Воспроизводиться могут только wav-файлы. Размер файлов неограничен. Под именем файла "
    "расположен ползунок, определяющий громкость воспроизведения. Для фоновой музыки можно "
    "настраивать скорость перехода музыки слева направо и наоборот (второй ползунок или "
    "текстовое поле напротив ползунка).";

struct Place {
    int left, top, width, height;
};

template <class W>
W* placed(W* w, const char* name, Place p) {
    w->setObjectName(QString::fromLatin1(name));
    vb::setTwipsGeometry(w, p.left, p.top, p.width, p.height);
    return w;
}

vb::Frame* frame(QWidget* parent, const char* name, const char* caption, Place p) {
    auto* f = placed(new vb::Frame(parent), name, p);
    f->setCaption(QString::fromUtf8(caption));
    f->setBackColor(kFace);
    return f;
}

vb::Label* label(QWidget* parent, const char* name, Place p) {
    auto* l = placed(new vb::Label(parent), name, p);
    l->setCaption(QStringLiteral("Empty"));
    l->setBackColor(kFace);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const char* name, Place p) {
    return placed(new QCheckBox(QStringLiteral("Выключить"), parent), name, p);
}

vb::CommandButton* button(QWidget* parent, const char* name, const char* caption, Place p) {
    auto* b = placed(new vb::CommandButton(parent), name, p);
    b->setCaption(QString::fromUtf8(caption));
    b->setBackColor(kFace);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

QSlider* slider(QWidget* parent, const char* name, Place p, int min, int max, int large, int tick) {
    auto* s = placed(new QSlider(Qt::Horizontal, parent), name, p);
    s->setRange(min, max);
    s->setSingleStep(1);
    s->setPageStep(large);
    s->setTickInterval(tick);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

QSlider* volumeSlider(QWidget* parent, const char* name, Place p) {
    return slider(parent, name, p, kVolumeSliderMin, kVolumeSliderMax, 1000, 250);
}

// Shows a value the program sets: the control's own change handler, which is the player's,
// does not run.
template <class W, class F>
void quietly(W* w, F&& set) {
    const QSignalBlocker block(w);
    set();
}

}  // namespace

FrmSettings::FrmSettings(QWidget* owner, SoundChoices& choices)
    : QDialog(owner, kFlags), choices_(choices) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    setFixedSize(vb::twipsToPixels(7200), vb::twipsToPixels(5685));
    setFont(vb::makeFont(QStringLiteral("Tahoma"), 8.25));
    buildControls();
    wire();
    Form_Load();
}

void FrmSettings::buildControls() {
    auto* frmControls =
        frame(this, "frmControls", "Озвучивание основных событий", {120, 120, 3495, 735});
    chkSoundControl = checkBox(frmControls, "chkSoundControl", {120, 240, 1215, 375});

    auto* fraButton = frame(this, "fraButton", "Основные события", {120, 960, 3495, 4575});
    cmbListEvents = placed(new QComboBox(fraButton), "cmbListEvents", {120, 360, 3255, 315});

    fraFirstVar = frame(fraButton, "fraFirstVar", "Первый вариант", {120, 840, 3255, 1695});
    lblFirstVar = label(fraFirstVar, "lblFirstVar", {240, 240, 2775, 375});
    sldVolBut1 = volumeSlider(fraFirstVar, "sldVolBut1", {120, 600, 3015, 495});
    chkEnFirstVar = checkBox(fraFirstVar, "chkEnFirstVar", {120, 1200, 1335, 375});
    cmdOpenFirst = button(fraFirstVar, "cmdOpenFirst", "Выбрать файл", {1680, 1200, 1335, 375});

    fraSecondVar = frame(fraButton, "fraSecondVar", "Второй вариант", {120, 2760, 3255, 1695});
    lblSecondVar = label(fraSecondVar, "lblSecondVar", {240, 240, 2775, 375});
    sldVolBut2 = volumeSlider(fraSecondVar, "sldVolBut2", {120, 600, 3015, 495});
    chkEnSecondVar = checkBox(fraSecondVar, "chkEnSecondVar", {240, 1200, 1335, 375});
    cmdOpenSecond = button(fraSecondVar, "cmdOpenSecond", "Выбрать файл", {1680, 1200, 1335, 375});

    auto* fraBkg = frame(this, "fraBkg", "Фоновая музыка", {3840, 120, 3255, 2175});
    lblFile = label(fraBkg, "lblFile", {120, 240, 2895, 255});
    sldVolBackgrnd = volumeSlider(fraBkg, "sldVolBackgrnd", {120, 600, 3015, 495});
    sldChange = slider(fraBkg, "sldChange", {120, 1080, 2295, 495}, kSpeedSliderMin,
                       kSpeedSliderMax, 2, 100);
    txtChange =
        placed(new QLineEdit(QStringLiteral("Text1"), fraBkg), "txtChange", {2520, 1080, 615, 375});
    chkEnable = checkBox(fraBkg, "chkEnable", {120, 1680, 1215, 375});
    cmdOpen = button(fraBkg, "cmdOpen", "Выбрать файл", {1680, 1680, 1335, 375});

    lblHelp = label(this, "lblHelp", {3840, 2760, 3255, 1815});
    lblHelp->setCaption(QString::fromUtf8(kHelp));
    cmdOk = button(this, "cmdOk", "OK", {5880, 5040, 1215, 495});
}

void FrmSettings::wire() {
    connect(chkSoundControl, &QCheckBox::toggled, this,
            [this](bool checked) { choices_.setSoundOff(checked); });
    connect(cmbListEvents, &QComboBox::currentIndexChanged, this,
            &FrmSettings::cmbListEvents_Click);
    const struct {
        QCheckBox* off;
        QSlider* volume;
        vb::CommandButton* open;
    } clips[] = {{chkEnFirstVar, sldVolBut1, cmdOpenFirst},
                 {chkEnSecondVar, sldVolBut2, cmdOpenSecond}};
    for (int n = 0; n < 2; ++n) {
        connect(clips[n].off, &QCheckBox::toggled, this, [this, n](bool checked) {
            choices_.Set_Clip_Property(!checked, ClipProperty::Enabled, n);
        });
        connect(clips[n].volume, &QSlider::valueChanged, this, [this, n](int value) {
            choices_.Set_Clip_Property(value, ClipProperty::Volume, n);
        });
        connect(clips[n].open, &vb::CommandButton::Click, this, [this, n] { openClip(n); });
    }
    connect(chkEnable, &QCheckBox::toggled, this,
            [this](bool checked) { choices_.setMusicOff(checked); });
    connect(sldVolBackgrnd, &QSlider::valueChanged, this, [this](int value) {
        choices_.setMusicVolume(value);
        cmdOk->setFocus();
    });
    connect(cmdOpen, &vb::CommandButton::Click, this, &FrmSettings::cmdOpen_Click);
    connect(sldChange, &QSlider::valueChanged, this, [this](int value) {
        choices_.setSpeed(value);
        quietly(txtChange, [&] { txtChange->setText(QString::number(value)); });
    });
    connect(txtChange, &QLineEdit::textChanged, this, &FrmSettings::txtChange_Change);
    connect(cmdOk, &vb::CommandButton::Click, this, &QDialog::accept);
}

void FrmSettings::showModal(QWidget* owner, SoundChoices& choices) {
    auto* window = new FrmSettings(owner, choices);
    vb::Forms::add(QStringLiteral("frmSettings"), window);
    const QPointer<FrmSettings> guard(window);
    window->exec();
    delete guard.data();  // unless the program unloaded it meanwhile
}

void FrmSettings::Form_Load() {
    // A value outside a slider's range shows at its nearest end and stays stored as it is
    // until the player moves that slider.
    const SoundChoices::Opening o = choices_.Form_Load();
    quietly(sldVolBackgrnd, [&] { sldVolBackgrnd->setValue(o.musicVolume); });
    quietly(chkEnable, [&] { chkEnable->setChecked(o.musicOff); });
    quietly(chkSoundControl, [&] { chkSoundControl->setChecked(o.soundOff); });
    lblFile->setCaption(o.musicCaption);
    quietly(cmbListEvents, [&] { cmbListEvents->addItems(SoundChoices::eventNames()); });
    cmbListEvents_Click();
    quietly(sldChange, [&] { sldChange->setValue(o.speed); });
    quietly(txtChange, [&] { txtChange->setText(QString::number(sldChange->value())); });
}

void FrmSettings::cmbListEvents_Click() {
    choices_.selectEvent(cmbListEvents->currentText());
    const SoundChoices::EventShown s = choices_.shown();
    fraSecondVar->setVisible(s.twoClips);
    const auto show = [](const SoundChoices::ClipShown& c, vb::Label* caption, QSlider* volume,
                         QCheckBox* off) {
        caption->setCaption(c.caption);
        quietly(volume, [&] { volume->setValue(c.volume); });
        quietly(off, [&] { off->setChecked(c.off); });
    };
    show(s.first, lblFirstVar, sldVolBut1, chkEnFirstVar);
    if (s.twoClips) show(s.second, lblSecondVar, sldVolBut2, chkEnSecondVar);
}

bool FrmSettings::chooseFile(const QString& path, QString& name, QString& file) {
    FrmOpen* open = FrmOpen::instance();
    open->SetPath(choices_.chooserFolder(path));
    if (!open->choose(this)) return false;
    name = open->NameFile;
    file = open->PathToFile;
    return true;
}

void FrmSettings::openClip(int n) {
    QString name, file;
    const QPointer<FrmSettings> self(this);
    const bool chosen = chooseFile(choices_.Get_Clip_Path(n), name, file);
    if (!self || !chosen) return;  // the game may have ended and unloaded this window meanwhile
    (n == 0 ? lblFirstVar : lblSecondVar)->setCaption(name);
    choices_.Set_Clip_Property(file, ClipProperty::Path, n);
}

void FrmSettings::cmdOpen_Click() {
    QString name, file;
    const QPointer<FrmSettings> self(this);
    const bool chosen = chooseFile(choices_.musicPath(), name, file);
    if (!self) return;
    if (chosen) lblFile->setCaption(name);
    choices_.chooseMusic(chosen ? file : QString());
}

void FrmSettings::txtChange_Change() {
    const SpeedText typed = choices_.typeSpeed(txtChange->text());
    if (!typed.shown.isEmpty()) {
        quietly(txtChange, [&] { txtChange->setText(typed.shown); });
        txtChange->setSelection(0, int(typed.shown.size()));
    }
    quietly(sldChange, [&] { sldChange->setValue(typed.value); });
}

}  // namespace talomir::ui
