#pragma once

#include <string>

#include "cli/options.h"

namespace ctiq::cli {

// The task-based measurements. nps2d and ttf take all their files as one ensemble (slices of
// one series) and give one result for it; dprime reads their JSON lines. Each returns what it
// prints on stdout and adds its flags to `notes` (stderr). AppError for a measurement that
// fails, UsageError for options that do not fit.
bool isTaskCommand(const std::string& command);
std::string runTaskCommand(const CommandLine& line, std::string& notes);

std::string runNps2d(const CommandLine& line, std::string& notes);
std::string runTtf(const CommandLine& line, std::string& notes);
std::string runDprime(const CommandLine& line, std::string& notes);

// A figure of a task table: `decimals` places, "n/a" where there is no number.
std::string figure(double v, int decimals);

// The --help text of nps2d, ttf and dprime; empty for the other commands.
std::string taskUsage(const std::string& command);

}  // namespace ctiq::cli
