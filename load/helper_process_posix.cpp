#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <vector>

#include "load/dicom/toolkit_wire.h"
#include "load/helper_process.h"

extern char** environ;

namespace ctiq {
namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitFor(int fd, short events, Clock::time_point deadline) {
    while (true) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, msLeft(deadline));
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

enum class Io { Done, Closed, Late };

// Moves all `size` bytes with `step` (one send or recv of what is left), waiting for the channel
// to be ready for `events` until the deadline. A step of 0 bytes is the other side leaving.
template <typename Step>
Io transferAll(int fd, short events, char* data, std::size_t size, Clock::time_point deadline,
               Step step) {
    while (size > 0) {
        if (!waitFor(fd, events, deadline)) return Io::Late;
        const ssize_t n = step(data, size);
        if (n == 0) return Io::Closed;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return Io::Closed;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return Io::Done;
}

Io sendAll(int fd, const char* data, std::size_t size, Clock::time_point deadline) {
    return transferAll(fd, POLLOUT, const_cast<char*>(data), size, deadline,
                       [fd](char* from, std::size_t n) {
                           return ::send(fd, from, n, MSG_NOSIGNAL | MSG_DONTWAIT);
                       });
}

Io receiveAll(int fd, char* data, std::size_t size, Clock::time_point deadline) {
    return transferAll(fd, POLLIN, data, size, deadline, [fd](char* into, std::size_t n) {
        return ::recv(fd, into, n, MSG_DONTWAIT);
    });
}

}  // namespace

std::unique_ptr<HelperProcess> HelperProcess::start(const std::string& executable,
                                                    std::string& error) {
    std::unique_ptr<HelperProcess> helper(new HelperProcess);
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        error = "no channel to the DICOM toolkit could be made";
        return nullptr;
    }
    helper->channel_ = pair[0];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The helper's own output, and whatever its decoders print, never reaches the user's.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv = {const_cast<char*>(executable.c_str()),
                               const_cast<char*>("--channel=3"), nullptr};
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pair[1]);
    if (spawned != 0) {
        error = "the DICOM toolkit helper " + executable + " could not be started";
        return nullptr;
    }
    helper->pid_ = pid;
    return helper;
}

HelperProcess::~HelperProcess() {
    stop();
}

HelperProcess::Failure HelperProcess::exchange(const std::string& request, std::string& answer,
                                               int timeoutMs) {
    if (pid_ < 0) return Failure::Died;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<char>(std::uint64_t{request.size()} >> (8 * i));
    Io io = sendAll(channel_, length, 8, deadline);
    if (io == Io::Done) io = sendAll(channel_, request.data(), request.size(), deadline);
    if (io == Io::Done) io = receiveAll(channel_, length, 8, deadline);
    if (io == Io::Done) {
        std::uint64_t n = 0;
        for (int i = 0; i < 8; ++i)
            n |= std::uint64_t{static_cast<unsigned char>(length[i])} << (8 * i);
        if (n > dicom::kMaxWireMessage) return endAfterFailure(Failure::Garbled);
        answer.resize(static_cast<std::size_t>(n));
        io = receiveAll(channel_, answer.data(), answer.size(), deadline);
    }
    if (io == Io::Done) return Failure::None;
    return endAfterFailure(io == Io::Late ? Failure::TimedOut : Failure::Died);
}

HelperProcess::Failure HelperProcess::endAfterFailure(Failure why) {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        if (why == Failure::Died && WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS)
            why = Failure::Sandboxed;
    }
    stop();
    return why;
}

void HelperProcess::stop() {
    if (channel_ >= 0) {
        ::close(channel_);  // the helper reads the end of its input and leaves
        channel_ = -1;
    }
    if (pid_ > 0) {
        int status = 0;
        // A short grace to leave by itself, then it is ended.
        const auto deadline = Clock::now() + std::chrono::milliseconds(500);
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            ::usleep(1000);
        }
        pid_ = -1;
    }
}

}  // namespace ctiq
