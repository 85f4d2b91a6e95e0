#include <QApplication>

#include "game/random.h"
#include "scoring/halloffame.h"
#include "ui/frmmain.h"
#include "ui/toolkit/process.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    talomir::DefaultRandom rng;
    talomir::SystemClock clock;
    talomir::HallOfFame records(vb::AppPath::file(QStringLiteral("TalomirFathers.txt")));
    talomir::ui::FrmMain frmMain(rng, clock, &records);
    frmMain.Form_Load();
    frmMain.show();
    frmMain.picTalomir->setFocus();
    return app.exec();
}
