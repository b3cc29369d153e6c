#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ctiq {

// The one error type of the project. Its message is what the user sees in the message box.
class AppError : public std::runtime_error {
  public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

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
