#include <fcntl.h>
#include <linux/landlock.h>
#include <malloc.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>

#include "load/toolkit/sandbox.h"

namespace ctiq::toolkit {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // reserves terabytes of shadow: no address limit
#else
constexpr bool kAddressSanitizer = false;
#endif

// Every file-system right the kernel's Landlock ABI `abi` knows; a ruleset that handles them all
// and grants none denies every path.
std::uint64_t everyFileSystemRight(int abi) {
    std::uint64_t rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;  // ABI 1: bits 0 to 12
    if (abi >= 2) rights |= LANDLOCK_ACCESS_FS_REFER;
    // ABI 3's truncate right (bit 14), which Debian 12's headers do not name yet.
    if (abi >= 3) rights |= std::uint64_t{1} << 14;
    return rights;
}

bool closeFileSystem() {
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0,
                               LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) return false;
    landlock_ruleset_attr attributes{};
    attributes.handled_access_fs = everyFileSystemRight(static_cast<int>(std::min(abi, 3L)));
    const long ruleset =
        ::syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0);
    if (ruleset < 0) return false;
    const bool done = ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    ::close(static_cast<int>(ruleset));
    return done;
}

// The allow-list. Anything not here fails with EPERM; the calls below that start or reach other
// processes end the helper.
int allowDecoding(scmp_filter_ctx filter) {
    int rc = 0;
    auto allow = [&](int call) { rc |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0); };
    // The request and the answer: the inherited channel and /dev/null; nothing is opened.
    for (int call : {SCMP_SYS(read), SCMP_SYS(write), SCMP_SYS(readv), SCMP_SYS(writev),
                     SCMP_SYS(close), SCMP_SYS(lseek), SCMP_SYS(fstat)})
        allow(call);
    // fstat through newfstatat or statx on a descriptor (the C library's way), never on a path.
    rc |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(newfstatat), 1,
                           SCMP_A3(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH));
    rc |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(statx), 1,
                           SCMP_A2(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH));
    // A pipe of its own: the sanitizers' runtime tests memory through one (no path, no peer).
    allow(SCMP_SYS(pipe2));
    // Memory: the decoders' buffers (mmap without a file: a descriptor the helper cannot open).
    for (int call : {SCMP_SYS(brk), SCMP_SYS(mmap), SCMP_SYS(munmap), SCMP_SYS(mremap),
                     SCMP_SYS(mprotect), SCMP_SYS(madvise)})
        allow(call);
    // Threads a decoder may start, and their locks.
    for (int call : {SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(rseq),
                     SCMP_SYS(sched_yield), SCMP_SYS(sched_getaffinity), SCMP_SYS(gettid),
                     SCMP_SYS(getpid), SCMP_SYS(exit), SCMP_SYS(exit_group)})
        allow(call);
    rc |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                           SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD));
    // Signals: the C library's abort, the limits' SIGXCPU, the sanitizers' handlers. A signal
    // to another process (tgkill with another process's id) is refused.
    for (int call : {SCMP_SYS(rt_sigaction), SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigreturn),
                     SCMP_SYS(sigaltstack)})
        allow(call);
    rc |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1,
                           SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(::getpid())));
    // Time, the per-file limits (on the helper itself only) and random seeds.
    for (int call : {SCMP_SYS(clock_gettime), SCMP_SYS(clock_nanosleep), SCMP_SYS(nanosleep),
                     SCMP_SYS(gettimeofday), SCMP_SYS(getrusage), SCMP_SYS(getrandom)})
        allow(call);
    rc |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 1,
                           SCMP_A0(SCMP_CMP_EQ, 0));
    // Starting a program or a process, tracing, reaching into another process: the end.
    for (int call : {SCMP_SYS(execve), SCMP_SYS(execveat), SCMP_SYS(fork), SCMP_SYS(vfork),
                     SCMP_SYS(ptrace), SCMP_SYS(process_vm_readv), SCMP_SYS(process_vm_writev),
                     SCMP_SYS(kill)})
        rc |= seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, call, 0);
    rc |= seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, SCMP_SYS(clone), 1,
                           SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0));
    // clone3 hides its flags in memory a filter cannot read: the C library falls back to clone.
    rc |= seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
    return rc;
}

}  // namespace

bool confineProcess(std::string& error, FileSystemConfinement* confinement) {
    // Ended with the program, whatever happens to it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    const bool landlock = closeFileSystem();
    if (confinement)
        *confinement = landlock ? FileSystemConfinement::Landlock
                                : FileSystemConfinement::SeccompOnly;

    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (!filter) {
        error = "seccomp is not available";
        return false;
    }
    int rc = allowDecoding(filter);
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

void limitForFile(std::size_t fileSize, std::uint64_t frameBytes) {
    rusage used{};
    getrusage(RUSAGE_SELF, &used);
    const rlim_t spent = static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) + 1;
    // Two seconds, one more for every 4 MiB of file and for every 8 MiB of a decoded frame: a
    // 512 × 512 compressed slice decodes in tens of milliseconds, a 4096 × 4096 JPEG 2000 frame
    // in a few seconds, the largest multi-frame files in a few more.
    const rlim_t seconds = std::min<rlim_t>(
        2 + fileSize / (rlim_t{4} << 20) + static_cast<rlim_t>(frameBytes / (std::uint64_t{8} << 20)),
        60);
    // Only the soft limit moves: a process without privilege may raise it again for the next,
    // larger file up to the hard limit, but may never raise a hard limit it has lowered.
    rlimit cpu{};
    getrlimit(RLIMIT_CPU, &cpu);
    cpu.rlim_cur = std::min(spent + seconds, cpu.rlim_max);
    setrlimit(RLIMIT_CPU, &cpu);
    if (!kAddressSanitizer) {
        // The program's code and libraries, the file, the toolkit's copy of it and the frame's
        // fragments, the decoded frame with the codec's working copies; without a declared
        // geometry, the decoded frames at most 16 times the compressed size, as these codecs give.
        const rlim_t file = static_cast<rlim_t>(fileSize);
        const rlim_t frames = frameBytes > 0 ? 4 * static_cast<rlim_t>(frameBytes) : 17 * file;
        const rlim_t bytes = (rlim_t{256} << 20) + 3 * file + frames;
        const rlimit space{std::min<rlim_t>(bytes, rlim_t{8} << 30), RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &space);
    }
}

}  // namespace ctiq::toolkit
