// emptywindow: an empty Qt Widgets window and nothing else, for tools/measure-window.sh. Its
// start-up is the least any window on this toolkit can take here, whatever it draws. With
// --label it shows one bold Tahoma label, as any window with text must: that pays for matching
// and loading a font (fontconfig's set-up), which an empty window never does.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool label = app.arguments().contains(QStringLiteral("--label"));
    QWidget window;
    window.setWindowTitle(label ? QStringLiteral("Labelled Qt window")
                                : QStringLiteral("Empty Qt window"));
    window.resize(400, 500);
    if (label) {
        auto* text = new QLabel(QStringLiteral("Level # 0"), &window);
        QFont font(QStringLiteral("Tahoma"), 18);
        font.setBold(true);
        text->setFont(font);
        text->move(20, 20);
    }
    window.show();
    return app.exec();
}
