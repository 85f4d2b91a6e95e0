#pragma once
// One main window over a temporary data folder, with the end-of-game dialogs answered by
// hooks (which note their calls) and the fall ticks left to the test.
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "persistence/gamefolders.h"
#include "persistence/records.h"
#include "persistence/textfile.h"
#include "rules/random.h"
#include "tests/support/model_harness.h"
#include "ui/frmmain.h"
#include "ui/toolkit/controls.h"
#include "ui/toolkit/process.h"

namespace talomir::testing {

struct Window {
    // A table file is used when asked for or when lines are given to write into it.
    explicit Window(bool tableFile = false, const QStringList& tableLines = {}) {
        GameFolders::setCurrent(GameFolders::beside(dir.path()));
        const QString path =
            tableFile || !tableLines.isEmpty() ? dir.filePath("TalomirFathers.txt") : "";
        if (!tableLines.isEmpty()) textfile::writeLines(path, tableLines);
        records = std::make_unique<HallOfFameRecords>(path);
        frm = std::make_unique<ui::FrmMain>(rng, clock, records.get());
        frm->setFallTickMs(3600 * 1000);  // ticks only when a test asks
        ui::MainWindowHooks hooks;
        hooks.askPlayerName = [this](QString& name) {
            calls << "name";
            name = "Tester";
            return onName ? onName(name) : true;
        };
        hooks.askNewGame = [this] { return calls << "newgame", onNewGame ? onNewGame() : true; };
        hooks.firstLoad = [this] { calls << "firstload"; };
        hooks.saveSettings = [this] { calls << "save"; };
        frm->setHooks(hooks);
        frm->game().setDealer(&dealer);
    }

    bool start() {
        frm->Form_Load();
        frm->show();
        return QTest::qWaitForWindowExposed(frm.get());
    }
    Game& game() { return frm->game(); }
    const ControlState& operator[](Ctl c) const { return frm->presenter().state()[c]; }
    vb::PictureBox* well() { return frm->controls().picture(Ctl::picTalomir); }
    vb::CheckButton* check(Ctl c) { return frm->controls().check(c); }
    vb::CommandButton* button(Ctl c) { return frm->controls().command(c); }
    // Drops the current figure and ticks until it has landed.
    void land() {
        const int line = game().log().ListIndex();
        QTest::keyClick(frm.get(), Qt::Key_Down);
        for (int i = 0; i < 100 && game().log().ListIndex() == line; ++i) game().tick();
    }

    QTemporaryDir dir;
    ScriptedRandom rng{{}, 0.0f};
    FixedClock clock{0};
    ListDealer dealer;
    std::unique_ptr<HallOfFameRecords> records;
    std::unique_ptr<ui::FrmMain> frm;
    QStringList calls;
    std::function<bool(QString&)> onName;
    std::function<bool()> onNewGame;
};

}  // namespace talomir::testing
