#include "tools/sim/simulator.h"

#include <QFile>

namespace talomir::sim {

namespace {

constexpr long kMaxTicks = 100000000;  // one command; a whole game needs far fewer

bool parseCount(const QString& s, long max, long& value) {
    bool ok = false;
    const long v = s.toLong(&ok);
    if (!ok || v < 0 || v > max) return false;
    value = v;
    return true;
}

}  // namespace

QString usage() {
    return QStringLiteral(
        "usage: talomir-sim [--second S] [--figures FILE] [--games N] [--table FILE [--record "
        "NAME]]\n"
        "       talomir-sim --version\n"
        "  Plays a game headless; commands on standard input, one a line:\n"
        "    tick [N]   N fall ticks (default 1)\n"
        "    left | right | rotate | drop   the arrow keys, pressed and released\n"
        "    esc        the ESC key (pause / resume)\n"
        "    show       the play area: # settled, @ falling, . empty\n"
        "    labels     the captions of the score, level and place labels\n"
        "  Blank lines and lines starting with # are ignored.\n"
        "  --second S      the clock reports second S (0 to 59)\n"
        "  --figures FILE  deal figures from FILE: a 16-character mask of 0 and 1 a line,\n"
        "                  optionally a blank and a bonus in tenths (a bonus figure)\n"
        "  --games N       play N games: the new-game question is answered yes N-1 times\n"
        "  --table FILE    rank against this hall-of-fame file, read at the game start\n"
        "  --record NAME   at game over, offer the score to the --table file with NAME as\n"
        "                  the player's answer (an empty NAME is a confirmed empty name);\n"
        "                  the outcome goes to standard error, and the exit status is 1\n"
        "                  when the entry could not be stored\n"
        "  Without --table the game ranks against an empty table and touches no file.\n");
}

bool parseArguments(const QStringList& args, Options& options, QString& error, bool& help) {
    help = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option %1 needs a value").arg(a);
                return false;
            }
            out = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
        } else if (a == QLatin1String("--version")) {
            options.version = true;
        } else if (a == QLatin1String("--second")) {
            if (!value(v)) return false;
            long s = 0;
            if (!parseCount(v, 59, s)) {
                error = QStringLiteral("--second wants a number from 0 to 59, not '%1'").arg(v);
                return false;
            }
            options.second = static_cast<int>(s);
        } else if (a == QLatin1String("--games")) {
            if (!value(v)) return false;
            long n = 0;
            if (!parseCount(v, 1000, n) || n < 1) {
                error = QStringLiteral("--games wants a number from 1 to 1000, not '%1'").arg(v);
                return false;
            }
            options.games = static_cast<int>(n);
        } else if (a == QLatin1String("--figures")) {
            if (!value(options.figuresFile)) return false;
        } else if (a == QLatin1String("--table")) {
            if (!value(options.tableFile)) return false;
            if (options.tableFile.isEmpty()) {
                error = QStringLiteral("--table wants a file name");
                return false;
            }
        } else if (a == QLatin1String("--record")) {
            if (!value(options.recordName)) return false;
            options.record = true;
        } else {
            error = QStringLiteral("unknown option '%1'").arg(a);
            return false;
        }
    }
    if (options.record && options.tableFile.isEmpty()) {
        error = QStringLiteral("--record needs --table FILE");
        return false;
    }
    return true;
}

bool FileDealer::load(const QString& path, QString& error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot be read: %2").arg(path, f.errorString());
        return false;
    }
    int lineNo = 0;
    while (!f.atEnd()) {
        ++lineNo;
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.isEmpty()) continue;
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        FigureRec rec;
        bool good = parts.size() <= 2 && isValidMask(parts[0]);
        if (good && parts.size() == 2) {
            bool ok = false;
            const qlonglong bonus = parts[1].toLongLong(&ok);
            good = ok && bonus >= 0 && bonus <= 2147483647LL;
            rec.Bonus = static_cast<Long>(bonus);
            rec.IsTalomir = -1;
        }
        if (!good) {
            error = QStringLiteral(
                        "%1:%2: bad figure line '%3' (want 16 characters 0 or 1, "
                        "optionally a blank and a bonus in tenths)")
                        .arg(path)
                        .arg(lineNo)
                        .arg(line);
            return false;
        }
        rec.Mask = maskFromString(parts[0]);
        figures_.push_back(rec);
    }
    return true;
}

std::optional<FigureRec> FileDealer::deal() {
    if (figures_.empty()) return std::nullopt;
    FigureRec r = figures_.front();
    figures_.pop_front();
    return r;
}

Simulator::Simulator(const Options& options, QTextStream& out, QTextStream& err)
    : options_(options), out_(out), err_(err) {}

Simulator::~Simulator() {
    if (game_) game_->unlisten(this);
}

bool Simulator::start() {
    if (!options_.figuresFile.isEmpty()) {
        QString error;
        if (!dealer_.load(options_.figuresFile, error)) {
            err_ << "talomir-sim: " << error << "\n";
            err_.flush();
            return false;
        }
    }
    rng_ = std::make_unique<DefaultRandom>();
    if (options_.second >= 0)
        clock_ = std::make_unique<FixedClock>(options_.second);
    else
        clock_ = std::make_unique<SystemClock>();
    records_ = std::make_unique<HallOfFameRecords>(options_.tableFile);
    game_ = std::make_unique<Game>(*rng_, *clock_);
    presenter_ = std::make_unique<Presenter>(*rng_);
    game_->listen(presenter_.get());
    game_->listen(this);
    game_->setQuestions(this);
    game_->setRecords(records_.get());
    if (!options_.figuresFile.isEmpty()) game_->setDealer(&dealer_);
    game_->Form_Load();
    return true;
}

void Simulator::logAppended(const QString& line) {
    if (!holding_) out_ << line << "\n";
}

bool Simulator::askNewGame() {
    out_ << "GAME OVER " << game_->scoring().shownScore() << "\n";
    return ++gamesOver_ < options_.games;
}

bool Simulator::askPlayerName(QString& name) {
    if (!options_.record) return false;
    name = options_.recordName;
    return true;
}

QString Simulator::board() const {
    const Playfield& f = game_->field();
    QString s;
    s.reserve(31 * 16);
    for (int r = 0; r <= Playfield::WellHeight - 4; ++r) {
        for (int c = 4; c <= Playfield::WellWidth - 4; ++c) {
            const int x = c - f.figX(), y = r - f.figY();
            const bool falling = x >= 0 && x < 4 && y >= 0 && y < 4 && f.figure()[x][y];
            s += falling ? u'@' : (f.cell(c, r) ? u'#' : u'.');
        }
        s += u'\n';
    }
    return s;
}

QString Simulator::labels() const {
    static const struct {
        Ctl c;
        const char* name;
    } order[] = {{Ctl::lblScore, "lblScore"},
                 {Ctl::lblLevel, "lblLevel"},
                 {Ctl::lblRemain, "lblRemain"},
                 {Ctl::lblCountLines1, "lblCountLines1"},
                 {Ctl::lblCountLines2, "lblCountLines2"},
                 {Ctl::lblCountLines3, "lblCountLines3"},
                 {Ctl::lblCountLines4, "lblCountLines4"},
                 {Ctl::lblSumBonus, "lblSumBonus"},
                 {Ctl::lblFirma, "lblFirma"},
                 {Ctl::lblTimeBonus, "lblTimeBonus"},
                 {Ctl::lblTotalScore, "lblTotalScore"},
                 {Ctl::lblPosition, "lblPosition"},
                 {Ctl::lblNextPlace, "lblNextPlace"}};
    QString s;
    for (const auto& l : order) {
        // A hidden label shows nothing, whatever caption it keeps.
        const ControlState& st = presenter_->state()[l.c];
        s += QLatin1String(l.name) + QStringLiteral(": ") + (st.Visible ? st.Caption : QString()) +
             u'\n';
    }
    return s;
}

bool Simulator::execute(const QString& line, int lineNo) {
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    const QString& cmd = words[0];
    auto bad = [&](const QString& why) {
        err_ << "talomir-sim: line " << lineNo << ": " << why << ": '" << line << "'\n";
        err_.flush();
        return false;
    };
    auto key = [&](int code) {
        game_->Form_KeyDown(code);
        game_->Form_KeyUp(code);
    };
    if (cmd == QLatin1String("tick")) {
        long n = 1;
        if (words.size() > 2) return bad(QStringLiteral("tick takes one number"));
        if (words.size() == 2 && !parseCount(words[1], kMaxTicks, n))
            return bad(QStringLiteral("bad tick count"));
        for (long i = 0; i < n && !over_; ++i) game_->tick();
        return true;
    }
    if (words.size() != 1) return bad(QStringLiteral("unexpected argument"));
    if (cmd == QLatin1String("left"))
        key(vk::Left);
    else if (cmd == QLatin1String("right"))
        key(vk::Right);
    else if (cmd == QLatin1String("rotate"))
        key(vk::Up);
    else if (cmd == QLatin1String("drop"))
        key(vk::Down);
    else if (cmd == QLatin1String("esc"))
        key(vk::Escape);
    else if (cmd == QLatin1String("show"))
        out_ << board();
    else if (cmd == QLatin1String("labels"))
        out_ << labels();
    else
        return bad(QStringLiteral("unknown command"));
    return true;
}

int Simulator::run(QTextStream& in) {
    int lineNo = 0;
    QString line;
    while (!over_ && in.readLineInto(&line)) {
        ++lineNo;
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;
        if (!execute(trimmed, lineNo)) {
            out_.flush();
            return 2;
        }
        out_.flush();
    }
    out_.flush();
    return over_ && options_.record ? reportRecord() : 0;
}

int Simulator::reportRecord() {
    using Outcome = HallOfFame::AddOutcome;
    const HallOfFame& table = records_->table();
    switch (records_->lastOutcome) {
        case Outcome::Saved:
            err_ << "talomir-sim: entry stored\n";
            return 0;
        case Outcome::NoPlace:
            err_ << "talomir-sim: no place in the table\n";
            return 0;
        case Outcome::Cancelled:
            return 0;
        case Outcome::Displaced:
            err_ << "talomir-sim: entry not stored: pushed out by others' entries\n";
            return 1;
        case Outcome::NotSaved:
            err_ << "talomir-sim: entry not stored: " << table.lastError() << "\n";
            return 1;
    }
    return 1;
}

}  // namespace talomir::sim
