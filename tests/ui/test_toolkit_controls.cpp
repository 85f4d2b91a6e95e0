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
constexpr Color kGreen = 0x00FF00, kRed = 0x0000FF, kYellow = 0x00FFFF;

// The colours of a control's pixels.
QList<Color> at(QWidget* w, const QList<QPoint>& points) {
    const QImage image = w->grab().toImage();
    QList<Color> colours;
    for (QPoint p : points) colours << toColor(image.pixelColor(p));
    return colours;
}

// How many pixels near a colour (antialiased text) a control shows inside `area`.
int count(QWidget* w, Color colour, QRect area) {
    const QImage image = w->grab().toImage();
    const QColor want = toQColor(colour);
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
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

}  // namespace

class TestToolkitControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle("Fusion"); }

    // A raised button has light top-left edges and dark bottom-right ones, a pressed one the
    // reverse; the caption in ForeColor, a dotted outline while focused, greyed when disabled.
    void buttonsDrawTheirState() {
        QWidget window;
        auto* cmd = new CommandButton(&window);
        auto* chk = new CheckButton(&window);
        for (ButtonBase* b : {static_cast<ButtonBase*>(cmd), static_cast<ButtonBase*>(chk)}) {
            b->setGeometry(b == cmd ? 0 : 50, 0, 40, 20);
            b->setBackColor(kGreen);
            b->setForeColor(kRed);
            b->setCaption("H");
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<QPoint> bevel = {{0, 0}, {1, 1}, {39, 19}, {38, 18}, {38, 0}, {0, 18}, {5, 10}};
        QCOMPARE(at(cmd, bevel),
                 (QList<Color>{kWhite, kLight, kBlack, kGrey, kWhite, kWhite, kGreen}));
        QCOMPARE(at(cmd, {{3, 10}}), QList<Color>{kRed});  // the focus outline
        QVERIFY(count(cmd, kRed, cmd->captionRect()) > 10);
        chk->setValue(1);
        QCOMPARE(at(chk, bevel),
                 (QList<Color>{kBlack, kGrey, kWhite, kLight, kBlack, kBlack, kGreen}));
        cmd->setEnabled(false);
        QCOMPARE(count(cmd, kRed, cmd->rect()), 0);
        QVERIFY(count(cmd, kGrey, cmd->captionRect()) > 10 &&
                count(cmd, kWhite, cmd->captionRect()) > 10);
    }

    void buttonsReportEveryMouseButton() {
        CommandButton cmd;
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
        // A double click comes as a press and a double-click event, which is no further press.
        QTest::mousePress(&cmd, Qt::LeftButton);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), cmd.mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&cmd, &dbl);
        QTest::mouseRelease(&cmd, Qt::LeftButton);
        QVERIFY(downs.count() == 3 && clicks.count() == 1);  // only the left button clicks
        cmd.setEnabled(false);
        QTest::mouseClick(&cmd, Qt::LeftButton);
        QCOMPARE(downs.count(), 3);
        CheckButton chk;
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
        label->setForeColor(kYellow);
        const qreal line = QFontMetricsF(label->font()).height();
        for (const char* text : {"A\r\nB", "A\nB", "A\rB", "Level # 0 Level # 0 Level # 0"}) {
            label->setCaption(text);
            const QRectF b = label->textBounds();
            QVERIFY2(b.top() == 0 && b.height() >= 2 * line && b.width() <= 129, text);
        }
        label->setCaption("ab");
        const struct {
            Alignment align;
            qreal left, right;
        } rows[] = {
            {Alignment::Left, 0, 60}, {Alignment::Center, 50, 80}, {Alignment::Right, 100, 129.5}};
        for (const auto& r : rows) {
            label->setAlignment(r.align);
            QVERIFY(label->textBounds().left() >= r.left && label->textBounds().right() <= r.right);
        }
        auto* frame = new Frame(&window);
        frame->setGeometry(0, 40, 200, 60);
        frame->setCaption("Ab");
        frame->setForeColor(kYellow);
        auto* shape = new Shape(&window);
        shape->setGeometry(210, 0, 41, 41);
        shape->setBorderColor(kGreen);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(count(label, kYellow, label->rect()) > 5);
        QCOMPARE(at(label, {{2, 30}}), QList<Color>{0xC0C0C0});
        const int top = frame->fontMetrics().height() / 2,
                  ab = frame->fontMetrics().horizontalAdvance("Ab");
        QCOMPARE(at(frame, {{150, top}, {151, top + 1}, {0, 50}, {198, 50}, {100, 58}}),
                 (QList<Color>{kGrey, kWhite, kGrey, kGrey, kGrey}));
        QCOMPARE(count(frame, kGrey, QRect(7, top, ab, 1)), 0);  // the caption breaks the border
        QVERIFY(count(frame, kYellow, frame->captionRect()) > 5);
        QCOMPARE(at(&window, {{210, 20}, {250, 20}, {230, 0}, {230, 20}}),
                 (QList<Color>{kGreen, kGreen, kGreen, 0xFF0000}));
        label->setTransparent(true);  // shows its container
        QCOMPARE(at(&window, {{2, 30}}), QList<Color>{0xFF0000});
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

    // Every key reaches the window once, before the focused control, also from controls added
    // later; the arrows stay with the window, the others go on; owned windows keep theirs.
    void keysReachTheWindowFirst() {
        QWidget window;
        window.resize(300, 200);
        auto* button = new CommandButton(&window);
        button->setGeometry(110, 0, 40, 20);
        (new CommandButton(&window))->setGeometry(160, 0, 40, 20);
        auto* preview = new KeyPreview(&window);
        QList<QPair<int, int>> downs, ups;
        QList<int> presses;
        connect(preview, &KeyPreview::KeyDown, [&](int c, int s) { downs.append({c, s}); });
        connect(preview, &KeyPreview::KeyUp, [&](int c, int s) { ups.append({c, s}); });
        connect(preview, &KeyPreview::KeyPress, [&](int c) { presses.append(c); });
        auto* sink = new KeySink(&window);
        sink->setFocusPolicy(Qt::StrongFocus);
        auto* edit = new QLineEdit("ab", &window);
        edit->setGeometry(0, 120, 100, 20);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(sink, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
        const int both = kShiftMask | kCtrlMask;
        QCOMPARE(downs, (QList<QPair<int, int>>{{16, kShiftMask}, {17, both}, {40, both}}));
        QCOMPARE(ups, (QList<QPair<int, int>>{{40, both}, {17, kShiftMask}, {16, 0}}));
        for (Qt::Key arrow : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
            button->setFocus();
            QTest::keyClick(button, arrow);
            QCOMPARE(QApplication::focusWidget(), button);  // the arrow did not move the focus
            sink->setFocus();
            QTest::keyClick(sink, arrow);
        }
        QTest::keyClick(sink, Qt::Key_Space);
        QCOMPARE(sink->keys, (QList<int>{Qt::Key_Shift, Qt::Key_Control, Qt::Key_Space}));
        edit->setFocus();
        edit->setCursorPosition(1);
        QTest::keyClicks(edit, "c");
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(edit->text(), QString("acb"));
        QCOMPARE(presses, (QList<int>{' ', 'c', 27}));  // arrows have no character
        QCOMPARE(downs.size(), 14);
        // Auto-repeat gives further key-downs and one key-up.
        for (auto [type, repeat] :
             {std::pair(QEvent::KeyPress, false), std::pair(QEvent::KeyRelease, true),
              std::pair(QEvent::KeyPress, true), std::pair(QEvent::KeyRelease, false)}) {
            QKeyEvent e(type, Qt::Key_Down, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(sink, &e);
        }
        QCOMPARE(downs.size(), 16);
        QCOMPARE(ups.last(), (QPair<int, int>{40, 0}));
        QCOMPARE(ups.size(), 15);
        QWidget dialog(&window, Qt::Dialog);
        auto* owned = new QLineEdit(&dialog);
        dialog.show();
        QTest::keyClick(owned, Qt::Key_X);
        QVERIFY(owned->text() == "x" && downs.size() == 16);
        preview->setConsumeArrowKeys(false);
        QTest::keyClick(sink, Qt::Key_Down);
        QCOMPARE(sink->keys.last(), int(Qt::Key_Down));
    }
};

QTEST_MAIN(TestToolkitControls)
#include "test_toolkit_controls.moc"
