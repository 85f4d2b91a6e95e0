// Cost of what the window repaints most in play: the time-bonus countdown's label, drawn
// offscreen into an image as the window's backing store would get it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "ui/toolkit/controls.h"
#include "ui/toolkit/fonts.h"

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "talomir-bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication a(argc, argv);
    return a;
}

// The countdown's 201 values in turn, laid out once before (`warm`, as after a game's first
// figure), or captions never shown before.
void countdown(benchmark::State& state, bool warm) {
    app();
    vb::Label label;
    label.resize(33, 17);
    label.setFont(vb::makeFont(QStringLiteral("Tahoma"), 8.25, false, false, false));
    QImage target(label.size(), QImage::Format_RGB32);
    QStringList values;
    for (int v = 200; v >= 0; --v) values << QString::number(v);
    if (warm)
        for (const QString& v : values) {
            label.setCaption(v);
            label.render(&target);
        }
    int i = 0;
    for (auto _ : state) {
        label.setCaption(warm ? values[i++ % values.size()] : QString::number(1000 + i++));
        label.render(&target);
    }
    benchmark::DoNotOptimize(target.constBits());
}

void BM_CaptionPaint_New(benchmark::State& state) {
    countdown(state, false);
}
BENCHMARK(BM_CaptionPaint_New);

void BM_CountdownPaint_Known(benchmark::State& state) {
    countdown(state, true);
}
BENCHMARK(BM_CountdownPaint_Known);

}  // namespace
