#include "common/app_error.h"

#include <QCoreApplication>
#include <QString>

namespace ctiq::messages {

namespace {

// The program's own (Japanese) text, or its translation where one is installed.
QString tr(const char* text) {
    return QCoreApplication::translate("ctiq", text);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::string notAnInteger(std::string_view text) {
    return utf8(tr("'%1' は整数ではありません").arg(fromUtf8(text)));
}

std::string notAFloat(std::string_view text) {
    return utf8(tr("'%1' は浮動小数点数ではありません").arg(fromUtf8(text)));
}

std::string integerOverflow() {
    return utf8(tr("整数のオーバーフロー"));
}

std::string integerDivisionByZero() {
    return utf8(tr("0 による除算"));
}

std::string floatDivisionByZero() {
    return utf8(tr("0 による浮動小数点数除算"));
}

std::string invalidFloatOperation() {
    return utf8(tr("無効な浮動小数点演算"));
}

std::string listIndexOutOfRange(std::int64_t index) {
    return utf8(tr("リストのインデックスが範囲を超えています (%1)").arg(index));
}

std::string cannotOpenFile(std::string_view path) {
    return utf8(tr("ファイル %1 は開けません").arg(fromUtf8(path)));
}

std::string toolkitCannotShow(std::string_view reason) {
    return utf8(tr("DICOM ツールキットはこの画像を表示できません: %1。ヘッダーは一覧にあります。")
                    .arg(fromUtf8(reason)));
}

std::string toolkitFailed() {
    return utf8(
        tr("DICOM ツールキットがこのファイルの読み込み中に異常終了しました "
           "(クラッシュまたは制限)。このファイルは読み込みません。"));
}

std::string toolkitSandboxed() {
    return utf8(
        tr("DICOM "
           "ツールキットが別のプログラムを起動しようとしました。このファイルは読み込みません。"));
}

std::string toolkitTimedOut() {
    return utf8(tr(
        "DICOM ツールキットが時間内に読み込みを終えませんでした。このファイルは読み込みません。"));
}

std::string toolkitNotStarted(std::string_view helper) {
    return utf8(
        tr("DICOM ツールキットの補助プログラム %1 を起動できません。").arg(fromUtf8(helper)));
}

std::string noImageInFile(std::string_view sopClass) {
    return utf8(tr("このファイルには画像がありません (%1)。ヘッダーは一覧にあります。")
                    .arg(fromUtf8(sopClass)));
}

std::string cannotOpenFile(std::string_view path, OpenFailure why) {
    const char* reason = why == OpenFailure::Missing      ? "ファイルがありません"
                         : why == OpenFailure::Folder     ? "フォルダです"
                         : why == OpenFailure::NotRegular ? "通常のファイルではありません"
                                                          : "読み取りの権限がありません";
    return utf8(tr("ファイル %1 は開けません (%2)").arg(fromUtf8(path), tr(reason)));
}

std::string inField(std::string_view caption, const std::string& message) {
    return std::string(caption) + ": " + message;
}

}  // namespace ctiq::messages
