#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/platform.h"
#include "persistence/gamefolders.h"
#include "ui/application.h"
#include "ui/icon.h"
#include "ui/toolkit/fonts.h"

namespace {

struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Print these options and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Print the version and exit.")};
    QCommandLineOption dataDir{QStringLiteral("data-dir"),
                               QStringLiteral("Keep the hall of fame and the settings in <dir> "
                                              "(created when missing), for a table shared by "
                                              "several players."),
                               QStringLiteral("dir")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Talomir XII Vostrun, a falling-figure puzzle game.\n\n"
                           "A copy in a folder you can write to keeps its hall of fame and "
                           "settings beside the program; an installed copy keeps them in your "
                           "own data folder."));
        parser.addOptions({help, version, dataDir});
    }
};

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // The threads beside the window's (X events, the accessibility bus, sound) allocate little
    // and mostly as they start: a heap of their own each would keep that freed memory apart.
    mallopt(M_ARENA_MAX, 1);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("talomir"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALOMIR_VERSION));
    Options options;
    {
        // Help and version are answered before any window system is touched, so that they
        // work without a display.
        QStringList arguments;
        for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
        options.parser.parse(arguments);
        if (options.parser.isSet(options.help) || options.parser.isSet(options.version)) {
            QCoreApplication core(argc, argv);
            const QString text = options.parser.isSet(options.help)
                                     ? options.parser.helpText()
                                     : QStringLiteral("talomir %1\n").arg(TALOMIR_VERSION);
            std::fputs(qPrintable(text), stdout);
            return 0;
        }
    }

    vb::prepareFonts();
    talomir::StartEnvironment env;
    env.ask("QT_QPA_PLATFORM", talomir::chosenPlatform(QProcessEnvironment::systemEnvironment()));
    QApplication app(argc, argv);  // takes the toolkit's own options out of the arguments
    env.restore();
    QGuiApplication::setDesktopFileName(QStringLiteral(TALOMIR_APP_ID));
    QApplication::setWindowIcon(talomir::ui::gameIcon());
    QCommandLineParser& parser = options.parser;
    const bool parsed = parser.parse(app.arguments());
    QString error = parser.errorText();
    if (parsed && !parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
    else if (parsed && parser.isSet(options.dataDir) && parser.value(options.dataDir).isEmpty())
        error = QStringLiteral("--data-dir wants a folder");
    if (!error.isEmpty()) {
        std::fprintf(stderr, "talomir: %s\nTry 'talomir --help'.\n", qPrintable(error));
        return 2;
    }

    using talomir::GameFolders;
    const GameFolders::Places places = GameFolders::systemPlaces(parser.value(options.dataDir));
    const GameFolders folders = GameFolders::choose(places);
    if (!folders.problem().isEmpty())
        std::fprintf(stderr, "talomir: %s\n", qPrintable(folders.problem()));
    // The entries a shared table could not take wait in the player's own folder, never the
    // shared one.
    talomir::ui::Application game(folders, nullptr, places.user);
    game.start();
    const int status = app.exec();
    game.finish();
    return status;
}
