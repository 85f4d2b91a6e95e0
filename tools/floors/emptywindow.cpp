// emptywindow: an empty Qt Widgets window and nothing else, for tools/measure-window.sh. Its
// start-up is the least any window on this toolkit can take here, whatever it draws.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty Qt window"));
    window.resize(400, 500);
    window.show();
    return app.exec();
}
