#pragma once

#include <string>

namespace ctiq {

// Where one of the programs that ctiq and ctiq-cli start themselves lies: `$environment` when
// set, else installed beside the running program (../libexec/ctiq/NAME, or its own folder), else
// `buildPath` (the build tree's, for programs run from there).
std::string companionProgram(const std::string& name, const char* environment,
                             const std::string& buildPath);

}  // namespace ctiq
