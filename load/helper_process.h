#pragma once

#include <memory>
#include <optional>
#include <string>

namespace ctiq {

// One running toolkit helper: a child process that answers length-framed messages over a private
// channel. It has no folder and creates no file (its file system is closed), so nothing is left
// behind however the program ends. Its standard output and error go nowhere. Platform code (POSIX here; a Windows build would use
// a pipe and a job object behind the same interface).
class HelperProcess {
  public:
    // Why an exchange failed.
    enum class Failure {
        None,
        Died,       // ended (a crash, an abort, a limit) before it answered
        Sandboxed,  // ended by the sandbox: it tried to start a program
        TimedOut,   // did not answer in time: ended by us
        Garbled,    // answered something that is not a message
    };

    // Starts `executable`; nullopt with `error` set when it cannot be started.
    static std::unique_ptr<HelperProcess> start(const std::string& executable, std::string& error);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Sends `request` and waits up to `timeoutMs` for the answer. After a failure the helper is
    // ended; start a fresh one for the next request.
    Failure exchange(const std::string& request, std::string& answer, int timeoutMs);

  private:
    HelperProcess() = default;
    Failure endAfterFailure(Failure why);
    void stop();

    int pid_ = -1;
    int channel_ = -1;
};

}  // namespace ctiq
