// The window toolkit below the game's windows: mouse and keys as the controls report them,
// drawing that nonsense coordinates cannot break, timers, the open windows by name, the clock.
// How controls and surfaces look is checked by the window pictures.
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTextLayout>
#include <QtTest>
#include <limits>

#include "rules/random.h"
#include "ui/toolkit/controlarray.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/keypreview.h"
#include "ui/toolkit/process.h"
#include "ui/toolkit/surface.h"
#include "ui/toolkit/timer.h"

using namespace vb;

namespace {

// A control that records the keys it gets.
struct KeySink : QWidget {
    using QWidget::QWidget;
    QList<int> keys;
    void keyPressEvent(QKeyEvent* e) override { keys << e->key(); }
};

// Counts the paint events of a widget.
struct Paints : QObject {
    int n = 0;
    explicit Paints(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override { return n += e->type() == QEvent::Paint, 0; }
};

}  // namespace

class TestToolkit : public QObject {
    Q_OBJECT

private slots:
    // Every mouse button reports its press and release with the member number; only the left
    // one clicks, and a double click is no second press. A check button clicks on each change.
    void buttonsReportEveryMouseButton() {
        CommandButton cmd;
        ControlArray<CommandButton> array;
        array.add(2, &cmd);
        QCOMPARE(array[1], nullptr);
        QSignalSpy downs(&cmd, &ButtonBase::MouseDown), ups(&cmd, &ButtonBase::MouseUp),
            clicks(&cmd, &ButtonBase::Click);
        QTest::mouseClick(&cmd, Qt::RightButton, Qt::ShiftModifier, QPoint(10, 4));
        QCOMPARE(downs.at(0), (QVariantList{2, 2, 1, 150.0f, 60.0f}));  // right, Shift, twips
        QCOMPARE(ups.at(0), downs.at(0));
        QTest::mousePress(&cmd, Qt::LeftButton);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), cmd.mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&cmd, &dbl);
        QTest::mouseRelease(&cmd, Qt::LeftButton);
        QVERIFY(downs.count() == 2 && clicks.count() == 1);
        cmd.setEnabled(false);
        QTest::mouseClick(&cmd, Qt::LeftButton);  // disabled
        QCOMPARE(downs.count(), 2);
        CheckButton chk;
        QList<int> seen;  // the handler sees the new value
        connect(&chk, &CheckButton::Click, [&] { seen.append(chk.value()); });
        for (int v : {1, 1, 0, 5}) chk.setValue(v);  // no change, no click; non-zero is 1
        QTest::mouseClick(&chk, Qt::LeftButton);
        QTest::mouseClick(&chk, Qt::RightButton);  // does not toggle
        QCOMPARE(seen, (QList<int>{1, 0, 1, 0}));
        // Pressed and released, a button repaints itself and nothing behind it.
        Frame frame;
        auto* face = new CommandButton(&frame);
        face->setGeometry(8, 16, 33, 17), frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        Paints behind(&frame), pressed(face);
        for (bool down : {true, false}) face->setDown(down), QCoreApplication::processEvents();
        QCOMPARE(std::pair(behind.n, pressed.n), std::pair(0, 2));
    }

    // Every key the game reads (ESC and the arrows) reaches the window once, before the focused
    // control, also from controls added later; the arrows stay with the window, the others go
    // on; owned windows keep theirs.
    void keysReachTheWindowFirst() {
        QWidget window;
        window.resize(300, 200);
        auto* button = new CommandButton(&window);
        button->setGeometry(110, 0, 40, 20);
        (new CommandButton(&window))->setGeometry(160, 0, 40, 20);
        auto* preview = new KeyPreview(&window);
        QList<QPair<int, int>> downs, ups;
        connect(preview, &KeyPreview::KeyDown, [&](int c, int s) { downs.append({c, s}); });
        connect(preview, &KeyPreview::KeyUp, [&](int c, int s) { ups.append({c, s}); });
        auto* sink = new KeySink(&window);
        sink->setFocusPolicy(Qt::StrongFocus);
        window.show(), window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(sink, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
        const int both = 1 | 2;  // Shift and Ctrl
        QVERIFY(downs == ups && ups == (QList<QPair<int, int>>{{40, both}}));
        for (Qt::Key arrow : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down}) {
            button->setFocus();
            QTest::keyClick(button, arrow);
            QCOMPARE(QApplication::focusWidget(), button);  // the arrow did not move the focus
            sink->setFocus(), QTest::keyClick(sink, arrow);
        }
        QTest::keyClick(sink, Qt::Key_Escape);
        QCOMPARE(sink->keys, (QList<int>{Qt::Key_Shift, Qt::Key_Control, Qt::Key_Escape}));
        QVERIFY(downs.size() == 10 && ups.last() == (QPair<int, int>{27, 0}));
        // Auto-repeat gives further key-downs and one key-up.
        for (auto [type, repeat] :
             {std::pair(QEvent::KeyPress, false), std::pair(QEvent::KeyRelease, true),
              std::pair(QEvent::KeyPress, true), std::pair(QEvent::KeyRelease, false)}) {
            QKeyEvent e(type, Qt::Key_Down, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(sink, &e);
        }
        QVERIFY(downs.size() == 12 && ups.size() == 11 && ups.last() == (QPair<int, int>{40, 0}));
        QWidget dialog(&window, Qt::Dialog);
        auto* owned = new QLineEdit(&dialog);
        dialog.show();
        QTest::keyClick(owned, Qt::Key_X);
        QVERIFY(owned->text() == "x" && downs.size() == 12);
    }

    // Out-of-range numbers stay in range; drawing outside a surface, or with no number at all,
    // changes nothing and never writes outside its pixels; a repaint copies only what changed.
    void nonsenseIsClippedOrRefused() {
        QVERIFY(QBColor(-3) == QBColor(0) && QBColor(16) == QBColor(15));
        for (auto [twips, pixels] : {std::pair(7, 0), std::pair(8, 1), std::pair(-120, -8)})
            QCOMPARE(twipsToPixels(twips), pixels);
        QVERIFY(pointsToPixels(-3) == 1 && pointsToPixels(NAN) == 1 &&
                pointsToPixels(1e300) > 9999);
        // MS Sans Serif is never a one-size bitmap face: sizes must scale.
        const QString face = resolveFace("MS Sans Serif");
        QVERIFY(QFontMetrics(makeFontWithFamily(face, 20.25)).height() >
                2 * QFontMetrics(makeFontWithFamily(face, 8.25)).height());

        QWidget window;
        window.resize(300, 500);
        auto* pic = new PictureBox(&window);
        pic->setGeometry(8, 8, 233, 433);
        pic->setBackColor(0);
        pic->setScale(3760, 7760);
        pic->setScale(0, 100), pic->setScale(std::nan(""), 100);  // refused
        QCOMPARE(pic->scaleWidth(), 3760.0);
        window.show();
        QTRY_VERIFY(QTest::qWaitForWindowExposed(&window) && pic->pendingRect().isEmpty());
        pic->FilledBox(222, 222, 28, 28, 0x00FFFF);  // corners in either order
        pic->Box(278, 278, 472, 472, 0xFFFF00);
        QCOMPARE(pic->pendingRect(), QRect(QPoint(1, 1), QPoint(29, 26)));
        const QImage drawn = pic->image().copy();
        const double inf = std::numeric_limits<double>::infinity();
        pic->FilledBox(4000, 100, 5000, 200, 0x00FFFF);
        pic->FilledBox(std::nan(""), 0, 100, 100, 0x00FFFF);
        pic->Box(-1000, -1000, -1, -1, 0x00FFFF);
        pic->FilledBox(0, 0, inf, 100, 0x00FFFF);
        QCOMPARE(pic->image(), drawn);
        pic->Box(-100, -100, 1000, 1000, 0x00FFFF);  // left and top edges are outside
        QVERIFY(pic->pixel(61, 30) == 0x00FFFFu && pic->pixel(30, 55) == 0x00FFFFu);
        QVERIFY(pic->pixel(0, 30) == 0 && pic->pixel(30, 0) == 0 &&
                pic->pixel(-1, 0) == 0xFFFFFFFFu);
        pic->FilledBox(-1e30, -1e30, 1e30, 1e30, 0xFFFF00);  // no overflow
        QVERIFY(pic->pixel(232, 432) == 0xFFFF00u && pic->pixel(0, 0) == 0xFFFF00u);
        pic->FilledBox(0, 0, 3760, 7760, 0);  // to the far edges, which lie just outside
        pic->FilledBox(1880, 0, 3760, 7760, 0xFFFF00);
        QVERIFY(pic->pixel(0, 50) == 0 && pic->pixel(232, 50) == 0xFFFF00u);
    }

    // Drawn again, a label or button looks as one made afresh in its state would, also where
    // it looked so before: their pictures are kept by caption, colours and state. Each step
    // changes one thing.
    void redrawsShowTheLatestLook() {
        struct Look {
            const char* caption;
            Color back, fore;
            int points, width, down;
        } steps[] = {{"7", 0xFF, 0, 8, 40, 0},         {"8", 0xFF, 0, 8, 40, 0},
                     {"7", 0xFF00, 0, 8, 40, 0},       {"7", 0xFF00, 0xFFFF, 8, 40, 0},
                     {"7", 0xFF00, 0xFFFF, 12, 40, 0}, {"7", 0xFF00, 0xFFFF, 12, 60, 0},
                     {"7", 0xFF00, 0xFFFF, 12, 60, 1}, {"7", 0xFF00, 0xFFFF, 12, 60, 0}};
        const auto show = [](auto&& c, const Look& l) {
            c.setCaption(l.caption), c.setBackColor(l.back), c.setForeColor(l.fore);
            c.setFont(makeFont(QStringLiteral("Tahoma"), l.points, false)), c.resize(l.width, 20);
            if constexpr (requires { c.setDown(true); }) c.setDown(l.down);
            return c.grab().toImage();
        };
        Label label;
        CommandButton button;
        label.show(), button.show();  // as in a window: resized only when their size changes
        for (const Look& l : steps)
            QVERIFY2(
                show(label, l) == show(Label(), l) && show(button, l) == show(CommandButton(), l),
                l.caption);
    }

    // Numbers look as the text engine draws them: in an emboldened face, one that kerns "11",
    // an underlined one and one where centring rounds, in each alignment, also too wide.
    void numbersLookAsTheTextEngineDrawsThem() {
        const QFont faces[] = {
            makeFont("Tahoma", 8.25, true), makeFont("Times New Roman", 12, false),
            makeFont("Tahoma", 10, false, false, true), makeFont("MS Sans Serif", 8.25, false)};
        const std::pair<Alignment, Qt::Alignment> alignments[] = {
            {Alignment::Left, Qt::AlignLeft},
            {Alignment::Center, Qt::AlignHCenter},
            {Alignment::Right, Qt::AlignRight}};
        for (const QFont& font : faces)
            for (const auto& [alignment, qt] : alignments)
                for (int width : {37, 80})
                    for (const char* caption : {"7", "11", "200", "123456789", "---"}) {
                        Label label;
                        label.setFont(font), label.setAlignment(alignment), label.resize(width, 20);
                        label.setCaption(caption), label.setBackColor(0),
                            label.setForeColor(0xFF00);
                        QImage expected(label.size(), QImage::Format_RGB32);
                        expected.fill(Qt::black);
                        QPainter p(&expected);
                        QTextLayout layout(caption, font);
                        QTextOption option(qt);
                        option.setWrapMode(QTextOption::WordWrap);
                        layout.setTextOption(option);
                        layout.beginLayout();
                        layout.createLine().setLineWidth(width);
                        layout.endLayout();
                        p.setPen(Qt::green);
                        layout.draw(&p, QPointF());
                        p.end();
                        QVERIFY2(label.grab().toImage().convertToFormat(QImage::Format_RGB32) ==
                                     expected,
                                 caption);
                    }
    }

    // Interval 0 never ticks, even enabled again; a new interval takes effect at once.
    void timerTicksOnlyWithAnIntervalAndWhileEnabled() {
        Timer timer(0, true);
        timer.setEnabled(false);
        timer.setEnabled(true);
        QVERIFY(!timer.isRunning());
        QSignalSpy ticks(&timer, &Timer::Tick);
        timer.setInterval(600000);
        timer.setInterval(2);  // not after ten minutes
        QTRY_VERIFY(ticks.count() > 0);
        timer.setEnabled(false);
        ticks.clear();
        QTest::qWait(20);
        QVERIFY(ticks.isEmpty() && !timer.isRunning());
    }

    // The C library's short date for the locale named for dates; one not installed counts as C.
    void shortDateOfTheLocale() {
        for (const char* locale : {"C", "xx_NOWHERE.UTF-8"}) {
            qputenv("LC_ALL", locale);
            QCOMPARE(talomir::shortDateText(QDate(2024, 3, 5)), QString("03/05/24"));
        }
        qunsetenv("LC_ALL");
    }
};

QTEST_MAIN(TestToolkit)
#include "test_toolkit.moc"
