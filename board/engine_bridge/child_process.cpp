#include "board/engine_bridge/child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "board/engine_bridge/answer.h"

namespace board::engine {

namespace {

using Clock = std::chrono::steady_clock;

// More than any answer needs (a long MP4 is a few megabytes); a child that
// sends more is killed rather than allowed to fill the server's memory.
constexpr std::size_t kMaxAnswerBytes = std::size_t{256} << 20;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool writeAll(int fd, const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Between fork and exec only async-signal-safe calls: everything the child
// needs was made before the fork.
[[noreturn]] void becomeChild(pid_t parent, int input, int output, int devNull, const Limits& limits,
                              char* const* argv) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(126);  // the parent died before the line above
    // Sanitizer builds reserve terabytes of address space up front: there the
    // deadline alone bounds the child.
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit memory{static_cast<rlim_t>(limits.memoryBytes), static_cast<rlim_t>(limits.memoryBytes)};
    ::setrlimit(RLIMIT_AS, &memory);
#else
    static_cast<void>(limits);
#endif
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::signal(SIGPIPE, SIG_DFL);
    if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 || ::dup2(devNull, STDERR_FILENO) < 0)
        ::_exit(126);
    ::close_range(3, ~0U, 0);
    ::execv("/proc/self/exe", argv);
    ::_exit(127);
}

std::string describeStatus(int status) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGKILL) return "the engine was killed (out of memory?)";
        return std::string("the engine crashed (") + (::strsignal(signal) ? ::strsignal(signal) : "a signal") + ")";
    }
    if (WIFEXITED(status)) {
        if (WEXITSTATUS(status) == 127 || WEXITSTATUS(status) == 126) return "the engine could not be started";
        return "the engine stopped with status " + std::to_string(WEXITSTATUS(status)) + " and no answer";
    }
    return "the engine stopped";
}

}  // namespace

std::string ChildResult::text(const std::string& name) const {
    const auto it = fields.find(name);
    return it == fields.end() ? std::string() : std::string(it->second.begin(), it->second.end());
}

ChildResult runEngineChild(const std::vector<std::string>& args, const Bytes& input, const Limits& limits,
                           const std::function<void(double)>& progress) {
    ChildResult result;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long long>(std::max(limits.seconds, 0.0) * 1000.0));

    Fd in(::memfd_create("quillcast-engine-input", MFD_CLOEXEC));
    if (in.get() < 0) {
        result.failure = systemError("memfd_create");
        return result;
    }
    if (!writeAll(in.get(), input) || ::lseek(in.get(), 0, SEEK_SET) != 0) {
        result.failure = systemError("writing the engine's input");
        return result;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.failure = systemError("pipe");
        return result;
    }
    Fd readEnd(pipeFds[0]);
    Fd writeEnd(pipeFds[1]);
    Fd devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));

    std::vector<std::string> argStrings{"quillcast-engine", "__engine"};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argStrings) argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.failure = systemError("fork");
        return result;
    }
    if (pid == 0) becomeChild(parent, in.get(), writeEnd.get(), devNull.get(), limits, argv.data());
    ::setpgid(pid, pid);  // also here, so the group exists before any kill below
    writeEnd.reset();
    in.reset();

    AnswerReader reader;
    std::size_t received = 0;
    bool killed = false;
    const auto killGroup = [&](const std::string& why) {
        if (!killed) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            killed = true;
            if (result.failure.empty()) result.failure = why;
        }
    };
    char deadlineText[32];
    std::snprintf(deadlineText, sizeof deadlineText, "%.3g", limits.seconds);
    const std::string tooLong = std::string("the engine took longer than ") + deadlineText + " s and was stopped";

    std::uint8_t chunk[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            killGroup(tooLong);
            break;
        }
        pollfd watch{readEnd.get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = ::read(readEnd.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the child closed its output: it is done
        received += static_cast<std::size_t>(n);
        if (received > kMaxAnswerBytes) {
            killGroup("the engine's answer was too large");
            break;
        }
        reader.feed(chunk, static_cast<std::size_t>(n));
        std::string name;
        Bytes value;
        while (reader.next(name, value)) {
            if (name == "progress" && progress) progress(std::atof(std::string(value.begin(), value.end()).c_str()));
            result.fields[name] = std::move(value);
        }
        if (reader.malformed()) {
            killGroup("the engine's answer was garbled");
            break;
        }
    }

    // Wait for the child without reaping it, so that its process group cannot
    // be taken by a new process before the group is killed below.
    for (;;) {
        siginfo_t info{};
        const int waited = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if (waited == 0 && info.si_pid == pid) break;
        if (waited < 0 && errno != EINTR) break;
        if (Clock::now() >= deadline) killGroup(tooLong);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::kill(-pid, SIGKILL);  // anything the child left behind (an encoder)
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (result.failure.empty() && reader.pending() > 0) result.failure = "the engine's answer was cut short";
    if (result.failure.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0) && !result.has("error"))
        result.failure = describeStatus(status);
    return result;
}

}  // namespace board::engine
