#include <malloc.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>

#include "load/toolkit/sandbox.h"

namespace ctiq::toolkit {
namespace {

// CPU seconds one file may take; the program's own wall-clock limit is above it.
constexpr rlim_t kCpuSecondsPerFile = 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // reserves terabytes of shadow: no address limit
#else
constexpr bool kAddressSanitizer = false;
#endif

}  // namespace

bool confineProcess(std::string& error) {
    // Ended with the program, whatever happens to it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter) {
        error = "seccomp is not available";
        return false;
    }
    int rc = 0;
    for (int call : {SCMP_SYS(execve), SCMP_SYS(execveat), SCMP_SYS(fork), SCMP_SYS(vfork)})
        rc |= seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, call, 0);
    // clone makes threads (allowed) and processes (not): only with CLONE_THREAD set.
    rc |= seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, SCMP_SYS(clone), 1,
                           SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0));
    // clone3 hides its flags in memory a filter cannot read: the C library falls back to clone.
    rc |= seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
    if (rc == 0) rc = seccomp_load(filter);
    seccomp_release(filter);
    if (rc != 0) {
        error = "the sandbox could not be set up";
        return false;
    }
    return true;
}

void keepFreedMemory() {
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
}

void limitForFile(std::size_t fileSize) {
    rusage used{};
    getrusage(RUSAGE_SELF, &used);
    const rlim_t spent = static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) + 1;
    const rlimit cpu{spent + kCpuSecondsPerFile, spent + kCpuSecondsPerFile + 5};
    setrlimit(RLIMIT_CPU, &cpu);
    if (!kAddressSanitizer) {
        // The file, the toolkit's copy of it, a decoded frame of the largest size, and room.
        const rlim_t bytes = (rlim_t{768} << 20) + 6 * static_cast<rlim_t>(fileSize);
        const rlimit space{bytes, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &space);
    }
}

}  // namespace ctiq::toolkit
