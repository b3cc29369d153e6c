// ctiq-dicom-helper: reads DICOM files with the DICOM toolkit for ctiq and ctiq-cli, one request
// at a time over the channel they give it, inside a sandbox. Not for use by hand.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include <QCoreApplication>

#include "common/language.h"
#include "load/dicom/character_set.h"
#include "load/dicom/toolkit_wire.h"
#include "load/toolkit/declared_lengths.h"
#include "load/toolkit/sandbox.h"
#include "load/toolkit/toolkit_reader.h"

#if defined(__SANITIZE_ADDRESS__)
// The toolkit keeps what it allocated when it gives up on a file; the helper is short-lived and
// its leaks are not the program's. Too large a request returns null (bad_alloc), as a limit would.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=1536";
}
#endif

namespace {

// Moves all `size` bytes with `step` (read or write); false when the channel ends or fails.
template <typename Step>
bool transferAll(char* data, std::size_t size, Step step) {
    while (size > 0) {
        const ssize_t n = step(data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size) {
    return transferAll(data, size, [fd](char* into, std::size_t n) { return ::read(fd, into, n); });
}

bool writeAll(int fd, const char* data, std::size_t size) {
    return transferAll(const_cast<char*>(data), size,
                       [fd](char* from, std::size_t n) { return ::write(fd, from, n); });
}

bool sendMessage(int fd, const std::string& message) {
    char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<char>(std::uint64_t{message.size()} >> (8 * i));
    return writeAll(fd, length, 8) && writeAll(fd, message.data(), message.size());
}

ctiq::dicom::ToolkitAnswer answerFor(const std::string& message) {
    try {
        const ctiq::dicom::ToolkitRequest request = ctiq::dicom::decodeRequest(message);
        // The budget follows the file and the frames it declares; whether the declarations
        // hold is for the reading to judge.
        std::string syntax;
        ctiq::toolkit::DeclaredImage declared;
        ctiq::toolkit::declaredLengthsFit(request.file, syntax, nullptr, &declared);
        ctiq::toolkit::limitForFile(request.file.size(), declared.frameBytes());
        return ctiq::toolkit::readWithToolkit(request);
    } catch (const std::bad_alloc&) {
        ctiq::dicom::ToolkitAnswer a;
        a.reason =
            ctiq::inUserLanguage("reading it needs more memory than a file of its size may take");
        return a;
    } catch (const std::exception& e) {
        ctiq::dicom::ToolkitAnswer a;
        a.reason = ctiq::inUserLanguage("the DICOM toolkit stopped: %1", {e.what()});
        return a;
    }
}

// What `--probe-sandbox=ACTION` tries once confined, for the tests: each must fail (exit 5) or
// end the helper by SIGSYS; exit 0 would mean the sandbox let it through.
int probe(std::string_view action) {
    bool done = false;
    if (action == "exec") {
        done = std::system("true") == 0;
    } else if (action == "fork") {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        done = child > 0;
    } else if (action == "open") {
        const int fd = ::open("/etc/hostname", O_RDONLY);
        done = fd >= 0;
    } else if (action == "create") {
        const int fd = ::open("/tmp/ctiq-sandbox-probe", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        done = fd >= 0;
        if (done) ::unlink("/tmp/ctiq-sandbox-probe");
    } else if (action == "socket") {
        done = ::socket(AF_INET, SOCK_STREAM, 0) >= 0;
    } else if (action == "connect") {
        // A socket cannot be had, so connect on the channel's own end: refused too.
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(9);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        done = ::connect(0, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    } else if (action == "ptrace") {
        done = ::ptrace(PTRACE_ATTACH, ::getppid(), nullptr, nullptr) == 0;
    } else {
        return 2;
    }
    return done ? 0 : 5;
}

}  // namespace

int main(int argc, char* argv[]) {
    int channel = -1;
    std::string probeAction;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a.rfind("--channel=", 0) == 0) channel = std::atoi(argv[i] + 10);
        if (a == "--probe-sandbox") probeAction = "exec";
        if (a.rfind("--probe-sandbox=", 0) == 0) probeAction = std::string(a.substr(16));
    }
    // Everything that needs a file is loaded before the file system closes: the translation of
    // the messages a header value can raise (so they come in the user's language, as the
    // program's own do), the character sets' conversion modules. The decoders read and write
    // memory only.
    QCoreApplication app(argc, argv);
    ctiq::installTranslations(app);
    ctiq::dicom::openEveryCharacterSet();
    std::string error;
    if (!ctiq::toolkit::confineProcess(error)) return 3;
    ctiq::toolkit::keepFreedMemory();
    if (!probeAction.empty()) return probe(probeAction);
    if (channel < 0) return 2;
    while (true) {
        char length[8];
        if (!readAll(channel, length, 8)) return 0;  // the program has gone: leave
        std::uint64_t n = 0;
        for (int i = 0; i < 8; ++i)
            n |= std::uint64_t{static_cast<unsigned char>(length[i])} << (8 * i);
        if (n > ctiq::dicom::kMaxWireMessage) return 2;
        std::string message(static_cast<std::size_t>(n), '\0');
        if (!readAll(channel, message.data(), message.size())) return 0;
        const std::string answer = ctiq::dicom::encodeAnswer(answerFor(message));
        message.clear();
        message.shrink_to_fit();
        if (!sendMessage(channel, answer)) return 0;
    }
}
