#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ctiq::cli {

// A command line that cannot be understood (exit status 2). Its message is a pattern with %1,
// %2 … and their values: what() is the English text, text() the reader's language (the pattern
// translated in the context "cli": Japanese on a Japanese system).
class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const char* pattern, std::vector<std::string> values = {});
    std::string text() const;

  private:
    const char* pattern_;
    std::vector<std::string> values_;
};

struct CommandLine {
    std::string command;
    std::map<std::string, std::string> values;  // --name VALUE
    std::map<std::string, bool> flags;          // --name
    std::vector<std::string> files;
    // report: the files after --mtf and after --nps
    std::map<std::string, std::vector<std::string>> groups;
    // Every --roi given, in order (mtf measures each; the other commands take the last).
    std::vector<std::string> rois;
    std::vector<std::string> arguments;  // as given, for the record of a report
    bool help = false;
    bool version = false;  // ctiq-cli --version

    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string value(const std::string& name, const std::string& fallback) const;
    std::optional<int> integer(const std::string& name) const;
    std::optional<double> real(const std::string& name) const;
    // Reals separated by commas (any count when `count` is 0).
    std::optional<std::vector<double>> reals(const std::string& name, std::size_t count) const;
    // "A,B" or "A,B,C,D" integers.
    std::optional<std::vector<int>> integers(const std::string& name, std::size_t count) const;
    // The ROIs a measurement takes: every --roi as CX,CY,W,H (none: the load's default ROI).
    std::vector<std::vector<int>> roiList() const;
};

// Parses `ctiq-cli COMMAND [options] FILE...`; options of another command or without their value
// are usage errors.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usage(const std::string& command);

}  // namespace ctiq::cli
