#pragma once
// The hall of fame behind the game's table interface.
#include "persistence/halloffame.h"
#include "rules/records.h"

namespace talomir {

class HallOfFameRecords : public Records {
public:
    // An empty path: a table in memory that touches no file.
    explicit HallOfFameRecords(const QString& path = QString()) : table_(path) {}

    void Load_Records() override { table_.Load_Records(); }
    QStringList Fill_Table_List() const override { return table_.Fill_Table_List(); }
    void Add_Record(Long FinalScore, const std::function<bool(QString&)>& askName) override {
        lastOutcome = table_.Add_Record(FinalScore, askName);
    }
    void Save_Records() override { table_.Save_Records(); }
    void Clear_Records() override { table_.Clear_Records(); }
    int count() const override { return table_.count(); }
    const std::vector<double>& scores() const override { return table_.scores(); }

    HallOfFame& table() { return table_; }
    // What the last game's score came to.
    HallOfFame::AddOutcome lastOutcome = HallOfFame::AddOutcome::NoPlace;

private:
    HallOfFame table_;
};

}  // namespace talomir
