#pragma once

#include <string>
#include <vector>

namespace ctiq {

// A reason why a summary figure may not hold: a stable code for scripts and one English line for
// a reader.
struct QualityFlag {
    std::string code;
    std::string text;
    bool operator==(const QualityFlag&) const = default;
};
using QualityFlags = std::vector<QualityFlag>;

// The flags' codes for a summary line (" · ⚠ code, code"; empty without flags).
inline std::string flagCodesSuffix(const QualityFlags& flags) {
    std::string s;
    for (const QualityFlag& f : flags) s += (s.empty() ? " · ⚠ " : ", ") + f.code;
    return s;
}

// The flags' texts, one per line (a summary line's tooltip).
inline std::string flagTexts(const QualityFlags& flags) {
    std::string s;
    for (const QualityFlag& f : flags) s += (s.empty() ? "" : "\n") + f.code + ": " + f.text;
    return s;
}

}  // namespace ctiq
