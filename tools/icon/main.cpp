// Writes the game's icon into an icon theme folder: hicolor/scalable/apps/ID.svg and
// hicolor/NxN/apps/ID.png at the sizes desktops look for.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "ui/icon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: talomir-icon FOLDER ID\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString id = QString::fromLocal8Bit(argv[2]);
    const auto place = [&](const QString& folder, const QString& file) {
        out.mkpath(folder);  // a folder that cannot be made fails the write below
        return out.filePath(folder + u'/' + file);
    };
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = place(QStringLiteral("hicolor/%1x%1/apps").arg(size), id + ".png");
        if (!talomir::ui::drawIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "talomir-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    QFile svg(place(QStringLiteral("hicolor/scalable/apps"), id + ".svg"));
    const QByteArray text = talomir::ui::iconSvg();
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(text) != text.size()) {
        std::fprintf(stderr, "talomir-icon: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    return 0;
}
