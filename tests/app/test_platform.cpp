// The window system the game asks Qt for, from the environment it starts in.
#include <QtTest>

#include "app/platform.h"

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    // Xwayland on a Wayland session, Wayland itself without an X display; the player's own
    // choice always; elsewhere Qt's own.
    void waylandSessionsRunThroughXwayland() {
        const struct {
            const char *environment, *asked;
        } cases[] = {
            {"WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "xcb;wayland"},
            {"XDG_SESSION_TYPE=wayland DISPLAY=:1", "xcb;wayland"},
            {"QT_QPA_PLATFORM= WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "xcb;wayland"},
            {"WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland", "wayland"},
            {"QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0", "wayland"},
            {"DISPLAY=:0 XDG_SESSION_TYPE=x11", ""},
            {"WAYLAND_DISPLAY= DISPLAY=:0", ""},
            {"", ""},
        };
        for (const auto& c : cases) {
            QProcessEnvironment env;  // nothing but the case's variables
            for (const QString& v : QString(c.environment).split(' ', Qt::SkipEmptyParts))
                env.insert(v.section('=', 0, 0), v.section('=', 1));
            QVERIFY2(talomir::chosenPlatform(env) == c.asked, c.environment);
        }
    }

    // Asked for while the toolkit starts, unless the player set it; the player's own after.
    void startEnvironmentIsTakenBack() {
        qputenv("TALOMIR_TEST_OWN", "mine");
        qunsetenv("TALOMIR_TEST_ASKED");
        {
            talomir::StartEnvironment env;
            env.ask("TALOMIR_TEST_OWN", "1");
            env.ask("TALOMIR_TEST_ASKED", "1");
            env.ask("TALOMIR_TEST_NONE", "");
            QCOMPARE(qgetenv("TALOMIR_TEST_ASKED"), "1");
            env.restore();
            QVERIFY(!qEnvironmentVariableIsSet("TALOMIR_TEST_ASKED"));
            qputenv("TALOMIR_TEST_ASKED", "later");  // restored once only
        }
        QCOMPARE(qgetenv("TALOMIR_TEST_OWN"), "mine");
        QCOMPARE(qgetenv("TALOMIR_TEST_ASKED"), "later");
        QVERIFY(!qEnvironmentVariableIsSet("TALOMIR_TEST_NONE"));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
