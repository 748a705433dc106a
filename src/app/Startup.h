#pragma once
// Start-up and shutdown: program folder as current directory, read the
// window definition, build, run the loop, run the exit step once.

#include "app/MainWindow.h"

#include <QByteArray>
#include <functional>
#include <optional>
#include <vector>

namespace tilvane {

class Platform;

// Every handler the window definition may name.
const HandlerTable &programHandlers();

// A clean-up routine registered during start-up and run exactly once.
class ExitStep {
public:
    void registerStep(std::function<void()> step) { step_ = std::move(step); }
    void runOnce();
    int timesRun() const { return timesRun_; }

private:
    std::function<void()> step_;
    int timesRun_ = 0;
};

struct StartupOptions {
    // The definition's bytes; nullopt when it could not be read at all.
    std::optional<QByteArray> definition;
    bool runLoop = true;
};

inline constexpr int kFatalExitCode = -1;

// Runs the program inside an existing QApplication: returns 0 after the
// window has been closed, or -1 after the fatal error box.
int runProgram(Platform &platform, const StartupOptions &options, ExitStep &exitStep);

// Makes the folder holding the program file the current directory.
void enterProgramFolder(const char *argv0);

// The whole life of the process, from main().
int startup(int argc, char **argv);

} // namespace tilvane
