#pragma once
// A headless game driven by text commands: replays, tests and benchmarks without a window.
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <deque>
#include <memory>

#include "persistence/records.h"
#include "presentation/presenter.h"
#include "rules/game.h"

namespace talomir::sim {

struct Options {
    int second = -1;  // -1: the real clock
    QString figuresFile;
    QString tableFile;
    bool record = false;
    QString recordName;
    bool version = false;  // print the version and stop
    int games = 1;         // the game-over question is answered yes games - 1 times
};

// Parses the command line; on failure returns false with a message in error.
bool parseArguments(const QStringList& args, Options& options, QString& error, bool& help);
QString usage();

// Figures dealt from a file ahead of the chooser: "MASK" or "MASK BONUS" per line.
class FileDealer : public FigureDealer {
public:
    bool load(const QString& path, QString& error);
    std::optional<FigureRec> deal() override;
    std::size_t remaining() const { return figures_.size(); }

private:
    std::deque<FigureRec> figures_;
};

class Simulator : public GameEvents, public GameQuestions {
public:
    Simulator(const Options& options, QTextStream& out, QTextStream& err);
    ~Simulator() override;

    // Sets up the game; false (with a message already written) when an input file is bad.
    bool start();
    // Runs commands until the input ends or the game is over; returns the exit status.
    int run(QTextStream& in);

    Game& game() { return *game_; }
    QString board() const;   // the `show` picture
    QString labels() const;  // the `labels` lines

    // GameEvents
    void logAppended(const QString& line) override;
    void gameStarting(int, int) override { holding_ = true; }
    void logCleared() override { holding_ = false; }
    void playerLeaves() override { over_ = true; }
    // GameQuestions
    bool askPlayerName(QString& name) override;
    bool askNewGame() override;

private:
    bool execute(const QString& line, int lineNo);
    // The outcome of --record on standard error; the exit status, 1 when the entry was not stored.
    int reportRecord();

    Options options_;
    QTextStream& out_;
    QTextStream& err_;
    std::unique_ptr<RandomSource> rng_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<HallOfFameRecords> records_;
    FileDealer dealer_;
    std::unique_ptr<Game> game_;
    std::unique_ptr<Presenter> presenter_;
    bool over_ = false;
    int gamesOver_ = 0;
    // Between the layout and the clearing of the log a game start may announce its first next
    // figure; the log drops that line, so the transcript does too.
    bool holding_ = false;
};

}  // namespace talomir::sim
