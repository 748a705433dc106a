// Preloaded (LD_PRELOAD) into a Qt program by bench_spawn: at the first
// expose of a top-level window it lets the window paint, then writes
// "FIRSTPAINT <CLOCK_MONOTONIC ns> <VmHWM kB> <CPU time µs>" to the file descriptor named by
// TILVANE_BENCH_FIRST_PAINT_FD and ends the process. The same hook goes into
// the program and into the reference window, so both are timed alike and
// neither needs code of its own for it.

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

long peakRssKb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

class FirstPaint : public QObject {
public:
    explicit FirstPaint(int fd) : fd_(fd) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Expose || inside_)
            return false;
        auto *window = qobject_cast<QWindow *>(watched);
        if (!window || !window->isTopLevel() || window->type() != Qt::Window || !window->isExposed())
            return false;
        // The window handles its expose here, painting every widget and
        // flushing the result to the display, before the clock is read.
        inside_ = true;
        static_cast<QObject *>(window)->event(event);
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long long cpuUs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec
            + usage.ru_stime.tv_usec;
        char line[128];
        const int n = std::snprintf(line, sizeof line, "FIRSTPAINT %lld %ld %lld\n",
                                    static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec, peakRssKb(), cpuUs);
        if (n > 0 && write(fd_, line, static_cast<std::size_t>(n)) < 0)
            _exit(3);
        // Nothing after the first paint is measured; tearing down would only
        // cost time.
        _exit(0);
    }

private:
    int fd_;
    bool inside_ = false;
};

void installFirstPaint()
{
    const char *fd = std::getenv("TILVANE_BENCH_FIRST_PAINT_FD");
    if (!fd || !*fd)
        return;
    QCoreApplication::instance()->installEventFilter(new FirstPaint(std::atoi(fd)));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installFirstPaint)
