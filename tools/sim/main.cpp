#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "tools/sim/simulator.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr), in(stdin);
    talomir::sim::Options options;
    QString error;
    bool help = false;
    if (!talomir::sim::parseArguments(app.arguments(), options, error, help)) {
        err << "talomir-sim: " << error << "\n" << talomir::sim::usage();
        return 2;
    }
    if (help) {
        out << talomir::sim::usage();
        return 0;
    }
    if (options.version) {
        out << "talomir-sim " << TALOMIR_VERSION << "\n";
        return 0;
    }
    talomir::sim::Simulator sim(options, out, err);
    if (!sim.start()) return 2;
    return sim.run(in);
}
