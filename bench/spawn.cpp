// Start-up timing: runs each program several times, alternating, with the
// first-paint hook preloaded, and reports the median time from just before
// the spawn to the end of the first paint of its window.
//
// bench_spawn [--runs N] --first-paint HOOK.so --name A PROGRAM_A [--arg X] --name B PROGRAM_B ...
// (--arg adds one argument to the program named just before)

#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Program {
    std::string name;
    std::string path;
    std::vector<std::string> args;
    std::vector<double> ms;
    std::vector<double> peakKb;
    std::vector<double> cpuMs;
};

constexpr int kReportFd = 3;

bool runOnce(Program &program, const std::string &hook, bool keep)
{
    bench::ChildOptions options;
    options.extraEnv = {"LD_PRELOAD=" + hook, "TILVANE_BENCH_FIRST_PAINT_FD=" + std::to_string(kReportFd)};
    options.reportFd = kReportFd;
    options.timeoutMs = 30000;
    std::vector<std::string> argv{program.path};
    argv.insert(argv.end(), program.args.begin(), program.args.end());
    const bench::ChildRun run = bench::runChild(argv, options);
    std::istringstream in(run.output);
    std::string word;
    long long paintedNs = 0;
    long peakKb = 0;
    long long cpuUs = 0;
    while (in >> word)
        if (word == "FIRSTPAINT")
            in >> paintedNs >> peakKb >> cpuUs;
    if (paintedNs <= 0) {
        std::fprintf(stderr, "%s: no first paint reported (exit code %d)\n", program.path.c_str(), run.exitCode);
        return false;
    }
    const double ms = static_cast<double>(paintedNs - run.startNs) / 1e6;
    if (keep) {
        program.ms.push_back(ms);
        program.peakKb.push_back(static_cast<double>(peakKb));
        program.cpuMs.push_back(static_cast<double>(cpuUs) / 1000.0);
    }
    std::printf("%-10s %8.2f ms to first paint, %7.2f ms CPU, VmHWM %ld kB%s\n", program.name.c_str(), ms,
                static_cast<double>(cpuUs) / 1000.0, peakKb, keep ? "" : " (warm-up)");
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 9;
    std::string hook;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--first-paint" && i + 1 < argc)
            hook = argv[++i];
        else if (arg == "--name" && i + 2 < argc) {
            programs.push_back(Program{argv[i + 1], argv[i + 2], {}, {}, {}, {}});
            i += 2;
        } else if (arg == "--arg" && i + 1 < argc && !programs.empty()) {
            programs.back().args.push_back(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--runs N] --first-paint HOOK --name A PROGRAM ...\n", argv[0]);
            return 2;
        }
    }
    if (hook.empty() || programs.empty()) {
        std::fprintf(stderr, "need --first-paint and at least one --name\n");
        return 2;
    }
    // One unmeasured run each fills the caches (fontconfig, page cache), as
    // a user's second start would find them.
    for (Program &p : programs)
        if (!runOnce(p, hook, false))
            return 1;
    for (int r = 0; r < runs; ++r) {
        // Alternating the order spreads any drift of the machine over both.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            Program &p = programs[r % 2 == 0 ? k : programs.size() - 1 - k];
            if (!runOnce(p, hook, true))
                return 1;
        }
    }
    for (const Program &p : programs) {
        bench::result("startup." + p.name + "_ms", bench::median(p.ms));
        bench::result("startup." + p.name + "_cpu_ms", bench::median(p.cpuMs));
        bench::result("startup." + p.name + "_hwm_mb", bench::median(p.peakKb) / 1024.0);
    }
    // The first program against each other one, run by run: the two runs of
    // a round are seconds apart, so a drift in the machine's load cancels
    // out better than in a ratio of two medians.
    for (std::size_t k = 1; k < programs.size(); ++k) {
        std::vector<double> ratios;
        for (std::size_t r = 0; r < programs[0].ms.size(); ++r)
            ratios.push_back(programs[0].ms[r] / programs[k].ms[r]);
        bench::result("startup." + programs[0].name + "_over_" + programs[k].name, bench::median(ratios));
    }
    return 0;
}
