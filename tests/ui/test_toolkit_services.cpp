// Timers, the open windows by name, the clock.
#include <QApplication>
#include <QCloseEvent>
#include <QtTest>

#include "ui/toolkit/process.h"
#include "ui/toolkit/timer.h"

using namespace vb;

namespace {

// A window whose close handler may refuse and records whether the program asked.
class Window : public QWidget {
public:
    bool refuse = false;
    QList<bool> byProgram;

protected:
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
    void cleanup() {
        Clock::clearFixedNow();
        for (QWidget* w : Forms::all()) delete w;
    }

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

    void formsByName() {
        auto* settings = new Window;
        auto* help = new Window;
        auto* settings2 = new Window;
        auto* fathers = new Window;
        Forms::add("frmSettings", settings);
        Forms::add("frmHelp", help);
        Forms::add("frmSettings", settings2);
        Forms::add("frmTalomiFathers", fathers);
        Forms::add("frmTalomiFathers", fathers);  // once only
        QCOMPARE(Forms::count(), 4);
        QCOMPARE(Forms::find("frmSettings"), settings);
        QCOMPARE(Forms::nameOf(settings2), QString("frmSettings"));
        settings->show();
        QPointer<QWidget> s1(settings), s2(settings2), h(help);
        QCOMPARE(Forms::unload("frmSettings"), 2);
        QCOMPARE(settings->byProgram, (QList<bool>{true}));
        deleteLaterNow();
        QVERIFY(s1.isNull() && s2.isNull());
        QCOMPARE(Forms::all(), (QList<QWidget*>{help, fathers}));

        // A window that refuses to close stays loaded.
        help->refuse = true;
        QCOMPARE(Forms::unload("frmHelp"), 0);
        deleteLaterNow();
        QCOMPARE(Forms::find("frmHelp"), h.data());
        // The user's close box is not the program's unload.
        help->refuse = false;
        help->close();
        QCOMPARE(help->byProgram, (QList<bool>{true, false}));
        QVERIFY(Forms::unload(help));
        deleteLaterNow();
        QVERIFY(h.isNull());

        // A destroyed window leaves the collection by itself.
        delete fathers;
        QCOMPARE(Forms::count(), 0);
        QCOMPARE(Forms::unload("frmTalomiFathers"), 0);
    }

    void windowMayUnloadItselfFromItsHandler() {
        auto* dialog = new Window;
        Forms::add("frmEnterName", dialog);
        QPointer<QWidget> guard(dialog);
        bool stillThere = false;
        QTimer::singleShot(0, dialog, [&] {
            Forms::unload(dialog);
            stillThere = !guard.isNull();  // code after the unload may still use the window
        });
        QTRY_VERIFY(guard.isNull());
        QVERIFY(stillThere);
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
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestToolkitServices test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_toolkit_services.moc"
