#pragma once
// Small helpers shared by the benchmark programs: clocks, medians, memory
// high-water mark, child processes, and the RESULT lines bench.sh collects.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC, which every process on the machine shares.
std::int64_t nowNs();
double nowMs();
// User plus system CPU time of this process (all its threads).
double cpuMs();

double median(std::vector<double> values);
double percentile(std::vector<double> values, double fraction);

// From /proc/<pid>/status, in kB; 0 when unreadable. pid 0 is this process.
long statusKb(const char *field, int pid = 0);
inline long peakRssKb(int pid = 0) { return statusKb("VmHWM:", pid); }

// A whole file's bytes, in memory that is not cleared first (as a program
// reading a file into its buffer would have it).
class FileBytes {
public:
    FileBytes() = default;
    explicit FileBytes(std::size_t size) : data_(new std::uint8_t[size]), size_(size) {}
    std::uint8_t *data() { return data_.get(); }
    const std::uint8_t *data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};

std::optional<FileBytes> readFile(const std::string &path);

// One line "RESULT <key> <value>" on stdout, which bench.sh collects.
void result(const std::string &key, double value);

struct ChildRun {
    bool ok = false;        // started and ended with exit code 0
    int exitCode = -1;
    double wallMs = 0;      // from just before the spawn to the end of the wait
    std::int64_t startNs = 0;
    std::string output;     // what it wrote to reportFd (or stdout)
};

struct ChildOptions {
    std::vector<std::string> extraEnv;   // NAME=value, added to ours
    int reportFd = -1;       // >= 0: a pipe is given to the child at this fd and read
    bool captureStdout = false;
    bool quiet = true;       // stdout and stderr of the child to /dev/null unless captured
    double timeoutMs = 60000;
};

// Runs argv[0] (a path, no search) with argv, waits for it, times it.
ChildRun runChild(const std::vector<std::string> &argv, const ChildOptions &options = {});

// The value after "key " on a line of text, e.g. "load_ms 12.5".
std::optional<double> findValue(const std::string &text, const std::string &key);

// Executable path of this program, for spawning itself.
std::string selfPath();

// given when not empty, else the first executable of candidates; empty when none.
std::string findExecutable(const std::string &given, std::initializer_list<const char *> candidates);

} // namespace bench
