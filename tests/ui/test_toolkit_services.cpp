// Timers, the open windows by name, the clock.
#include <QApplication>
#include <QCloseEvent>
#include <QtTest>

#include "ui/toolkit/process.h"
#include "ui/toolkit/timer.h"

using namespace vb;

namespace {
// A window whose close handler may refuse and records whether the program asked.
struct Window : QWidget {
    bool refuse = false;
    QList<bool> byProgram;
    void closeEvent(QCloseEvent* event) override {
        byProgram.append(Forms::isUnloadingByProgram(this));
        if (refuse) event->ignore();
    }
};
void deleteLaterNow() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

class TestToolkitServices : public QObject {
    Q_OBJECT

private slots:
    void timerTicksOnlyWithAnIntervalAndWhileEnabled() {
        Timer zero(0, true);  // interval 0 never ticks, even enabled again
        zero.setEnabled(false);
        zero.setEnabled(true);
        QVERIFY(!zero.isRunning());
        Timer timer(600000, true);
        QSignalSpy ticks(&timer, &Timer::Tick);
        timer.setInterval(2);  // takes effect now, not after ten minutes
        QTRY_VERIFY(ticks.count() > 0);
        timer.setEnabled(false);
        ticks.clear();
        QTest::qWait(20);
        QCOMPARE(ticks.count(), 0);
        timer.setEnabled(true);
        QTRY_VERIFY(ticks.count() > 0);
        timer.setInterval(0);  // setting 0 while running stops it
        QVERIFY(!timer.isRunning());
    }

    // Unloading asks the window, which may refuse; the user's close box is not the program's
    // unload; a window may unload itself from its own handler; a destroyed one leaves.
    void formsByName() {
        auto *a = new Window, *b = new Window, *help = new Window;
        Forms::add("frmSettings", a);
        Forms::add("frmHelp", help);
        Forms::add("frmSettings", b);
        Forms::add("frmHelp", help);  // once only
        QCOMPARE(Forms::all(), (QList<QWidget*>{a, help, b}));
        QCOMPARE(Forms::nameOf(b), QString("frmSettings"));
        QPointer<QWidget> pa(a), pb(b), ph(help);
        QCOMPARE(Forms::unload("frmSettings"), 2);
        QCOMPARE(a->byProgram, QList<bool>{true});
        deleteLaterNow();
        QVERIFY(!pa && !pb && Forms::count() == 1);
        help->refuse = true;
        QCOMPARE(Forms::unload("frmHelp"), 0);
        help->refuse = false;
        help->close();
        QCOMPARE(help->byProgram, (QList<bool>{true, false}));
        QTimer::singleShot(0, help, [help] { Forms::unload(help); });
        QTRY_VERIFY(!ph);
        auto* gone = new Window;
        Forms::add("frmTalomiFathers", gone);
        delete gone;
        QCOMPARE(Forms::count(), 0);
    }

    void clockGivesSecondsAndShortDate() {
        Clock::setFixedNow(QDateTime(QDate(2024, 3, 5), QTime(13, 4, 59)));
        QCOMPARE(Clock::second(), 59);
        QCOMPARE(Clock::timeText(), QString("13:04:59"));
        // The C library's short date for the locale named for dates; one not installed counts as C.
        for (const char* locale : {"C", "xx_NOWHERE.UTF-8"}) {
            qputenv("LC_ALL", locale);
            QCOMPARE(Clock::shortDate(), QString("03/05/24"));
        }
        qunsetenv("LC_ALL");
        Clock::clearFixedNow();
    }
};

QTEST_MAIN(TestToolkitServices)
#include "test_toolkit_services.moc"
