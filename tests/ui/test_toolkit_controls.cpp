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

Color pixelOf(QWidget& w, QPoint p) {
    return toColor(w.grab().toImage().pixelColor(p));
}

bool hasPixel(const QImage& img, Color colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (toColor(img.pixelColor(x, y)) == colour) return true;
    return false;
}

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
        QSignalSpy clicks(&chk, &CheckButton::Click);
        QList<int> valuesSeen;
        connect(&chk, &CheckButton::Click, [&] { valuesSeen.append(chk.value()); });

        chk.setValue(1);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(chk.value(), 1);
        chk.setValue(1);  // no change, no click
        QCOMPARE(clicks.count(), 1);
        chk.setValue(0);
        QCOMPARE(clicks.count(), 2);
        chk.setValue(5);  // any non-zero value presses it in
        QCOMPARE(chk.value(), 1);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(valuesSeen, (QList<int>{1, 0, 1}));  // the handler sees the new value

        // The user's click: one Click per click, the value toggles.
        chk.setValue(0);
        clicks.clear();
        QTest::mouseClick(&chk, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(chk.value(), 1);
        QTest::mouseClick(&chk, Qt::LeftButton);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(chk.value(), 0);
        // The right button reports mouse events but does not toggle.
        QSignalSpy ups(&chk, &ButtonBase::MouseUp);
        QTest::mouseClick(&chk, Qt::RightButton);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(chk.value(), 0);
        QCOMPARE(ups.count(), 1);
        QCOMPARE(ups.at(0).at(1).toInt(), kRightButton);
    }

    void checkButtonStaysDownWhileValueIsOne() {
        CheckButton chk;
        chk.resize(57, 17);
        chk.setBackColor(0x0000C0);
        // Raised: light top-left edge; pressed in: dark top-left edge.
        QCOMPARE(pixelOf(chk, {5, 0}), Color(0xFFFFFF));
        chk.setValue(1);
        QCOMPARE(pixelOf(chk, {5, 0}), Color(0x000000));
        QCOMPARE(pixelOf(chk, {28, 8}), Color(0x0000C0));
    }

    void commandButtonShowsItsBackColor() {
        QCOMPARE(QApplication::style()->name().toLower(), QString("fusion"));
        CommandButton cmd;
        cmd.resize(33, 17);
        cmd.setBackColor(QBColor(12));
        QImage face = cmd.grab().toImage();
        QCOMPARE(toColor(face.pixelColor(16, 8)), QBColor(12));
        QCOMPARE(toColor(face.pixelColor(3, 3)), QBColor(12));
        // The caption is drawn in ForeColor on top of the face.
        cmd.setBackColor(0x000000);
        cmd.setForeColor(0x00FFFF);
        cmd.setCaption("V");
        QVERIFY(hasPixel(cmd.grab().toImage(), 0x00FFFF));
    }

    void commandButtonReportsEveryMouseButtonWithItsIndex() {
        QWidget window;
        CommandButton cmd(&window);
        cmd.setGeometry(0, 0, 33, 17);
        cmd.setIndex(2);
        QSignalSpy downs(&cmd, &ButtonBase::MouseDown);
        QSignalSpy ups(&cmd, &ButtonBase::MouseUp);
        QSignalSpy clicks(&cmd, &ButtonBase::Click);

        QTest::mousePress(&cmd, Qt::RightButton, Qt::ShiftModifier, QPoint(10, 4));
        QCOMPARE(downs.count(), 1);
        QCOMPARE(downs.at(0).at(0).toInt(), 2);  // Index
        QCOMPARE(downs.at(0).at(1).toInt(), kRightButton);
        QCOMPARE(downs.at(0).at(2).toInt(), kShiftMask);
        QCOMPARE(downs.at(0).at(3).toFloat(), 150.0f);  // twips
        QCOMPARE(downs.at(0).at(4).toFloat(), 60.0f);
        QCOMPARE(ups.count(), 0);
        QTest::mouseRelease(&cmd, Qt::RightButton, {}, QPoint(10, 4));
        QCOMPARE(ups.count(), 1);
        QCOMPARE(ups.at(0).at(1).toInt(), kRightButton);
        QCOMPARE(clicks.count(), 0);

        QTest::mouseClick(&cmd, Qt::MiddleButton);
        QCOMPARE(downs.count(), 2);
        QCOMPARE(downs.at(1).at(1).toInt(), kMiddleButton);
        QCOMPARE(ups.count(), 2);

        QTest::mouseClick(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 3);
        QCOMPARE(downs.at(2).at(1).toInt(), kLeftButton);
        QCOMPARE(ups.count(), 3);
        QCOMPARE(clicks.count(), 1);

        // Quick clicks: the second press of a double click comes as a press followed by a
        // double-click event, which must not count as one more press.
        QTest::mousePress(&cmd, Qt::LeftButton);
        QTest::mouseRelease(&cmd, Qt::LeftButton);
        QTest::mousePress(&cmd, Qt::LeftButton);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), cmd.mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&cmd, &dbl);
        QTest::mouseRelease(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 5);
        QCOMPARE(ups.count(), 5);
        QCOMPARE(clicks.count(), 3);
        downs.clear();
        ups.clear();
        clicks.clear();

        // A disabled button raises nothing.
        cmd.setEnabled(false);
        QTest::mouseClick(&cmd, Qt::LeftButton);
        QTest::mouseClick(&cmd, Qt::RightButton);
        QCOMPARE(downs.count(), 0);
        QCOMPARE(clicks.count(), 0);
    }

    void controlArrayMembersMayHaveGaps() {
        QWidget frame;
        ControlArray<CommandButton> cmdLeftRight;
        auto* left = new CommandButton(&frame);
        auto* right = new CommandButton(&frame);
        cmdLeftRight.add(0, left);
        cmdLeftRight.add(2, right);
        QCOMPARE(cmdLeftRight[0], left);
        QCOMPARE(cmdLeftRight[2], right);
        QCOMPARE(cmdLeftRight[1], nullptr);
        QCOMPARE(cmdLeftRight.item(7), nullptr);
        QCOMPARE(cmdLeftRight.indices(), (std::vector<int>{0, 2}));

        // The member number travels with the signals.
        QSignalSpy downs(right, &ButtonBase::MouseDown);
        QTest::mousePress(right, Qt::LeftButton);
        QCOMPARE(downs.at(0).at(0).toInt(), 2);
        QTest::mouseRelease(right, Qt::LeftButton);

        delete left;  // a destroyed member is gone, not dangling
        QCOMPARE(cmdLeftRight[0], nullptr);
        QCOMPARE(cmdLeftRight.indices(), (std::vector<int>{2}));
    }

    void labelsDrawTheirCaption() {
        QWidget window;
        window.resize(200, 60);
        window.setStyleSheet("background: #0000ff");
        window.setAutoFillBackground(true);
        auto* label = new Label(&window);
        label->setGeometry(0, 0, 129, 33);
        label->setBackColor(0x000000);
        label->setForeColor(0xFFFFFF);
        label->setCaption("Level # 0");
        label->setAlignment(Alignment::Center);
        QImage img = label->grab().toImage();
        QCOMPARE(toColor(img.pixelColor(0, 0)), Color(0));
        QVERIFY(hasPixel(img, 0xFFFFFF));
        // Centred: the text's ink is about as far from the left edge as from the right.
        int minX = img.width(), maxX = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (toColor(img.pixelColor(x, y)) != 0)
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
        QVERIFY(maxX > minX);
        QVERIFY(std::abs(minX - (img.width() - 1 - maxX)) <= 3);
        label->setAlignment(Alignment::Right);
        QVERIFY(qAbs(label->textBounds().right() - label->width()) < 1);
        label->setAlignment(Alignment::Left);
        QCOMPARE(label->textBounds().left(), 0.0);
        // Words wrap inside the label; line breaks break lines.
        const qreal line = QFontMetricsF(label->font()).height();
        QCOMPARE(label->textBounds().height(), line);
        label->setCaption("Level # 0 Level # 0 Level # 0");
        QVERIFY(label->textBounds().height() >= 2 * line);
        QVERIFY(label->textBounds().width() <= label->width());
        label->setCaption("A\r\nB");
        QCOMPARE(label->textBounds().height(), 2 * line);

        // Hidden labels draw nothing; transparent ones show their container.
        label->setCaption("");
        label->setTransparent(true);
        QCOMPARE(toColor(window.grab().toImage().pixelColor(5, 5)), Color(0xFF0000));
        label->setTransparent(false);
        QCOMPARE(toColor(window.grab().toImage().pixelColor(5, 5)), Color(0));
        label->setVisible(false);
        QCOMPARE(toColor(window.grab().toImage().pixelColor(5, 5)), Color(0xFF0000));
    }

    void frameDrawsItsCaptionInForeColor() {
        Frame frame;
        frame.resize(129, 49);
        frame.setBackColor(0x000000);
        frame.setForeColor(0x00FFFF);
        frame.setCaption("Score");
        const QImage img = frame.grab().toImage();
        QCOMPARE(toColor(img.pixelColor(60, 30)), Color(0));
        QVERIFY(hasPixel(img.copy(frame.captionRect()), 0x00FFFF));
        // The border runs round the frame below the caption's middle.
        QCOMPARE(toColor(img.pixelColor(0, 30)), Color(0x808080));
        QCOMPARE(toColor(img.pixelColor(60, 47)), Color(0x808080));
        QCOMPARE(toColor(img.pixelColor(60, 48)), Color(0xFFFFFF));
        QCOMPARE(toColor(img.pixelColor(128, 30)), Color(0xFFFFFF));
    }

    void shapeIsACircleThatShowsWhatLiesBeneath() {
        FormSurface form;
        form.resize(120, 120);
        form.setBackColor(0x000000);
        auto* shape = new Shape(&form);
        shape->setGeometry(10, 10, 97, 97);
        shape->setBorderColor(QBColor(12));
        connect(&form, &FormSurface::Paint,
                [&] { form.FilledBox(50 * 15, 50 * 15, 60 * 15, 60 * 15, QBColor(10)); });
        QImage img = form.grab().toImage();
        QCOMPARE(toColor(img.pixelColor(55, 55)), QBColor(10));  // drawn under the circle
        QCOMPARE(toColor(img.pixelColor(30, 58)), Color(0));
        QCOMPARE(toColor(img.pixelColor(11, 11)), Color(0));       // outside the circle
        QVERIFY(hasPixel(img.copy(10, 10, 97, 97), QBColor(12)));  // the border
        QCOMPARE(toColor(img.pixelColor(10, 58)), QBColor(12));    // left end of the circle
        QVERIFY(shape->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void virtualKeyCodes() {
        const struct {
            int key, modifiers, code;
        } cases[] = {{Qt::Key_Escape, 0, 27},  {Qt::Key_Left, 0, 37},
                     {Qt::Key_Down, 0, 40},    {Qt::Key_Enter, Qt::KeypadModifier, 13},
                     {Qt::Key_A, 0, 'A'},      {Qt::Key_7, Qt::KeypadModifier, 103},
                     {Qt::Key_F12, 0, 123},    {Qt::Key_unknown, 0, 0}};
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
