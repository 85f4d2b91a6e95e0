#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <QtTest>

#include "ui/toolkit/controlarray.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/keypreview.h"
#include "ui/toolkit/surface.h"

using namespace vb;

namespace {

struct KeyRecord {
    QList<QPair<int, int>> downs, ups;
    QList<int> presses;
    void attach(KeyPreview* preview) {
        QObject::connect(preview, &KeyPreview::KeyDown, [this](int code, int shift) {
            downs.append({code, shift});
        });
        QObject::connect(preview, &KeyPreview::KeyUp, [this](int code, int shift) {
            ups.append({code, shift});
        });
        QObject::connect(preview, &KeyPreview::KeyPress, [this](int c) { presses.append(c); });
    }
};

// A window like the main one: a well surface with the focus and buttons beside it.
struct KeyWindow {
    KeyWindow() {
        window.resize(300, 200);
        pic = new PictureBox(&window);
        pic->setGeometry(0, 0, 100, 100);
        first = new CommandButton(&window);
        first->setGeometry(110, 0, 40, 20);
        second = new CommandButton(&window);
        second->setGeometry(160, 0, 40, 20);
        preview = new KeyPreview(&window);
        record.attach(preview);
    }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    QWidget window;
    PictureBox* pic;
    CommandButton* first;
    CommandButton* second;
    KeyPreview* preview;
    KeyRecord record;
};

}  // namespace

class TestToolkitControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle("Fusion"); }

    void checkButtonClickOnEveryChangeOfValue() {
        CheckButton chk;
        chk.resize(57, 17);
        QList<int> valuesSeen;  // the handler sees the new value
        connect(&chk, &CheckButton::Click, [&] { valuesSeen.append(chk.value()); });
        for (int v : {1, 1, 0, 5}) chk.setValue(v);  // no change, no click; non-zero is 1
        QCOMPARE(valuesSeen, (QList<int>{1, 0, 1}));
        QTest::mouseClick(&chk, Qt::LeftButton);
        QTest::mouseClick(&chk, Qt::RightButton);  // reports mouse events but does not toggle
        QTest::mouseClick(&chk, Qt::LeftButton);
        QCOMPARE(valuesSeen, (QList<int>{1, 0, 1, 0, 1}));
    }

    void commandButtonReportsEveryMouseButtonWithItsIndex() {
        QWidget window;
        CommandButton cmd(&window);
        cmd.setGeometry(0, 0, 33, 17);
        cmd.setIndex(2);
        QSignalSpy downs(&cmd, &ButtonBase::MouseDown);
        QSignalSpy ups(&cmd, &ButtonBase::MouseUp);
        QSignalSpy clicks(&cmd, &ButtonBase::Click);
        QTest::mouseClick(&cmd, Qt::RightButton, Qt::ShiftModifier, QPoint(10, 4));
        QCOMPARE(downs.at(0), (QVariantList{2, kRightButton, kShiftMask, 150.0f, 60.0f}));  // twips
        QCOMPARE(ups.count(), 1);
        QTest::mouseClick(&cmd, Qt::MiddleButton);
        QCOMPARE(downs.at(1).at(1).toInt(), kMiddleButton);
        QCOMPARE(clicks.count(), 0);  // only the left button clicks

        // A double click comes as a press followed by a double-click event, which must not
        // count as one more press.
        QTest::mouseClick(&cmd, Qt::LeftButton);
        QTest::mousePress(&cmd, Qt::LeftButton);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), cmd.mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&cmd, &dbl);
        QTest::mouseRelease(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 4);
        QCOMPARE(ups.count(), 4);
        QCOMPARE(clicks.count(), 2);
        cmd.setEnabled(false);  // a disabled button raises nothing
        QTest::mouseClick(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 4);
    }

    void controlArrayMembersMayHaveGaps() {
        QWidget frame;
        ControlArray<CommandButton> cmdLeftRight;
        auto* left = new CommandButton(&frame);
        auto* right = new CommandButton(&frame);
        cmdLeftRight.add(0, left);
        cmdLeftRight.add(2, right);
        QCOMPARE(cmdLeftRight[1], nullptr);
        QCOMPARE(cmdLeftRight.item(7), nullptr);
        delete left;  // a destroyed member is gone, not dangling
        QCOMPARE(cmdLeftRight[0], nullptr);
        QCOMPARE(cmdLeftRight.indices(), (std::vector<int>{2}));
    }

    void labelsWrapAndMayBeTransparent() {
        QWidget window;
        window.resize(200, 60);
        window.setStyleSheet("background: #0000ff");
        window.setAutoFillBackground(true);
        auto* label = new Label(&window);
        label->setGeometry(0, 0, 129, 33);
        label->setBackColor(0x000000);
        const qreal line = QFontMetricsF(label->font()).height();
        label->setCaption("Level # 0 Level # 0 Level # 0");
        QVERIFY(label->textBounds().height() >= 2 * line);
        QVERIFY(label->textBounds().width() <= label->width());
        label->setCaption("A\r\nB");
        QCOMPARE(label->textBounds().height(), 2 * line);
        label->setCaption("");
        label->setTransparent(true);  // shows its container
        QCOMPARE(toColor(window.grab().toImage().pixelColor(5, 5)), Color(0xFF0000));
        label->setTransparent(false);
        QCOMPARE(toColor(window.grab().toImage().pixelColor(5, 5)), Color(0));
    }

    void virtualKeyCodes() {
        const struct {
            int key, modifiers, code;
        } cases[] = {{Qt::Key_Escape, 0, 27}, {Qt::Key_Left, 0, 37},
                     {Qt::Key_Down, 0, 40},   {Qt::Key_Enter, Qt::KeypadModifier, 13},
                     {Qt::Key_A, 0, 'A'},     {Qt::Key_7, Qt::KeypadModifier, 103},
                     {Qt::Key_F12, 0, 123},   {Qt::Key_unknown, 0, 0}};
        for (const auto& c : cases)
            QCOMPARE(virtualKeyCode(c.key, Qt::KeyboardModifiers(c.modifiers)), c.code);
    }

    void keysReachTheWindowBeforeTheFocusedControl() {
        KeyWindow w;
        QVERIFY(w.show());
        w.pic->setFocus();
        QCOMPARE(QApplication::focusWidget(), w.pic);

        QTest::keyPress(w.pic, Qt::Key_Left);
        QTest::keyRelease(w.pic, Qt::Key_Left);
        QTest::keyClick(w.pic, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
        QTest::keyClick(w.pic, Qt::Key_Escape);
        // Each key once, however far it travels up; Shift and Ctrl are keys of their own.
        const int both = kShiftMask | kCtrlMask;
        QCOMPARE(w.record.downs, (QList<QPair<int, int>>{
                                     {37, 0}, {16, kShiftMask}, {17, both}, {40, both}, {27, 0}}));
        QCOMPARE(w.record.ups,
                 (QList<QPair<int, int>>{{37, 0}, {40, both}, {17, kShiftMask}, {16, 0}, {27, 0}}));
        QCOMPARE(w.record.presses, (QList<int>{27}));  // Esc has a character, arrows none
        QCOMPARE(QApplication::focusWidget(), w.pic);

        // A key sent to the window itself is reported too.
        QTest::keyClick(&w.window, Qt::Key_Up);
        QCOMPARE(w.record.downs.last(), (QPair<int, int>{38, 0}));
        QCOMPARE(w.record.downs.size(), 6);
    }

    void keysStillReachTheFocusedControl() {
        KeyWindow w;
        auto* edit = new QLineEdit(&w.window);  // added after the preview was installed
        edit->setGeometry(0, 120, 100, 20);
        QVERIFY(w.show());
        edit->setFocus();
        QCOMPARE(QApplication::focusWidget(), edit);
        QTest::keyClicks(edit, "ab");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), QString("ab"));
        QCOMPARE(w.record.downs, (QList<QPair<int, int>>{{65, 0}, {66, 0}, {13, 0}}));
        QCOMPARE(w.record.presses, (QList<int>{'a', 'b', 13}));
        QTest::keyClick(edit, 'C', Qt::ShiftModifier);
        QCOMPARE(w.record.downs.last(), (QPair<int, int>{67, kShiftMask}));
        QCOMPARE(w.record.presses.last(), int('C'));
        QCOMPARE(edit->text(), QString("abC"));
        // Space still presses a focused button.
        QSignalSpy clicks(w.first, &ButtonBase::Click);
        w.first->setFocus();
        QTest::keyClick(w.first, Qt::Key_Space);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(w.record.downs.last(), (QPair<int, int>{32, 0}));
    }

    void arrowKeysDoNotMoveTheFocus() {
        {
            KeyWindow w;
            QVERIFY(w.show());
            w.first->setFocus();
            QTest::keyClick(w.first, Qt::Key_Right);
            QTest::keyClick(w.first, Qt::Key_Left);
            QCOMPARE(QApplication::focusWidget(), w.first);
            QCOMPARE(w.record.downs.size(), 2);
        }
        {
            // Without the preview's guard a button hands the focus on with the arrows.
            KeyWindow w;
            w.preview->setConsumeArrowKeys(false);
            QVERIFY(w.show());
            w.first->setFocus();
            QTest::keyClick(w.first, Qt::Key_Right);
            QVERIFY(QApplication::focusWidget() != w.first);
            QCOMPARE(w.record.downs.size(), 1);
        }
    }

    void autoRepeatGivesFurtherKeyDownsAndOneKeyUp() {
        KeyWindow w;
        QVERIFY(w.show());
        w.pic->setFocus();
        auto send = [&](QEvent::Type type, bool repeat) {
            QKeyEvent e(type, Qt::Key_Down, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(w.pic, &e);
        };
        send(QEvent::KeyPress, false);
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
        send(QEvent::KeyRelease, false);
        QCOMPARE(w.record.downs.size(), 3);
        QCOMPARE(w.record.ups, (QList<QPair<int, int>>{{40, 0}}));
    }

    void ownedWindowsKeepTheirKeys() {
        KeyWindow w;
        QVERIFY(w.show());
        QWidget dialog(&w.window, Qt::Dialog);  // owned by the window, a window of its own
        auto* edit = new QLineEdit(&dialog);
        dialog.show();
        QTest::keyClick(edit, Qt::Key_X);
        QCOMPARE(edit->text(), QString("x"));
        QVERIFY(w.record.downs.isEmpty());
    }
};

QTEST_MAIN(TestToolkitControls)
#include "test_toolkit_controls.moc"
