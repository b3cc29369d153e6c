#include "common/app_error.h"

namespace ctiq::messages {

namespace {

std::string quoted(std::string_view text, std::string_view after) {
    std::string message;
    message.reserve(text.size() + after.size() + 2);
    message.push_back('\'');
    message.append(text);
    message.push_back('\'');
    message.append(after);
    return message;
}

}  // namespace

std::string notAnInteger(std::string_view text) {
    return quoted(text, " は整数ではありません");
}

std::string notAFloat(std::string_view text) {
    return quoted(text, " は浮動小数点数ではありません");
}

std::string integerOverflow() {
    return "整数のオーバーフロー";
}

std::string integerDivisionByZero() {
    return "0 による除算";
}

std::string floatDivisionByZero() {
    return "0 による浮動小数点数除算";
}

std::string invalidFloatOperation() {
    return "無効な浮動小数点演算";
}

std::string listIndexOutOfRange(std::int64_t index) {
    return "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
}

std::string cannotOpenFile(std::string_view path) {
    return "ファイル " + std::string(path) + " は開けません";
}

}  // namespace ctiq::messages
