#pragma once

#include <cstdio>
#include <string>

namespace ctiq::cli {

// A path as text output prints it: control characters (a newline, a tab, ESC) as \xNN, so that a
// name can neither split a table's row nor reach the terminal as a command. Other bytes stay.
inline std::string printablePath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", b);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace ctiq::cli
