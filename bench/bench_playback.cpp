// Animated GIF playback: the CPU time of the whole process (every thread)
// while the real window plays a GIF, against the same window idle with no
// picture; then while the window is minimised, and while it is hidden.
//
// bench_playback [--seconds S] FILE     S seconds per phase (default 20)

#include "BenchSupport.h"
#include "ProgramWindow.h"

#include "compose/PictureBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Phase {
    double cpuPercent = 0; // of one core
    int paints = 0;        // of the canvas
};

Phase measure(bench::ProgramWindow &program, double seconds)
{
    bench::PaintCounter painted(program.canvas());
    const double cpuStart = bench::cpuMs();
    const double wallStart = bench::nowMs();
    bench::processFor(seconds * 1000.0);
    const double wall = bench::nowMs() - wallStart;
    return Phase{100.0 * (bench::cpuMs() - cpuStart) / wall, painted.count()};
}

} // namespace

int main(int argc, char **argv)
{
    double seconds = 20;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::max(0.05, std::atof(argv[++i]));
        else
            file = arg;
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: %s [--seconds S] FILE\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    bench::prepareApplication();
    bench::ProgramWindow program;
    if (!program.open())
        return 1;
    tilvane::PictureBox *canvas = program.canvas();

    const Phase idle = measure(program, seconds);

    program.choosePicture(QFileInfo(QString::fromStdString(file)).absoluteFilePath());
    if (!canvas->isAnimated()) {
        std::fprintf(stderr, "%s: the canvas does not play it\n", file.c_str());
        return 1;
    }
    const Phase playing = measure(program, seconds);

    program.window->showMinimized();
    bench::processFor(200);
    const bool pausedMinimised = !canvas->isPlaying();
    const Phase minimised = measure(program, seconds);

    program.window->showNormal();
    bench::processFor(200);
    program.window->hide();
    bench::processFor(200);
    const bool pausedHidden = !canvas->isPlaying();
    const Phase hidden = measure(program, seconds);

    std::printf("idle      %6.3f %% CPU, %4d canvas paints in %.1f s\n", idle.cpuPercent, idle.paints, seconds);
    std::printf("playing   %6.3f %% CPU, %4d canvas paints\n", playing.cpuPercent, playing.paints);
    std::printf("minimised %6.3f %% CPU, %4d canvas paints%s\n", minimised.cpuPercent, minimised.paints,
                pausedMinimised ? "" : " (the player did not pause)");
    std::printf("hidden    %6.3f %% CPU, %4d canvas paints%s\n", hidden.cpuPercent, hidden.paints,
                pausedHidden ? "" : " (the player did not pause)");
    bench::result("playback.idle_cpu_pct", idle.cpuPercent);
    bench::result("playback.playing_cpu_pct", playing.cpuPercent);
    bench::result("playback.playing_fps", playing.paints / seconds);
    bench::result("playback.minimised_cpu_pct", minimised.cpuPercent);
    bench::result("playback.minimised_paints", minimised.paints);
    bench::result("playback.hidden_cpu_pct", hidden.cpuPercent);
    bench::result("playback.hidden_paints", hidden.paints);
    return 0;
}
