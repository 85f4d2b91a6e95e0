#include "ui/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "persistence/gamefolders.h"
#include "ui/dialogs.h"
#include "ui/frmhelp.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/keypreview.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/units.h"

namespace talomir::ui {

namespace {

void selectRow(QListWidget* list, int index) {
    list->setCurrentRow(index);
    if (QListWidgetItem* item = list->item(index)) list->scrollToItem(item);
}

constexpr vb::Color kSettledCell = 0x00FFFF;
constexpr vb::Color kFallingCell = 0xFFFF00;
constexpr vb::Color kPreviewOne = 0x00FFFF;
constexpr vb::Color kPreviewZero = vb::RGB(120, 120, 120);
constexpr vb::Color kGrid = vb::RGB(150, 175, 175);
constexpr vb::Color kGridFirst = vb::RGB(200, 200, 210);
constexpr int kCell = 250;
constexpr int kInset = 28;
constexpr int kInner = 222;

const char* ctlName(Ctl c) {
    switch (c) {
        case Ctl::lblScore:
            return "lblScore";
        case Ctl::lblLevel:
            return "lblLevel";
        case Ctl::lblRemain:
            return "lblRemain";
        case Ctl::lblCountLines1:
            return "lblCountLines(1)";
        case Ctl::lblCountLines2:
            return "lblCountLines(2)";
        case Ctl::lblCountLines3:
            return "lblCountLines(3)";
        case Ctl::lblCountLines4:
            return "lblCountLines(4)";
        case Ctl::lblSumBonus:
            return "lblSumBonus";
        case Ctl::lblFirma:
            return "lblFirma";
        case Ctl::lblTimeBonus:
            return "lblTimeBonus";
        case Ctl::lblTotalScore:
            return "lblTotalScore";
        case Ctl::lblPosition:
            return "lblPosition";
        case Ctl::lblNextPlace:
            return "lblNextPlace";
        case Ctl::cmdLeftRight0:
            return "cmdLeftRight(0)";
        case Ctl::cmdLeftRight2:
            return "cmdLeftRight(2)";
        case Ctl::cmdRotate0:
            return "cmdRotate(0)";
        case Ctl::cmdDown:
            return "cmdDown";
        case Ctl::chkPause:
            return "chkPause";
        case Ctl::chkHelp:
            return "chkHelp";
        case Ctl::chkDemo:
            return "chkDemo";
        case Ctl::chkSet:
            return "chkSet";
        case Ctl::chkAuto:
            return "chkAuto";
        case Ctl::chkFuture:
            return "chkFuture";
        case Ctl::chkRec:
            return "chkRec";
        case Ctl::chkStat:
            return "chkStat";
        case Ctl::fraControl:
            return "fraControl";
        case Ctl::shpTwo:
            return "shpTwo";
        case Ctl::frmMain:
        case Ctl::Count:
            break;
    }
    return "";
}

vb::Alignment toAlignment(Align a) {
    switch (a) {
        case Align::Right:
            return vb::Alignment::Right;
        case Align::Center:
            return vb::Alignment::Center;
        case Align::Left:
            break;
    }
    return vb::Alignment::Left;
}

// The filled square of a cell whose top-left corner is (x, y), on either kind of surface.
template <class Surface>
void filledSquare(Surface* s, double x, double y, vb::Color colour) {
    s->FilledBox(x + kInset, y + kInset, x + kInner, y + kInner, colour);
}

// The drawn square of a cell whose top-left corner is (x, y).
void cellSquare(vb::PictureBox* s, bool filled, double x, double y, vb::Color colour) {
    if (filled)
        filledSquare(s, x, y, colour);
    else
        s->Box(x + kInset, y + kInset, x + kInner, y + kInner, colour);
}

}  // namespace

FrmMain::FrmMain(RandomSource& rng, const Clock& clock, Records* records, QWidget* parent)
    : vb::FormSurface(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                                  Qt::CustomizeWindowHint),
      game_(rng, clock),
      records_(records) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Talomir XII Vostrun"));
    setFixedSize(vb::twipsToPixels(kMainClientWidth), vb::twipsToPixels(kMainClientHeight));
    setFont(vb::makeFont(QStringLiteral("Tahoma"), 8.25));
    if (qApp) qApp->installEventFilter(this);

    buildControls();
    tmrDown.setInterval(kFallTickMs);
    tmrLevel.setInterval(game_.display.timer(Tmr::tmrLevel).Interval);
    tmrMigCountLines.setInterval(game_.display.timer(Tmr::tmrMigCountLines).Interval);
    tmrMigMenuControls.setInterval(game_.display.timer(Tmr::tmrMigMenuControls).Interval);
    tmrDemo.setInterval(game_.display.timer(Tmr::tmrDemo).Interval);
    for (int t = 0; t < kTmrCount; ++t) timerChanged(static_cast<Tmr>(t));
    for (int c = 0; c < kCtlCount; ++c) applyControl(static_cast<Ctl>(c));

    game_.display.addObserver(this);
    game_.setHost(this);
    game_.setRecords(records_);
    wireInput();
}

FrmMain::~FrmMain() {
    game_.display.removeObserver(this);
}

void FrmMain::buildControls() {
    for (const ControlDesign& d : mainWindowDesign()) {
        QWidget* parent = this;
        if (*d.container) parent = controls_.value(QString::fromLatin1(d.container), this);
        QWidget* w = nullptr;
        const QString caption = QString::fromUtf8(d.caption);
        switch (d.kind) {
            case ui::Kind::Picture: {
                auto* p = new vb::PictureBox(parent);
                p->setBackColor(d.back);
                w = p;
                break;
            }
            case ui::Kind::Label: {
                auto* l = new vb::Label(parent);
                l->setCaption(caption);
                l->setBackColor(d.back);
                l->setForeColor(d.fore);
                l->setAlignment(toAlignment(d.align));
                w = l;
                break;
            }
            case ui::Kind::Frame: {
                auto* f = new vb::Frame(parent);
                f->setCaption(caption);
                f->setBackColor(d.back);
                f->setForeColor(d.fore);
                w = f;
                break;
            }
            case ui::Kind::Shape: {
                auto* s = new vb::Shape(parent);
                s->setBorderColor(d.fore);
                w = s;
                break;
            }
            case ui::Kind::Check:
            case ui::Kind::Command: {
                vb::ButtonBase* b = d.kind == ui::Kind::Check
                                        ? static_cast<vb::ButtonBase*>(new vb::CheckButton(parent))
                                        : new vb::CommandButton(parent);
                b->setCaption(caption);
                b->setBackColor(d.back);
                b->setForeColor(d.fore);
                b->setFocusPolicy(Qt::NoFocus);
                w = b;
                break;
            }
        }
        const QString name = QString::fromLatin1(d.name);
        w->setObjectName(name);
        w->setProperty("Tag", helpText(name));
        if (*d.face) w->setFont(vb::makeFont(QString::fromLatin1(d.face), d.points, d.bold));
        vb::setTwipsGeometry(w, d.left, d.top, d.width, d.height);
        w->setVisible(d.visible);
        controls_.insert(name, w);
        order_.append(name);
    }
    picTalomir = static_cast<vb::PictureBox*>(controls_.value(QStringLiteral("picTalomir")));
    shpTwo = static_cast<vb::Shape*>(controls_.value(QStringLiteral("shpTwo")));
    fraControl = static_cast<vb::Frame*>(controls_.value(QStringLiteral("fraControl")));
    lblPause = static_cast<vb::Label*>(controls_.value(QStringLiteral("lblPause")));
    cmdDown = static_cast<vb::CommandButton*>(controls_.value(QStringLiteral("cmdDown")));
    cmdLeftRight.add(
        0, static_cast<vb::CommandButton*>(controls_.value(QStringLiteral("cmdLeftRight(0)"))));
    cmdLeftRight.add(
        2, static_cast<vb::CommandButton*>(controls_.value(QStringLiteral("cmdLeftRight(2)"))));
    cmdRotate.add(0,
                  static_cast<vb::CommandButton*>(controls_.value(QStringLiteral("cmdRotate(0)"))));
    // Labels and shapes are drawn on their container, beneath every windowed control: so the
    // pause label lies under the control frame and shows only while the frame is hidden.
    for (auto it = mainWindowDesign().rbegin(); it != mainWindowDesign().rend(); ++it)
        if (it->kind == ui::Kind::Label || it->kind == ui::Kind::Shape)
            controls_.value(QString::fromLatin1(it->name))->lower();
    for (int c = 0; c < kCtlCount; ++c) {
        const auto ctl = static_cast<Ctl>(c);
        if (QWidget* w = controls_.value(QString::fromLatin1(ctlName(ctl)))) byCtl_.insert(c, w);
    }
}

void FrmMain::wireInput() {
    keys_ = new vb::KeyPreview(this);
    connect(keys_, &vb::KeyPreview::KeyDown, this,
            [this](int code, int) { input([&] { game_.Form_KeyDown(code); }); });
    connect(keys_, &vb::KeyPreview::KeyUp, this,
            [this](int code, int) { input([&] { game_.Form_KeyUp(code); }); });

    for (vb::CommandButton* b : cmdLeftRight.members()) {
        connect(b, &vb::ButtonBase::MouseDown, this, [this](int index, int, int, float, float) {
            input([&] { game_.cmdLeftRight_MouseDown(index); });
        });
        connect(b, &vb::ButtonBase::MouseUp, this, [this](int index, int, int, float, float) {
            input([&] { game_.cmdLeftRight_MouseUp(index); });
        });
    }
    connect(cmdRotate[0], &vb::ButtonBase::MouseDown, this,
            [this](int index, int, int, float, float) {
                input([&] { game_.cmdRotate_MouseDown(index); });
            });
    connect(cmdRotate[0], &vb::ButtonBase::MouseUp, this,
            [this](int index, int, int, float, float) {
                input([&] { game_.cmdRotate_MouseUp(index); });
            });
    connect(cmdDown, &vb::ButtonBase::MouseDown, this,
            [this](int, int, int, float, float) { input([&] { game_.cmdDown_MouseDown(); }); });
    connect(cmdDown, &vb::ButtonBase::MouseUp, this,
            [this](int, int, int, float, float) { input([&] { game_.cmdDown_MouseUp(); }); });

    static constexpr Ctl checks[] = {Ctl::chkPause, Ctl::chkHelp,   Ctl::chkDemo, Ctl::chkSet,
                                     Ctl::chkAuto,  Ctl::chkFuture, Ctl::chkRec,  Ctl::chkStat};
    for (Ctl c : checks) {
        auto* b = static_cast<vb::CheckButton*>(byCtl_.value(static_cast<int>(c)));
        connect(b, &vb::ButtonBase::Click, this, [this, b, c] {
            // The model setting the button raises Click too; only a change is the player's.
            if (game_.display[c].Value == b->value()) return;
            input([&] { game_.setCheckValue(c, b->value()); });
        });
        connect(b, &vb::ButtonBase::MouseUp, this,
                [this](int, int, int, float, float) { focusWell(); });
    }

    connect(&tmrDown, &vb::Timer::Tick, this, &FrmMain::fallTimerTick);
    connect(&tmrLevel, &vb::Timer::Tick, this, [this] { game_.tmrLevel_Timer(); });
    connect(&tmrMigCountLines, &vb::Timer::Tick, this, [this] { game_.tmrMigCountLines_Timer(); });
    connect(&tmrMigMenuControls, &vb::Timer::Tick, this,
            [this] { game_.tmrMigMenuControls_Timer(); });
    connect(&tmrDemo, &vb::Timer::Tick, this, [this] { input([this] { game_.tmrDemo_Timer(); }); });
    connect(this, &vb::FormSurface::Paint, this, &FrmMain::paintNextFigure);
}

void FrmMain::setFallTickMs(int ms) {
    fallTickMs_ = std::max(1, ms);
    startFallWait();
}

int FrmMain::ticksToSleep(bool midTick) const {
    // The countdown's number changes on every tick, far faster than anyone reads it: it is
    // shown again eight ticks (about 8 times a second) after it was last shown, at the end of a
    // wait or in the repaint of an input that came between two ticks, and a fall step due
    // within twice that shows it instead. A dropped figure is shown every fourth row (about 15
    // times a second, a streak too fast to follow row by row); the tick that lands it comes at
    // its own time.
    constexpr int kCountdownTicksPerPaint = 8;
    constexpr int kDropTicksPerPaint = 4;
    const int under = midTick ? 1 : 0;  // the tick under way is one of them
    if (game_.DropMode) return std::min(game_.dropTicksAhead(), kDropTicksPerPaint - 1 + under);
    const int quiet = game_.quietTicksAhead();
    if (!game_.countdownRunning() || quiet < 2 * kCountdownTicksPerPaint + under) return quiet;
    return kCountdownTicksPerPaint - 1 + under;
}

void FrmMain::startFallWait() {
    // The inert ticks and the one after them, which comes at its own time.
    fallWait_ = ticksToSleep() + 1;
    fallDelivered_ = 0;
    fallClock_.start();
    fallStart_ = std::chrono::steady_clock::now();
    tmrDown.setInterval(static_cast<int>(
        std::min<qint64>(qint64(fallWait_) * fallTickMs_, std::numeric_limits<int>::max())));
    handOverSweep();
}

void FrmMain::handOverSweep() {
    const std::chrono::milliseconds tick(fallTickMs_);
    game_.handOverSweep(fallWait_ - fallDelivered_,
                        {fallStart_ + (fallDelivered_ + 1) * tick, tick});
}

void FrmMain::fallTimerTick() {
    const int due = fallWait_ - fallDelivered_;
    fallDelivered_ = fallWait_;
    for (int i = 0; i < due; ++i) game_.tick();
    if (tmrDown.isEnabled()) startFallWait();
}

void FrmMain::catchUpFall() {
    if (!tmrDown.isEnabled() || fallWait_ <= 1) return;
    // Only the inert ticks of the wait can be due early; the last one keeps its time.
    const qint64 elapsed = fallClock_.elapsed() / fallTickMs_;
    const int due = static_cast<int>(std::min<qint64>(elapsed, fallWait_ - 1)) - fallDelivered_;
    if (due <= 0) return;
    fallDelivered_ += due;
    for (int i = 0; i < due; ++i) game_.tick();
}

void FrmMain::scheduleFall() {
    if (!tmrDown.isEnabled()) return;
    // The wait ends at the next tick that must come at its own time: sooner when the input made
    // a tick count (a drop), later when the ticks run before the input have just shown the
    // countdown in the input's own repaint.
    const int wait = fallDelivered_ + ticksToSleep(true) + 1;
    if (wait != fallWait_) {
        fallWait_ = wait;
        const qint64 left = qint64(fallWait_) * fallTickMs_ - fallClock_.elapsed();
        tmrDown.setInterval(
            static_cast<int>(std::clamp<qint64>(left, 1, std::numeric_limits<int>::max())));
    }
    handOverSweep();  // the input may have changed the sweep
}

void FrmMain::Form_Load() {
    // Relative paths of the settings mean the game's data folder.
    QDir::setCurrent(GameFolders::current().dataFolder());
    game_.Form_Load();
}

void FrmMain::applyControl(Ctl c) {
    const ControlState& s = game_.display[c];
    if (c == Ctl::frmMain) {
        setBackColor(s.BackColor);
        return;
    }
    QWidget* w = byCtl_.value(static_cast<int>(c));
    if (!w) return;
    if (auto* l = qobject_cast<vb::Label*>(w)) {
        l->setCaption(s.Caption);
        l->setForeColor(s.ForeColor);
        l->setVisible(s.Visible);
    } else if (auto* chk = qobject_cast<vb::CheckButton*>(w)) {
        chk->setBackColor(s.BackColor);
        chk->setValue(s.Value);
    } else if (auto* b = qobject_cast<vb::CommandButton*>(w)) {
        b->setBackColor(s.BackColor);
        b->setEnabled(s.Enabled);
    } else if (auto* sh = qobject_cast<vb::Shape*>(w)) {
        sh->setBorderColor(s.BorderColor);
    } else {
        w->setVisible(s.Visible);  // the control frame
    }
}

void FrmMain::controlChanged(Ctl c) {
    applyControl(c);
}

void FrmMain::timerChanged(Tmr t) {
    const bool on = game_.display.timer(t).Enabled;
    switch (t) {
        case Tmr::tmrDown:
            if (on) startFallWait();
            tmrDown.setEnabled(on);
            break;
        case Tmr::tmrLevel:
            tmrLevel.setEnabled(on);
            break;
        case Tmr::tmrMigCountLines:
            tmrMigCountLines.setEnabled(on);
            break;
        case Tmr::tmrMigMenuControls:
            tmrMigMenuControls.setEnabled(on);
            break;
        case Tmr::tmrDemo:
            // Each demo step sets the wait until the next one.
            if (tmrDemo.interval() != game_.display.timer(t).Interval)
                tmrDemo.setInterval(game_.display.timer(t).Interval);
            tmrDemo.setEnabled(on);
            break;
        case Tmr::Count:
            break;
    }
}

void FrmMain::layoutWindow() {
    picTalomir->setScale(3760, 7760);
    picTalomir->move(vb::twipsToPixels(120), vb::twipsToPixels(100));
    // The control frame, and the pause label in its place, centred under the well.
    const int fraLeft = (picTalomir->width() - fraControl->width()) / 2 + picTalomir->x();
    fraControl->move(fraLeft, vb::twipsToPixels(6840));
    NextBoxX = CInt((1452 - 1000) / 2.0 + 4080);
    NextBoxY = CInt((1452 - 1000) / 2.0 + 2520);
    Draw_Figure();
    Draw_Next_Figure();
    lblPause->move(fraLeft, vb::twipsToPixels(6840));
}

void FrmMain::Draw_Well() {
    const Playfield& f = game_.field;
    picTalomir->Clear();
    for (int c = 4; c <= Playfield::WellWidth - 4; ++c)
        for (int r = 0; r <= Playfield::WellHeight - 4; ++r)
            if (f.Well[c][r])
                cellSquare(picTalomir, true, (c - 4) * kCell, r * kCell, kSettledCell);
}

void FrmMain::Draw_Grid() {
    const vb::Color colour = game_.ranking.Place > 0 ? kGrid : kGridFirst;
    const int right = Playfield::WellWidth * kCell, bottom = Playfield::WellHeight * kCell;
    for (int x = 0; x <= right; x += kCell) picTalomir->Line(x, 0, x, bottom, colour);
    for (int y = 0; y <= bottom; y += kCell) picTalomir->Line(0, y, right, y, colour);
}

void FrmMain::Draw_Figure() {
    const Playfield& f = game_.field;
    const int c0 = f.FigX <= Playfield::WellWidth - 4 ? f.FigX - 1 : f.FigX;
    const int r0 = f.FigY != 0 ? f.FigY - 1 : 0;
    for (int c = c0; c <= c0 + 5; ++c) {
        for (int r = r0; r <= r0 + 4; ++r) {
            const int x = (c - 4) * kCell, y = r * kCell;
            const bool inBox = r >= f.FigY && r <= f.FigY + 3 && c >= f.FigX && c <= f.FigX + 3;
            if (inBox && f.Fig[c - f.FigX][r - f.FigY]) {
                cellSquare(picTalomir, false, x, y, kFallingCell);
            } else if (c >= 3 && c <= Playfield::WellWidth - 3 && r >= 0 && r < Playfield::kRows &&
                       !f.Well[c][r]) {
                cellSquare(picTalomir, true, x, y, 0);
            }
        }
    }
}

void FrmMain::Draw_Next_Figure() {
    update(vb::twipsRect(NextBoxX, NextBoxY, 1000, 1000).adjusted(-1, -1, 1, 1));
}

void FrmMain::paintNextFigure() {
    FilledBox(NextBoxX, NextBoxY, NextBoxX + 1000, NextBoxY + 1000, 0);
    const vb::Color colour = game_.scoring.ColorFigura;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (game_.FigNext[i][j])
                filledSquare(this, NextBoxX + i * kCell, NextBoxY + j * kCell, colour);
}

void FrmMain::Draw_Future() {
    vb::PictureBox* pic = frmFuture()->picFuture;
    pic->Clear();
    for (int k = 3; k <= 5; ++k) {
        const int y0 = (k - 3) * 1200;
        int n = 0;
        for (int a = 1; a <= 4; ++a) {
            for (int b = 1; b <= 4; ++b) {
                const char ch = game_.Queue[k].Mask[static_cast<std::size_t>(n++)];
                cellSquare(pic, false, a * kCell, y0 + b * kCell,
                           ch == '1' ? kPreviewOne : kPreviewZero);
            }
        }
    }
}

FrmTalomiFathers* FrmMain::frmTalomiFathers() {
    if (!fathers_) {
        fathers_ = new FrmTalomiFathers(this);
        vb::Forms::add(QStringLiteral("frmTalomiFathers"), fathers_);
    }
    return fathers_;
}

FrmStatistic* FrmMain::frmStatistic() {
    if (!statistic_) {
        statistic_ = new FrmStatistic(this);
        vb::Forms::add(QStringLiteral("frmStatistic"), statistic_);
        statisticStale_ = true;
    }
    if (std::exchange(statisticStale_, false)) {
        QListWidget* list = statistic_->lstStatistic;
        list->clear();
        list->addItems(game_.log.lines());
        selectRow(list, game_.log.ListIndex());
    }
    return statistic_;
}

QListWidget* FrmMain::shownStatistic() {
    // A hidden list is filled when it is next shown or read: each landing would otherwise cost
    // the window a layout of the list.
    if (!statistic_ || !statistic_->isVisible()) {
        statisticStale_ = true;
        return nullptr;
    }
    if (statisticStale_) {
        frmStatistic();  // filled afresh, with the change under way
        return nullptr;
    }
    return statistic_->lstStatistic;
}

FrmFuture* FrmMain::frmFuture() {
    if (!future_) {
        future_ = new FrmFuture(this);
        vb::Forms::add(QStringLiteral("frmFuture"), future_);
    }
    return future_;
}

void FrmMain::logCleared() {
    if (QListWidget* list = shownStatistic()) list->clear();
}

void FrmMain::logAppended(const QString& line) {
    if (QListWidget* list = shownStatistic()) list->addItem(line);
}

void FrmMain::logSelected(int index) {
    if (QListWidget* list = shownStatistic()) selectRow(list, index);
}

void FrmMain::tableFilled(const QStringList& lines) {
    QListWidget* list = frmTalomiFathers()->lstTable;
    list->clear();
    list->addItems(lines);
}

void FrmMain::tableSelected(int index) {
    selectRow(frmTalomiFathers()->lstTable, index);
}

void FrmMain::showSide(QWidget* window, bool visible) {
    if (visible) {
        window->show();
        window->raise();
    } else {
        window->hide();
    }
    focusWell();
}

void FrmMain::checkClicked(Ctl c) {
    const int value = game_.display[c].Value;
    switch (c) {
        case Ctl::chkRec:
            showSide(frmTalomiFathers(), value == 1);
            break;
        case Ctl::chkStat:
            showSide(frmStatistic(), value == 1);
            break;
        case Ctl::chkFuture:
            showSide(frmFuture(), value == 1);
            break;
        case Ctl::chkAuto:
            if (value == 1) dock();
            break;
        case Ctl::chkSet:
            // The game goes on behind the window; the button stays pressed while it is open.
            if (value == 1) {
                if (hooks_.showSettings) hooks_.showSettings();
                game_.setCheckValue(c, 0);
            }
            focusWell();
            break;
        case Ctl::chkHelp:
            // The tour starts from the event loop, once the click has been handled.
            if (value == 1)
                QTimer::singleShot(0, this, [this] {
                    if (touring_ || game_.display[Ctl::chkHelp].Value != 1) return;
                    touring_ = true;
                    runHelpTour(*this);
                    touring_ = false;
                });
            else
                focusWell();
            break;
        default:
            break;
    }
}

void FrmMain::dock() {
    FrmTalomiFathers* fathers = frmTalomiFathers();
    FrmFuture* future = frmFuture();
    FrmStatistic* stat = frmStatistic();
    // Outer frames, in pixels. A side window the window system has not framed yet (it was never
    // shown) reports its bare size: its frame is taken to be as thick as the main window's, so
    // the first docking already leaves the gaps and lines up the bottom edges.
    const QRect m = frameGeometry();
    const QSize border = m.size() - size();
    auto outer = [&border](const QWidget* w) {
        const QSize framed = w->frameGeometry().size();
        return framed != w->size() ? framed : w->size() + border;
    };
    const int gap = vb::twipsToPixels(20);
    const int column = m.left() + m.width() + gap;
    // Placed before it is shown, so it never appears elsewhere first; shown even when its
    // button is already on (the user may have closed it since).
    auto place = [this](QWidget* w, QPoint at, Ctl button) {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->move(at);
        w->show();
        w->raise();
        game_.setCheckValue(button, 1);
    };
    place(fathers, {column, m.top() + m.height() - outer(fathers).height()}, Ctl::chkRec);
    place(stat, {column + outer(future).width() + gap, m.top()}, Ctl::chkStat);
    place(future, {column, m.top()}, Ctl::chkFuture);
    focusWell();
}

void FrmMain::focusWell() {
    if (isVisible() && !isActiveWindow()) vb::activate(this);
    picTalomir->setFocus();
}

void FrmMain::setMainWindowState(int state) {
    if (state == 1) {
        showMinimized();
    } else {
        if (isMinimized()) showNormal();
        vb::activate(this);
        raise();
    }
}

void FrmMain::changeEvent(QEvent* event) {
    vb::FormSurface::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const bool minimized = isMinimized();
    if (minimized) input([this] { game_.Form_Resize(true); });
    // The side windows follow the main window's state.
    for (QWidget* w :
         {static_cast<QWidget*>(fathers_.data()), static_cast<QWidget*>(statistic_.data()),
          static_cast<QWidget*>(future_.data())}) {
        if (!w || !w->isVisible()) continue;
        if (minimized)
            w->showMinimized();
        else
            w->showNormal();
    }
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    vb::FormSurface::resizeEvent(event);
    const QSize design(vb::twipsToPixels(kMainClientWidth), vb::twipsToPixels(kMainClientHeight));
    if (!isMinimized() && size() != design) resize(design);  // the size never changes
}

void FrmMain::syncSideWindowButtons() {
    game_.setCheckValue(Ctl::chkRec, frmTalomiFathers()->isVisible() ? 1 : 0);
    game_.setCheckValue(Ctl::chkStat, frmStatistic()->isVisible() ? 1 : 0);
    game_.setCheckValue(Ctl::chkFuture, frmFuture()->isVisible() ? 1 : 0);
}

void FrmMain::firstLoad() {
    if (hooks_.firstLoad) hooks_.firstLoad();
}

void FrmMain::unloadSettingsAndHelp() {
    // The file chooser first: it may be open over the settings window.
    vb::Forms::unload(QStringLiteral("frmOpen"));
    vb::Forms::unload(QStringLiteral("frmSettings"));
    vb::Forms::unload(QStringLiteral("frmHelp"));
}

bool FrmMain::askPlayerName(QString& name) {
    if (hooks_.askPlayerName) return hooks_.askPlayerName(name);
    FrmEnterName dialog(this);
    dialog.exec();
    name = dialog.PlayerName;
    return !dialog.bCancelRecord;
}

bool FrmMain::askNewGame() {
    if (closing_) return false;  // closed while the game's end was being stored
    if (hooks_.askNewGame) return hooks_.askNewGame();
    FrmGameOver dialog(this);
    dialog.exec();
    return dialog.blnContinue;
}

void FrmMain::endProgram() {
    // The normal way out, so that the closing handler saves the settings.
    close();
}

void FrmMain::Form_QueryUnload() {
    if (closing_) return;
    closing_ = true;
    if (hooks_.saveSettings) hooks_.saveSettings();
    tmrDown.setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(frmTalomiFathers()),
                       static_cast<QWidget*>(frmStatistic()), static_cast<QWidget*>(frmFuture())})
        vb::Forms::unload(w);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    // The application asked to quit (the session ends): the settings are saved and the side
    // windows unloaded first, or their close guard would refuse and cancel the quit.
    if (watched == qApp && event->type() == QEvent::Quit) Form_QueryUnload();
    return vb::FormSurface::eventFilter(watched, event);
}

}  // namespace talomir::ui
