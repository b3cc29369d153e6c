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

}  // namespace ctiq
