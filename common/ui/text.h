#pragma once

#include <QCoreApplication>
#include <QLineEdit>
#include <QString>
#include <string>

namespace ctiq {

// Conversions between the windows' fields and the pure code's std::string (UTF-8).
inline std::string text(const QLineEdit* e) {
    return e->text().toStdString();
}
inline QString q(const std::string& s) {
    return QString::fromStdString(s);
}
// Memo texts end their lines with CR LF; a text control shows plain line breaks.
inline QString crlfForDisplay(const std::string& s) {
    return q(s).replace("\r\n", "\n");
}

// A control's caption as the reader's language shows it: the program's own text on a Japanese
// system, its English translation elsewhere (where the original is misspelt English, the
// translation mends it). Exports never pass through here: their headers stay as they are.
inline QString translatedCaption(const char* caption) {
    return QCoreApplication::translate("caption", caption);
}

}  // namespace ctiq
