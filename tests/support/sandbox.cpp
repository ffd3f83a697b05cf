// Test support: loading and rendering modules with DUMB in a child process.
#include "support/sandbox.h"

#include <dumb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>

// What the child tells the parent about one module.
struct Report {
    uint32_t index;
    uint32_t finished; // 0 when the work starts, 1 when it is over
    int32_t loaded;
    int32_t peak;
    double seconds; // load and render, timed by the child
};

static void tell(int fd, const Report &r)
{
    const char *p = reinterpret_cast<const char *>(&r);
    size_t left = sizeof r;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n <= 0)
            _exit(3);
        p += n;
        left -= static_cast<size_t>(n);
    }
}

// The game loads its module from a file through DUMB's stdio reader, which behaves
// differently from its memory reader when asked to skip past the end: play the same way.
static int play(const Bytes &module, const std::string &path, long frames, bool &loaded)
{
    FILE *out = fopen(path.c_str(), "wb");
    if (!out || fwrite(module.data(), 1, module.size(), out) != module.size())
        _exit(4);
    fclose(out);
    DUH *duh = dumb_load_xm_quick(path.c_str());
    loaded = duh != nullptr;
    if (!duh)
        return 0;
    int peak = 0;
    DUH_SIGRENDERER *sr = duh_start_sigrenderer(duh, 0, 1, 0);
    if (sr) {
        short buf[1024];
        long left = frames;
        while (left > 0) {
            const long want = left < 1024 ? left : 1024;
            const long got = duh_render(sr, 16, 0, 1.0f, 65536.0f / 11025, want, buf);
            if (got <= 0)
                break;
            for (long k = 0; k < got; ++k)
                peak = std::max(peak, std::abs(static_cast<int>(buf[k])));
            left -= got;
        }
        duh_end_sigrenderer(sr);
    }
    unload_duh(duh);
    return peak;
}

static void child(int fd, const std::vector<Bytes> &modules, const std::string &path,
                  long frames)
{
    dumb_register_stdfiles();
    for (size_t i = 0; i < modules.size(); ++i) {
        tell(fd, Report{static_cast<uint32_t>(i), 0, 0, 0, 0});
        const auto start = std::chrono::steady_clock::now();
        bool loaded = false;
        const int peak = play(modules[i], path, frames, loaded);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        tell(fd, Report{static_cast<uint32_t>(i), 1, loaded, peak, took.count()});
    }
    _exit(0);
}

// Reads one report, waiting at most `seconds`; false on end of stream or timeout.
static bool hear(int fd, Report &r, double seconds, bool &timedout)
{
    char *p = reinterpret_cast<char *>(&r);
    size_t got = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    timedout = false;
    while (got < sizeof r) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            timedout = true;
            return false;
        }
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left)) <= 0)
            continue;
        const ssize_t n = read(fd, p + got, sizeof r - got);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

static std::string status(int st)
{
    if (WIFSIGNALED(st))
        return std::string("killed by signal ") + std::to_string(WTERMSIG(st)) + " (" +
               strsignal(WTERMSIG(st)) + ")";
    if (WIFEXITED(st))
        return "exited with status " + std::to_string(WEXITSTATUS(st));
    return "stopped";
}

SandboxRun sandboxplay(const std::vector<Bytes> &modules, long frames, double stall)
{
    SandboxRun run;
    int fds[2];
    if (pipe(fds) != 0) {
        run.failed = true;
        run.why = "no pipe";
        return run;
    }
    const std::string path = "/tmp/vellmora-sandbox-" + std::to_string(getpid()) + ".xm";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        child(fds[1], modules, path, frames);
    }
    close(fds[1]);
    size_t current = 0;
    Report r;
    bool timedout = false;
    while (run.cases.size() < modules.size() && hear(fds[0], r, stall, timedout)) {
        if (!r.finished) {
            current = r.index;
            continue;
        }
        SandboxCase c;
        c.loaded = r.loaded != 0;
        c.peak = r.peak;
        c.seconds = r.seconds;
        if (c.seconds > 1.0)
            run.slow.push_back(r.index);
        run.cases.push_back(c);
    }
    if (timedout)
        kill(pid, SIGKILL);
    close(fds[0]);
    int st = 0;
    waitpid(pid, &st, 0);
    remove(path.c_str());
    if (run.cases.size() < modules.size() || !WIFEXITED(st) || WEXITSTATUS(st) != 0) {
        run.failed = true;
        run.failedcase = current;
        run.why = timedout ? "no progress for " + std::to_string(stall) + " s" : status(st);
    }
    return run;
}

std::string describe(const SandboxRun &run)
{
    if (!run.failed)
        return "ran " + std::to_string(run.cases.size()) + " modules";
    return "module " + std::to_string(run.failedcase) + ": " + run.why;
}
