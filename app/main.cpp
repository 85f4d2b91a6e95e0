#include <QApplication>

#include "ui/application.h"
#include "ui/toolkit/process.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    talomir::ui::Application game(vb::AppPath::path());
    game.start();
    return app.exec();
}
