// The controls as drawn and as they report the mouse, and the window's key preview.
#include <QApplication>
#include <QLineEdit>
#include <QtTest>

#include "ui/toolkit/controlarray.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/keypreview.h"
#include "ui/toolkit/surface.h"

using namespace vb;

namespace {

constexpr Color kWhite = 0xFFFFFF, kBlack = 0, kGrey = 0x808080, kLight = 0xDFDFDF;

Color at(QWidget* w, int x, int y) {
    return toColor(w->grab().toImage().pixelColor(x, y));
}

// How many pixels near a colour (antialiased text) a control shows inside `area`.
int count(QWidget* w, Color colour, QRect area = {}) {
    const QImage image = w->grab().toImage();
    if (area.isNull()) area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y), want = toQColor(colour);
            n += std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                     std::abs(c.blue() - want.blue()) <
                 150;
        }
    return n;
}

// A control that records the keys it gets.
struct KeySink : QWidget {
    using QWidget::QWidget;
    QList<int> keys;
    void keyPressEvent(QKeyEvent* e) override { keys << e->key(); }
};

// A window like the main one: a well surface with the focus and buttons beside it.
struct KeyWindow {
    KeyWindow() {
        window.resize(300, 200);
        pic = new PictureBox(&window);
        pic->setGeometry(0, 0, 100, 100);
        button = new CommandButton(&window);
        button->setGeometry(110, 0, 40, 20);
        (new CommandButton(&window))->setGeometry(160, 0, 40, 20);
        sink = new KeySink(&window);
        sink->setFocusPolicy(Qt::StrongFocus);
        sink->setGeometry(210, 0, 40, 20);
        preview = new KeyPreview(&window);
        QObject::connect(preview, &KeyPreview::KeyDown, [this](int c, int s) {
            downs.append({c, s});
        });
        QObject::connect(preview, &KeyPreview::KeyUp, [this](int c, int s) { ups.append({c, s}); });
        QObject::connect(preview, &KeyPreview::KeyPress, [this](int c) { presses.append(c); });
    }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    QWidget window;
    PictureBox* pic;
    CommandButton* button;
    KeySink* sink;
    KeyPreview* preview;
    QList<QPair<int, int>> downs, ups;
    QList<int> presses;
};

}  // namespace

class TestToolkitControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle("Fusion"); }

    // A raised button has light top-left edges and dark bottom-right ones, a pressed one the
    // reverse; the caption in ForeColor, greyed and embossed when disabled.
    void buttonsDrawTheirState() {
        QWidget window;
        auto* cmd = new CommandButton(&window);
        auto* chk = new CheckButton(&window);
        for (ButtonBase* b : {static_cast<ButtonBase*>(cmd), static_cast<ButtonBase*>(chk)}) {
            b->setGeometry(b == cmd ? 0 : 50, 0, 40, 20);
            b->setBackColor(0x00FF00);
            b->setForeColor(0x0000FF);
            b->setCaption("H");
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Color raised[] = {at(cmd, 0, 0), at(cmd, 1, 1), at(cmd, 39, 19), at(cmd, 38, 18),
                                at(cmd, 38, 0)};
        QCOMPARE(QList<Color>(std::begin(raised), std::end(raised)),
                 (QList<Color>{kWhite, kLight, kBlack, kGrey, kWhite}));

        QCOMPARE(at(cmd, 5, 10), Color(0x00FF00));
        QCOMPARE(at(cmd, 3, 10), Color(0x0000FF));  // the focus outline
        QVERIFY(count(cmd, 0x0000FF, cmd->captionRect()) > 10);
        chk->setValue(1);
        const Color sunken[] = {at(chk, 0, 0), at(chk, 1, 1), at(chk, 39, 19), at(chk, 38, 18),
                                at(chk, 0, 18)};
        QCOMPARE(QList<Color>(std::begin(sunken), std::end(sunken)),
                 (QList<Color>{kBlack, kGrey, kWhite, kLight, kBlack}));
        cmd->setEnabled(false);
        QCOMPARE(count(cmd, 0x0000FF), 0);
        QVERIFY(count(cmd, kGrey, cmd->captionRect()) > 10 &&
                count(cmd, kWhite, cmd->captionRect()) > 10);
    }

    void buttonsReportEveryMouseButton() {
        QWidget window;
        CommandButton cmd(&window);
        cmd.setGeometry(0, 0, 33, 17);
        ControlArray<CommandButton> array;
        array.add(2, &cmd);
        QCOMPARE(array[1], nullptr);
        QSignalSpy downs(&cmd, &ButtonBase::MouseDown), ups(&cmd, &ButtonBase::MouseUp),
            clicks(&cmd, &ButtonBase::Click);
        QTest::mouseClick(&cmd, Qt::RightButton, Qt::ShiftModifier, QPoint(10, 4));
        QCOMPARE(downs.at(0), (QVariantList{2, kRightButton, kShiftMask, 150.0f, 60.0f}));  // twips
        QCOMPARE(ups.at(0), downs.at(0));
        QTest::mouseClick(&cmd, Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(downs.at(1).mid(1, 2), (QVariantList{kMiddleButton, kCtrlMask | kAltMask}));
        QCOMPARE(clicks.count(), 0);  // only the left button clicks
        // A double click comes as a press and a double-click event, which is no further press.
        QTest::mousePress(&cmd, Qt::LeftButton);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), cmd.mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&cmd, &dbl);
        QTest::mouseRelease(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 3);
        QCOMPARE(clicks.count(), 1);
        cmd.setEnabled(false);
        QTest::mouseClick(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 3);

        CheckButton chk;
        chk.resize(57, 17);
        QList<int> seen;  // the handler sees the new value
        connect(&chk, &CheckButton::Click, [&] { seen.append(chk.value()); });
        for (int v : {1, 1, 0, 5}) chk.setValue(v);  // no change, no click; non-zero is 1
        QTest::mouseClick(&chk, Qt::LeftButton);
        QTest::mouseClick(&chk, Qt::RightButton);  // does not toggle
        QCOMPARE(seen, (QList<int>{1, 0, 1, 0}));
    }

    // Labels wrap at blanks and break at line ends, aligned as asked; frames draw an etched
    // border the caption interrupts; a shape is a circle in its border colour.
    void labelsFramesAndShapes() {
        QWidget window;
        window.resize(300, 200);
        window.setStyleSheet("background: #0000ff");
        auto* label = new Label(&window);
        label->setGeometry(0, 0, 129, 33);
        label->setForeColor(0x00FFFF);
        const qreal line = QFontMetricsF(label->font()).height();
        for (const char* text : {"A\r\nB", "A\nB", "A\rB", "Level # 0 Level # 0 Level # 0"}) {
            label->setCaption(text);
            QVERIFY2(label->textBounds().height() >= 2 * line && label->textBounds().width() <= 129,
                     text);
        }
        const struct {
            Alignment align;
            qreal left, right;
        } rows[] = {
            {Alignment::Left, 0, 60}, {Alignment::Center, 50, 80}, {Alignment::Right, 100, 129}};
        label->setCaption("ab");
        for (const auto& r : rows) {
            label->setAlignment(r.align);
            const QRectF b = label->textBounds();
            QVERIFY(b.left() >= r.left && b.right() <= r.right + 0.5 && b.right() > r.left);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(count(label, 0x00FFFF) > 5);
        QCOMPARE(at(label, 2, 30), Color(0xC0C0C0));
        label->setTransparent(true);  // shows its container
        QCOMPARE(at(&window, 2, 30), Color(0xFF0000));

        auto* frame = new Frame(&window);
        frame->setGeometry(0, 40, 200, 60);
        frame->setCaption("Ab");
        frame->setForeColor(0x00FFFF);
        frame->show();
        const int top = frame->fontMetrics().height() / 2;
        QCOMPARE(at(frame, 150, top), Color(kGrey));
        QCOMPARE(at(frame, 151, top + 1), Color(kWhite));
        QCOMPARE(at(frame, 0, 50), Color(kGrey));
        QCOMPARE(at(frame, 198, 50), Color(kGrey));
        QCOMPARE(at(frame, 100, 58), Color(kGrey));
        QCOMPARE(
            count(frame, kGrey, QRect(7, top, frame->fontMetrics().horizontalAdvance("Ab"), 1)), 0);
        QVERIFY(count(frame, 0x00FFFF, frame->captionRect()) > 5);

        auto* shape = new Shape(&window);
        shape->setGeometry(210, 0, 41, 41);
        shape->setBorderColor(0x00FF00);
        shape->show();
        QCOMPARE(at(&window, 210, 20), Color(0x00FF00));
        QCOMPARE(at(&window, 250, 20), Color(0x00FF00));
        QCOMPARE(at(&window, 230, 0), Color(0x00FF00));
        QCOMPARE(at(&window, 230, 20), Color(0xFF0000));
    }

    void virtualKeyCodes() {
        const struct {
            int key, modifiers, code;
        } cases[] = {{Qt::Key_Escape, 0, 27},
                     {Qt::Key_Left, 0, 37},
                     {Qt::Key_Down, 0, 40},
                     {Qt::Key_Enter, Qt::KeypadModifier, 13},
                     {Qt::Key_A, 0, 'A'},
                     {Qt::Key_7, 0, '7'},
                     {Qt::Key_7, Qt::KeypadModifier, 103},
                     {Qt::Key_F12, 0, 123},
                     {Qt::Key_unknown, 0, 0}};
        for (const auto& c : cases)
            QCOMPARE(virtualKeyCode(c.key, Qt::KeyboardModifiers(c.modifiers)), c.code);
    }

    // Every key reaches the window once before the focused control; the arrows stay with the
    // window, the others go on to the control.
    void keysReachTheWindowFirst() {
        KeyWindow w;
        auto* edit = new QLineEdit(&w.window);  // added after the preview was installed
        edit->setGeometry(0, 120, 100, 20);
        QVERIFY(w.show());
        w.pic->setFocus();
        QTest::keyClick(w.pic, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
        const int both = kShiftMask | kCtrlMask;
        QCOMPARE(w.downs, (QList<QPair<int, int>>{{16, kShiftMask}, {17, both}, {40, both}}));
        QCOMPARE(w.ups, (QList<QPair<int, int>>{{40, both}, {17, kShiftMask}, {16, 0}}));
        for (Qt::Key arrow : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
            w.button->setFocus();
            QTest::keyClick(w.button, arrow);
            QCOMPARE(QApplication::focusWidget(), w.button);  // the arrow did not move the focus
            w.sink->setFocus();
            QTest::keyClick(w.sink, arrow);
        }
        QTest::keyClick(w.sink, Qt::Key_Space);
        QCOMPARE(w.sink->keys, QList<int>{Qt::Key_Space});
        QCOMPARE(w.downs.size(), 12);
        edit->setText("ab");
        edit->setFocus();
        edit->setCursorPosition(1);
        QTest::keyClicks(edit, "c");
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text(), QString("acb"));
        QCOMPARE(w.presses, (QList<int>{' ', 'c', 27}));  // arrows have no character
        QCOMPARE(w.downs.mid(12), (QList<QPair<int, int>>{{67, 0}, {27, 0}}));
        w.preview->setConsumeArrowKeys(false);
        QTest::keyClick(w.sink, Qt::Key_Down);
        QCOMPARE(w.sink->keys.last(), int(Qt::Key_Down));
    }

    void autoRepeatAndOwnedWindows() {
        KeyWindow w;
        QVERIFY(w.show());
        w.pic->setFocus();
        const std::pair<QEvent::Type, bool> sequence[] = {{QEvent::KeyPress, false},
                                                          {QEvent::KeyRelease, true},
                                                          {QEvent::KeyPress, true},
                                                          {QEvent::KeyRelease, false}};
        for (auto [type, repeat] : sequence) {
            QKeyEvent e(type, Qt::Key_Down, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(w.pic, &e);
        }
        QCOMPARE(w.downs.size(), 2);
        QCOMPARE(w.ups, (QList<QPair<int, int>>{{40, 0}}));
        QWidget dialog(&w.window, Qt::Dialog);  // owned by the window, a window of its own
        auto* edit = new QLineEdit(&dialog);
        dialog.show();
        QTest::keyClick(edit, Qt::Key_X);
        QCOMPARE(edit->text(), QString("x"));
        QCOMPARE(w.downs.size(), 2);
    }
};

QTEST_MAIN(TestToolkitControls)
#include "test_toolkit_controls.moc"
