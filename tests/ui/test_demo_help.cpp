#include <QListWidget>
#include <QtTest>

#include "tests/support/main_window_rig.h"
#include "ui/design.h"
#include "ui/frmhelp.h"

using namespace talomir;
using namespace talomir::testing;

namespace {
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
    for (const QString& n : m.controlNames()) r[n] = m.control(n)->property("BackColor").toUInt();
    r["lstTable"] = vb::toColor(m.frmTalomiFathers()->lstTable->palette().color(QPalette::Base));
    return r;
}
}  // namespace

class TestDemoHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void tour_data() {
        QTest::addColumn<int>("endOn");  // the page, 0 for Next to the end
        QTest::addColumn<QString>("how");
        QTest::newRow("Close on the first page, main at the screen's left edge") << 1 << "Close";
        QTest::newRow("close box on the tenth page") << 10 << "box";
        QTest::newRow("Next on every page") << 0 << "";
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
        const QImage well = w.well()->image();
        const auto lit = [&] {
            QStringList on;
            for (auto [n, c] : colours(*w.frm).asKeyValueRange())
                if (c != before[n] && (c == 0xFF0000u || c == 0x0000FFu)) on << n;
            return on.join('+');
        };
        bool cleanAtName = false;
        w.onName = [&](QString&) {
            const bool demo = w.frm->tmrDemo.isRunning();
            return (cleanAtName = !vb::Forms::find("frmHelp") && lit().isEmpty() && !demo), false;
        };
        QStringList seen;
        QRect first;
        Guide guide;
        qApp->installEventFilter(&guide);
        guide.onPage = [&](ui::FrmHelp* h) {
            seen << lit();
            if (seen.size() == 1) first = h->frameGeometry();
            if (how == "end") QTRY_COMPARE(w.frm->tmrDemo.interval(), Game::kShortestInterval);
            if (seen.size() == endOn && how != "Close")
                return how == "box" ? void(h->close()) : w.game().Finish_Game(100);
            QTest::mouseClick(seen.size() == endOn ? h->cmdClose : h->cmdNext, Qt::LeftButton);
        };
        if (how == "end") w.check("chkDemo")->click();  // every draw is 0: the shortest waits
        w.check("chkHelp")->click();
        QVERIFY(QTest::qWaitFor([&] { return w.check("chkHelp")->value() == 0; }, 20000));

        QStringList expected{"lstTable"};
        for (const char* c : ui::helpTourOrder()) expected << c;
        QCOMPARE(seen, expected.mid(0, endOn ? endOn : 34));
        QCOMPARE(cleanAtName, how == "end");
        QCOMPARE(colours(*w.frm), before);
        QCOMPARE(w.check("chkDemo")->value(), 0);
        QCOMPARE(w.well()->image(), well);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
        const QRect m = w.frm->frameGeometry();
        QCOMPARE(first.topLeft(), QPoint(std::max(0, m.left() - first.width()), m.top()));
    }
};

QTEST_MAIN(TestDemoHelp)
#include "test_demo_help.moc"
