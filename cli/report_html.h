#pragma once

#include <QJsonValue>
#include <QString>
#include <string>

namespace ctiq::cli {

// Texts of the HTML report: every input text escaped, every figure with its unit on one line.

inline QString html(const QString& text) {
    return text.toHtmlEscaped();
}

inline QString html(const std::string& text) {
    return html(QString::fromStdString(text));
}

// A figure with its unit, kept on one line (a break inside "1.00 c/mm" misreads).
inline QString figure(const QJsonValue& v, const QString& unit, int digits = 4) {
    if (!v.isDouble()) return "–";
    return "<span class=nb>" + QString::number(v.toDouble(), 'g', digits) +
           (unit.isEmpty() ? QString() : "&nbsp;" + html(unit)) + "</span>";
}

}  // namespace ctiq::cli
