#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ctiq {

// `pattern` with %1 … %9 replaced by `values` in one pass (a value holding "%2" stays as it is);
// a placeholder without a value stays too.
inline std::string filledIn(std::string_view pattern, const std::vector<std::string>& values);

// Marks an English message pattern kept for later (a table of reasons): the check of the
// translations (tools/check_messages.py) finds it as it finds AppError's.
constexpr const char* messagePattern(const char* pattern) {
    return pattern;
}

// The one error type of the project. Its message is what the user sees in the message box.
//
// A message is an English pattern with %1 … %9 and their values: what() is the English text (the
// tests and the logs read it), inUserLanguage (common/language.h) the pattern's translation filled
// with the same values. A message made from a std::string is shown as it is: the program's
// Japanese texts (common/app_error.cpp), translated when they are made.
class AppError : public std::runtime_error {
  public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
    explicit AppError(const char* pattern, std::vector<std::string> values = {})
        : std::runtime_error(filledIn(pattern, values)),
          pattern_(pattern),
          values_(std::move(values)) {}
    // A pattern whose values are messages of their own (a phrase, the cause of a failure), each
    // shown in the language of the whole.
    AppError(const char* pattern, std::vector<AppError> parts);
    // `error` as a part of another message: an AppError as it is, any other exception by its text.
    static AppError of(const std::exception& error);

    // Empty for a message shown as it is.
    const std::string& pattern() const { return pattern_; }
    const std::vector<std::string>& values() const { return values_; }
    const std::vector<AppError>& parts() const { return parts_; }

  private:
    std::string pattern_;
    std::vector<std::string> values_;
    std::vector<AppError> parts_;
};

inline std::string filledIn(std::string_view pattern, const std::vector<std::string>& values) {
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < values.size()) {
                text += values[n];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

namespace detail {
inline std::vector<std::string> whatOf(const std::vector<AppError>& parts) {
    std::vector<std::string> texts;
    texts.reserve(parts.size());
    for (const AppError& part : parts) texts.emplace_back(part.what());
    return texts;
}
}  // namespace detail

inline AppError::AppError(const char* pattern, std::vector<AppError> parts)
    : std::runtime_error(filledIn(pattern, detail::whatOf(parts))),
      pattern_(pattern),
      values_(detail::whatOf(parts)),
      parts_(std::move(parts)) {}

inline AppError AppError::of(const std::exception& error) {
    if (const auto* known = dynamic_cast<const AppError*>(&error)) return *known;
    return AppError(std::string(error.what()));
}

// The messages users already know from the toolkit the tool grew up with, verbatim in Japanese;
// on other system languages their English translation (see common/language.h).
namespace messages {
std::string notAnInteger(std::string_view text);
std::string notAFloat(std::string_view text);
std::string integerOverflow();
std::string integerDivisionByZero();
std::string floatDivisionByZero();
std::string invalidFloatOperation();
std::string listIndexOutOfRange(std::int64_t index);
std::string cannotOpenFile(std::string_view path);
// The same with why: the file is missing, is a folder, is no regular file, or may not be read.
enum class OpenFailure { Missing, Folder, NotRegular, NoPermission };
std::string cannotOpenFile(std::string_view path, OpenFailure why);
// The DICOM toolkit helper refused a file: it could not show the image (`reason`, in English
// detail), it failed (a crash or a limit), it tried to start a program, it took too long, or it
// could not be started at all.
std::string toolkitCannotShow(std::string_view reason);
std::string toolkitFailed();
std::string toolkitSandboxed();
std::string toolkitTimedOut();
std::string toolkitNotStarted(std::string_view helper);
// A DICOM file without an image (a plan, a report, a structure set), named by its SOP class.
std::string noImageInFile(std::string_view sopClass);
// A conversion message naming the field it came from: "Size: 'abc' ...".
std::string inField(std::string_view caption, const std::string& message);
}  // namespace messages

}  // namespace ctiq
