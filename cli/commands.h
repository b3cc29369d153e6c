#pragma once

#include <string>

#include "cli/options.h"

namespace ctiq::cli {

// Runs one command for one file and returns what it prints; AppError for a measurement error,
// UsageError for values that do not fit the command.
std::string runHeader(const CommandLine& line, const std::string& file);
std::string runStats(const CommandLine& line, const std::string& file);
std::string runWindow(const CommandLine& line, const std::string& file);
std::string runMtf(const CommandLine& line, const std::string& file);
std::string runNps(const CommandLine& line, const std::string& file);

// Writes a phantom ("phantom KIND OUT") and returns the path written.
std::string runPhantom(const CommandLine& line);

// The first line of the per-file tables of stats and window.
std::string tableTitle(const std::string& command);

}  // namespace ctiq::cli
