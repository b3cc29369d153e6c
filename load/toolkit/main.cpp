// ctiq-dicom-helper: reads DICOM files with the DICOM toolkit for ctiq and ctiq-cli, one request
// at a time over the channel they give it, inside a sandbox. Not for use by hand.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>

#include "load/dicom/toolkit_wire.h"
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
        return ctiq::toolkit::readWithToolkit(ctiq::dicom::decodeRequest(message));
    } catch (const std::bad_alloc&) {
        ctiq::dicom::ToolkitAnswer a;
        a.reason = "reading it needs more memory than a file of its size may take";
        return a;
    } catch (const std::exception& e) {
        ctiq::dicom::ToolkitAnswer a;
        a.reason = std::string("the DICOM toolkit stopped: ") + e.what();
        return a;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    int channel = -1;
    std::string folder;
    bool probe = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a.rfind("--channel=", 0) == 0) channel = std::atoi(argv[i] + 10);
        if (a.rfind("--folder=", 0) == 0) folder = std::string(a.substr(9));
        if (a == "--probe-sandbox") probe = true;
    }
    // Temporary files of the decoders go to the program's private folder, which it removes.
    if (!folder.empty()) {
        ::setenv("TMPDIR", folder.c_str(), 1);
        std::error_code ec;
        std::filesystem::current_path(folder, ec);
    }
    std::string error;
    if (!ctiq::toolkit::confineProcess(error)) return 3;
    ctiq::toolkit::keepFreedMemory();
    if (probe) {
        // For the tests: starting a program must end this process by SIGSYS.
        return std::system("true") == 0 ? 0 : 4;
    }
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
        ctiq::toolkit::limitForFile(message.size());
        const std::string answer = ctiq::dicom::encodeAnswer(answerFor(message));
        message.clear();
        message.shrink_to_fit();
        if (!sendMessage(channel, answer)) return 0;
    }
}
