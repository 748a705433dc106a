#include "BenchSupport.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace bench {

std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

double nowMs() { return static_cast<double>(nowNs()) / 1e6; }

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return static_cast<double>(t.tv_sec) * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> values) { return percentile(std::move(values), 0.5); }

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    // Linear between the two nearest ranks, so an even count gives the mean of the middle two.
    const double at = fraction * static_cast<double>(values.size() - 1);
    const auto low = static_cast<std::size_t>(std::floor(at));
    const auto high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (at - static_cast<double>(low));
}

long statusKb(const char *field, int pid)
{
    const std::string path = pid > 0 ? "/proc/" + std::to_string(pid) + "/status" : "/proc/self/status";
    std::ifstream in(path);
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::strtol(line.c_str() + n, nullptr, 10);
    return 0;
}

std::optional<FileBytes> readFile(const std::string &path)
{
    // In one read of the known size, as the program reads a picture file.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<FileBytes> bytes;
    if (fstat(fd, &info) == 0 && info.st_size >= 0) {
        FileBytes data(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t got = read(fd, data.data() + done, data.size() - done);
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        if (done == data.size())
            bytes = std::move(data);
    }
    close(fd);
    return bytes;
}

void result(const std::string &key, double value)
{
    std::printf("RESULT %s %.6g\n", key.c_str(), value);
    std::fflush(stdout);
}

ChildRun runChild(const std::vector<std::string> &argv, const ChildOptions &options)
{
    ChildRun run;
    int pipeFds[2] = {-1, -1};
    const bool reading = options.reportFd >= 0 || options.captureStdout;
    if (reading && pipe2(pipeFds, O_CLOEXEC) != 0)
        return run;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.quiet || options.captureStdout) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    if (options.captureStdout)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    else if (options.reportFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], options.reportFd);

    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const std::string &extra : options.extraEnv) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(env, [&](const std::string &e) { return e.compare(0, name.size(), name) == 0; });
        env.push_back(extra);
    }
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char *> argp;
    for (std::string &a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);

    pid_t pid = 0;
    run.startNs = nowNs();
    const int spawned = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (reading)
        close(pipeFds[1]);
    if (spawned != 0) {
        if (reading)
            close(pipeFds[0]);
        return run;
    }

    // The child's end is waited for through a pidfd, so its exit is seen at
    // once without polling and a hung child can still be timed out.
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    const double deadline = nowMs() + options.timeoutMs;
    bool timedOut = false;
    bool exited = false;
    bool pipeOpen = reading;
    int status = 0;
    char buffer[4096];
    while (!exited || pipeOpen) {
        const int left = static_cast<int>(deadline - nowMs());
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[2];
        nfds_t n = 0;
        if (pipeOpen)
            fds[n++] = pollfd{pipeFds[0], POLLIN, 0};
        if (!exited)
            fds[n++] = pollfd{pidFd, POLLIN, 0};
        const int ready = poll(fds, n, pidFd < 0 && !exited ? std::min(left, 1) : left);
        if (ready < 0 && errno != EINTR)
            break;
        if (!exited && waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            run.wallMs = static_cast<double>(nowNs() - run.startNs) / 1e6;
        }
        if (pipeOpen && ready > 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
            const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
            if (got > 0)
                run.output.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                pipeOpen = false;
        }
    }
    if (reading)
        close(pipeFds[0]);
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        run.wallMs = static_cast<double>(nowNs() - run.startNs) / 1e6;
    }
    if (pidFd >= 0)
        close(pidFd);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.ok = !timedOut && run.exitCode == 0;
    return run;
}

std::optional<double> findValue(const std::string &text, const std::string &key)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            if (word == key) {
                double value = 0;
                if (words >> value)
                    return value;
            }
        }
    }
    return std::nullopt;
}

std::string selfPath()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string findExecutable(const std::string &given, std::initializer_list<const char *> candidates)
{
    if (!given.empty())
        return given;
    for (const char *candidate : candidates)
        if (access(candidate, X_OK) == 0)
            return candidate;
    return {};
}

} // namespace bench
