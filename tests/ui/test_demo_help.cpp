#include <QListWidget>
#include <QtTest>

#include "tests/support/main_window_rig.h"
#include "ui/design.h"
#include "ui/frmhelp.h"

using namespace talomir;
using namespace talomir::testing;

namespace {
// Counts the event sounds, and runs `onPage` on every help page once it is up.
struct Guide : QObject, GameObserver {
    void playEventSound(Byte) override { ++sounds; }
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* help = qobject_cast<ui::FrmHelp*>(o);
        if (!help || e->type() != QEvent::Show) return false;
        ++pages;
        flat = flat && help->height() <= 1;
        QTimer::singleShot(0, help, [this, help] { onPage(help); });
        return false;
    }
    std::function<void(ui::FrmHelp*)> onPage;
    int pages = 0, sounds = 0;
    bool flat = true;  // every page appeared with no inside height
};

// The background of every control, and the ones lit: the table red, a control blue.
std::map<QString, quint32> colours(ui::FrmMain& m) {
    std::map<QString, quint32> r;
    for (const QString& n : m.controlNames()) r[n] = m.control(n)->property("BackColor").toUInt();
    r["lstTable"] = vb::toColor(m.frmTalomiFathers()->lstTable->palette().color(QPalette::Base));
    return r;
}
QString lit(ui::FrmMain& m) {
    QStringList r;
    for (const auto& [name, c] : colours(m))
        if (c == (name == "lstTable" ? 0x0000FFu : 0xFF0000u)) r << name;
    return r.join('+');
}
}  // namespace

class TestDemoHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void demoButtonRunsTheTimerAtTheWaitEachStepSets() {
        Window w;
        QVERIFY(w.start());
        w.check("chkDemo")->click();
        QTRY_COMPARE(w.frm->tmrDemo.interval(), Game::kShortestInterval);  // every draw is 0
        QVERIFY(w.frm->tmrDemo.isRunning());
        QCOMPARE(w.control<vb::CommandButton>("cmdLeftRight(0)")->backColor(), 0x00FF00u);
        w.check("chkDemo")->click();
        QVERIFY(!w.frm->tmrDemo.isRunning());
    }

    void tourGoesPageByPageUntilItEnds_data() {
        QTest::addColumn<int>("endOn");  // the page, 0 for Next to the end
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("mainLeft");
        QTest::newRow("Close on the first page, main at the left edge") << 1 << "Close" << 0;
        QTest::newRow("close box on the tenth page") << 10 << "box" << 300;
        QTest::newRow("Next on every page") << 0 << "" << 300;
        QTest::newRow("the game ends under the third page") << 3 << "end" << 300;
    }

    // The pages open flat just left of the main window, the table's first, then the controls'
    // in the design order, each lighting its control alone; the colours come back, the well is
    // drawn again, the button goes off with the focus on the well. The game's end unloads the
    // page before its dialogs, and the tour ends there.
    void tourGoesPageByPageUntilItEnds() {
        QFETCH(int, endOn);
        QFETCH(QString, how);
        QFETCH(int, mainLeft);
        Window w;
        QVERIFY(w.start());
        w.frm->move(mainLeft, 20);
        const auto before = colours(*w.frm);
        const QImage well = w.well()->image();
        QString atName = "-";
        w.onName = [&](QString&) {
            atName = vb::Forms::find("frmHelp") ? "help" : lit(*w.frm);
            return false;
        };
        QStringList seen;
        QRect first;
        Guide guide;
        w.game().display.addObserver(&guide);
        qApp->installEventFilter(&guide);
        guide.onPage = [&](ui::FrmHelp* help) {
            seen << lit(*w.frm);
            if (guide.pages == 1) {
                first = help->frameGeometry();
                QTRY_VERIFY(!help->tmrResize.isEnabled());
                const int height = vb::pixelsToTwips(help->frameGeometry().height());
                QVERIFY2(height > 3030 && height <= 3130, qPrintable(QString::number(height)));
            }
            if (guide.pages != endOn)
                QTest::mouseClick(help->cmdNext, Qt::LeftButton);
            else if (how == "Close")
                QTest::mouseClick(help->cmdClose, Qt::LeftButton);
            else if (how == "box")
                help->close();
            else
                w.game().Finish_Game(100);
        };
        w.check("chkHelp")->click();
        QVERIFY(QTest::qWaitFor([&] { return w.check("chkHelp")->value() == 0; }, 20000));
        w.game().display.removeObserver(&guide);

        const int pages = endOn ? endOn : 34;
        QStringList expected{"lstTable"};
        for (int i = 0; i < pages - 1; ++i) expected << ui::helpTourOrder()[std::size_t(i)];
        QCOMPARE(seen, expected);
        QCOMPARE(guide.sounds, how == "end" ? pages - 1 : pages);
        QCOMPARE(atName, QString(how == "end" ? "" : "-"));
        QVERIFY(colours(*w.frm) == before);
        QCOMPARE(w.well()->image(), well);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.well()));
        const QRect m = w.frm->frameGeometry();
        QCOMPARE(first.topLeft(), QPoint(std::max(0, m.left() - first.width()), m.top()));
        QVERIFY(guide.flat);
        if (endOn) return;
        // Every control but the two captions of the time bonus has its one page.
        QStringList controls = w.frm->controlNames();
        for (const QString& c : seen.mid(1)) QVERIFY(controls.removeOne(c));
        QCOMPARE(controls, (QStringList{"lblHeightBonus", "lblTotal"}));
    }
};

QTEST_MAIN(TestDemoHelp)
#include "test_demo_help.moc"
