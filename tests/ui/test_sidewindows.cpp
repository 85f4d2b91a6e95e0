// The side windows beside the main window, the two record dialogs and the help tour.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include "persistence/gamefolders.h"
#include "tests/support/main_window_rig.h"
#include "ui/dialogs.h"
#include "ui/frmhelp.h"
#include "ui/sidewindows.h"
#include "ui/toolkit/units.h"

using namespace talomir;
using namespace talomir::testing;

namespace {

// Answers the next modal dialog of type D, which the answer must close (or the test fails).
template <class D>
void answer(std::function<void(D*)> act) {
    QTimer::singleShot(0, [act] {
        if (QPointer<D> d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            act(d);
            const bool open = d && d->isVisible();
            if (open) d->reject();
            QVERIFY2(!open, "the answer left the dialog open");
        }
    });
}

// Hands every help page, once it is up, to `onPage`.
struct Guide : QObject {
    bool eventFilter(QObject* o, QEvent* e) override {
        if (auto* help = qobject_cast<ui::FrmHelp*>(o); help && e->type() == QEvent::Show)
            QTimer::singleShot(0, help, [this, help] { onPage(help); });
        return false;
    }
    std::function<void(ui::FrmHelp*)> onPage;
};

// The background colour of every control, and of the hall-of-fame list as "lstTable".
QMap<QString, quint32> colours(ui::FrmMain& m) {
    QMap<QString, quint32> r;
    for (const ControlRow& row : controlRows())
        r[ctlName(row.ctl)] = m.controls().widget(row.ctl)->property("BackColor").toUInt();
    r["lstTable"] = vb::toColor(m.sides().table()->palette().color(QPalette::Base));
    return r;
}

}  // namespace

class TestSideWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Each button shows and hides its window; the window, activated or clicked, hands the
    // keyboard back to the well, and the keys it gets all the same.
    void buttonsShowAndHideTheirWindows() {
        Window w;
        QVERIFY(w.start());
        w.frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.frm.get()));
        const struct {
            Ctl ctl;
            QWidget* window;
        } sides[] = {{Ctl::chkRec, w.frm->sides().window(SideWindow::TalomirFathers)},
                     {Ctl::chkStat, w.frm->sides().window(SideWindow::Statistic)},
                     {Ctl::chkFuture, w.frm->sides().window(SideWindow::Future)}};
        for (const auto& s : sides) {
            vb::CheckButton* b = w.check(s.ctl);
            QCOMPARE(b->value(), 0);  // the windows start hidden, and the buttons say so
            QVERIFY(!s.window->isVisible());
            QTest::mouseClick(b, Qt::LeftButton);
            QVERIFY(w.frm->presenter().state()[s.ctl].Value == 1 && s.window->isVisible());
            // Stacked by the window manager: a tool window would stay above the main window.
            QCOMPARE(s.window->windowHandle()->type(), Qt::Window);
            s.window->activateWindow();  // as a click on its caption bar does
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w.frm.get()));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
            // Where the window system keeps the keyboard on it (Wayland), its keys steer.
            const int column = w.game().field().figX();
            QTest::keyClick(s.window, Qt::Key_Left);
            QCOMPARE(int(w.game().field().figX()), column - 1);
            QTest::mouseClick(b, Qt::LeftButton);
            QVERIFY(!s.window->isVisible() && w.frm->presenter().state()[s.ctl].Value == 0);
        }
        // A click in a list while another program's window has the keys hands them back too.
        w.check(Ctl::chkRec)->setValue(1);
        w.check(Ctl::chkStat)->setValue(1);
        QWidget other;
        for (QWidget* place :
             {w.frm->sides().table()->viewport(), w.frm->sides().statistic()->viewport(),
              static_cast<QWidget*>(w.frm->sides().window(SideWindow::Statistic))}) {
            other.show();
            QTRY_VERIFY((other.activateWindow(), other.isActiveWindow()));
            QTest::mouseClick(place, Qt::LeftButton, {}, QPoint(1, 1));
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
        }
    }

    // Minimised, the main window takes its shown side windows along and pauses the game; a
    // side window activated meanwhile leaves it minimised. Docking brings them all back beside it.
    void sideWindowsFollowTheMainWindow() {
        Window w;
        QVERIFY(w.start());
        w.check(Ctl::chkStat)->setValue(1);
        ui::Side* stat = w.frm->sides().window(SideWindow::Statistic);
        ui::Side* fathers = w.frm->sides().window(SideWindow::TalomirFathers);
        ui::Side* future = w.frm->sides().window(SideWindow::Future);
        QVERIFY(QTest::qWaitForWindowExposed(stat));
        w.frm->showMinimized();
        QTRY_VERIFY(w.game().isPaused() && stat->isMinimized());
        QVERIFY(!w.frm->timer(Tmr::tmrDown).isEnabled() && !fathers->isVisible());
        stat->activateWindow();
        QTest::mouseClick(stat->list()->viewport(), Qt::LeftButton);
        QTest::qWait(50);
        QVERIFY(w.frm->isMinimized());
        QVERIFY(QApplication::activeWindow() != w.frm.get());
        w.frm->showNormal();
        QTRY_VERIFY(!stat->isMinimized() && stat->isVisible());
        QVERIFY(w.game().isPaused());                                 // until the player resumes
        QTest::mouseClick(stat->list()->viewport(), Qt::LeftButton);  // left active
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w.frm.get()));

        // Auto docks all three beside the main window, the minimised and the closed one shown,
        // the tops and bottoms level, 20 twips apart.
        stat->showMinimized();
        w.check(Ctl::chkRec)->setValue(1);
        fathers->close();  // by the user: hidden, its button still on
        w.frm->move(40, 30);
        QTest::mouseClick(w.check(Ctl::chkAuto), Qt::LeftButton);
        for (Ctl b : {Ctl::chkRec, Ctl::chkStat, Ctl::chkFuture}) QCOMPARE(w.check(b)->value(), 1);
        QVERIFY(fathers->isVisible() && future->isVisible() && !stat->isMinimized());
        QImage blank(future->picture()->image().size(), QImage::Format_RGB32);
        blank.fill(future->picture()->image().pixel(0, 0));
        QVERIFY(future->picture()->image() != blank);  // the preview drawn as it is shown
        const int gap = vb::twipsToPixels(20);
        auto m = [&w] { return w.frm->frameGeometry(); };
        QTRY_COMPARE(future->frameGeometry().topLeft(), QPoint(m().right() + 1 + gap, m().top()));
        QTRY_COMPARE(fathers->frameGeometry().left(), m().right() + 1 + gap);
        QTRY_COMPARE(fathers->frameGeometry().bottom(), m().bottom());
        QTRY_COMPARE(stat->frameGeometry().topLeft(),
                     QPoint(future->frameGeometry().right() + 1 + gap, m().top()));
        QCOMPARE(w.frm->focusWidget(), static_cast<QWidget*>(w.well()));
        // Off leaves them where they stand.
        const QRect before = future->frameGeometry();
        QTest::mouseClick(w.check(Ctl::chkAuto), Qt::LeftButton);
        w.frm->move(90, 60);
        QTest::qWait(50);
        QCOMPARE(future->frameGeometry(), before);
    }

    // The user's close box hides the lists, keeping their lines, and destroys the preview;
    // only the program's unload really closes a list.
    void userCloseHidesTheListsAndDestroysThePreview() {
        Window w(true, {"Ann", " 500 ", "Bob", " 3 "});
        QVERIFY(w.start());
        w.land();
        w.land();
        w.check(Ctl::chkStat)->setValue(1);
        QPointer<ui::Side> stat = w.frm->sides().window(SideWindow::Statistic);
        QCOMPARE(stat->list()->count(), w.game().log().lines().size());
        QCOMPARE(stat->list()->currentRow(), stat->list()->count() - 1);  // the newest
        QVERIFY(!stat->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(stat && !stat->isVisible());
        QCOMPARE(w.check(Ctl::chkStat)->value(), 1);  // the button does not follow
        w.land();                                     // the hidden list is whole when shown
        QCOMPARE(w.frm->sides().statistic()->count(), w.game().log().lines().size());

        w.check(Ctl::chkFuture)->setValue(1);
        QPointer<ui::Side> future = w.frm->sides().window(SideWindow::Future);
        const QImage shown = future->picture()->image();
        w.check(Ctl::chkFuture)->setValue(0);
        future->picture()->Clear();
        w.land();  // hidden, it is not drawn ...
        const QImage hidden = future->picture()->image();
        w.check(Ctl::chkFuture)->setValue(1);  // ... until it is shown
        QVERIFY(hidden != shown && future->picture()->image() == shown);
        QVERIFY(future->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!future && !w.frm->sides().exists(SideWindow::Future));
        w.land();  // nor made anew
        QVERIFY(!w.frm->sides().exists(SideWindow::Future));

        QVERIFY(vb::Forms::unload(stat.data()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!stat);
        QCOMPARE(w.frm->sides().statistic()->count(), w.game().log().lines().size());
    }

    // The window's own dialogs: the name (ten letters, typed over "UnNamed", Enter takes it,
    // ESC does not cancel, the close box does) and the new-game question (ESC does nothing).
    void mainWindowRunsTheRealDialogs() {
        Window w;
        w.frm->setHooks({});
        QVERIFY(w.start());
        answer<ui::FrmEnterName>([](ui::FrmEnterName* d) {
            QTest::keyClicks(d->focusWidget(), "Wladimir-the-Great");
            QTest::keyClick(d->txtName, Qt::Key_Escape);
            QTest::keyClick(d->txtName, Qt::Key_Enter, Qt::KeypadModifier);
        });
        QString name;
        QVERIFY(w.frm->askPlayerName(name) && name == QStringLiteral("Wladimir-t"));
        answer<ui::FrmEnterName>([](ui::FrmEnterName* d) { d->close(); });
        QVERIFY(!w.frm->askPlayerName(name));
        answer<ui::FrmGameOver>([](ui::FrmGameOver* d) {
            QTest::keyClick(d->cmdYes, Qt::Key_Escape);
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);  // Yes has the focus
        });
        QVERIFY(w.frm->askNewGame());
        answer<ui::FrmGameOver>(
            [](ui::FrmGameOver* d) { QTest::mouseClick(d->cmdNo, Qt::LeftButton); });
        QVERIFY(!w.frm->askNewGame());
    }

    void tour_data() {
        QTest::addColumn<int>("endOn");  // the page, 0 for Next to the end
        QTest::addColumn<QString>("how");
        QTest::newRow("Close on the first page, main at the screen's left edge") << 1 << "Close";
        QTest::newRow("close box on the tenth page") << 10 << "box";
        QTest::newRow("ESC on the third page") << 3 << "ESC";
        QTest::newRow("Next (by Enter) on every page") << 0 << "";
        QTest::newRow("the demo plays behind the pages until the game ends") << 2 << "end";
    }

    // Pages open left of the main window: the table's (red), then each control's in the design
    // order (blue), lit alone and restored; the well redrawn, the button off, focus on the well.
    // The game's end unloads the page and stops the (running) demo before its dialogs.
    void tour() {
        QFETCH(int, endOn);
        QFETCH(QString, how);
        Window w;
        QVERIFY(w.start());
        w.frm->move(endOn == 1 ? 0 : 300, 20);
        const auto before = colours(*w.frm);
        const std::size_t draws = w.rng.draws();  // a random sound for each page
        const QImage well = w.well()->image();
        const auto lit = [&] {
            QStringList on;
            for (auto [n, c] : colours(*w.frm).asKeyValueRange())
                if (c != before[n] && (c == 0xFF0000u || c == 0x0000FFu)) on << n;
            return on.join('+');
        };
        bool cleanAtName = false;
        w.onName = [&](QString&) {
            const bool demo = w.frm->timer(Tmr::tmrDemo).isRunning();
            return (cleanAtName = !vb::Forms::find("frmHelp") && lit().isEmpty() && !demo), false;
        };
        QStringList seen;
        QRect first;
        Guide guide;
        qApp->installEventFilter(&guide);
        guide.onPage = [&](ui::FrmHelp* h) {
            seen << lit();
            if (seen.last() == "picTalomir")  // lit, the well shows its new colour
                QCOMPARE(w.well()->pixel(0, 0), vb::Color(0xFF0000));
            if (seen.size() == 1) {  // the table's page says where this copy keeps it
                first = h->frameGeometry();
                QVERIFY(h->txtText->toPlainText().contains(
                    GameFolders::current().dataFile(GameFolders::kTableFile) + " "));
            }
            if (how == "end")
                QTRY_COMPARE(w.frm->timer(Tmr::tmrDemo).interval(), Game::kShortestInterval);
            if (seen.size() == endOn && how == "ESC") return QTest::keyClick(h, Qt::Key_Escape);
            if (seen.size() == endOn && how != "Close")
                return how == "box" ? void(h->close()) : w.game().Finish_Game(100);
            QTest::mouseClick(h->txtText->viewport(), Qt::LeftButton);     // the text takes no keys
            if (how.isEmpty()) return QTest::keyClick(h, Qt::Key_Return);  // Next has the focus
            QTest::mouseClick(seen.size() == endOn ? h->cmdClose : h->cmdNext, Qt::LeftButton);
            QVERIFY(!h->tmrResize.isEnabled());  // a page closed while it rolls open stops
        };
        if (how == "end") w.check(Ctl::chkDemo)->click();  // every draw is 0: the shortest waits
        w.check(Ctl::chkHelp)->click();
        QVERIFY(QTest::qWaitFor([&] { return w.check(Ctl::chkHelp)->value() == 0; }, 20000));

        QStringList expected{"lstTable"};
        for (Ctl c : helpTourOrder()) expected << ctlName(c);
        QCOMPARE(seen, expected.mid(0, endOn ? endOn : 34));
        QCOMPARE(cleanAtName, how == "end");
        QVERIFY(how == "end" || w.rng.draws() - draws == std::size_t(seen.size()));
        QCOMPARE(colours(*w.frm), before);
        QVERIFY(w.check(Ctl::chkDemo)->value() == 0 && w.well()->image() == well);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
        const QRect m = w.frm->frameGeometry();
        QCOMPARE(first.topLeft(), QPoint(std::max(0, m.left() - first.width()), m.top()));
    }
};

QTEST_MAIN(TestSideWindows)
#include "test_sidewindows.moc"
