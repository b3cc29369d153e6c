#pragma once

#include <QLineEdit>
#include <QVariant>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "common/app_error.h"
#include "common/language.h"
#include "common/number_text.h"
#include "common/ui/text.h"

namespace ctiq {

// The caption a conversion message names a field by ("Size: 'abc' is not an integer").
inline void setCaption(QLineEdit* field, const char* caption) {
    field->setProperty("ctiqCaption", translatedCaption(caption));
}

inline void setCaptions(std::initializer_list<std::pair<QLineEdit*, const char*>> captions) {
    for (const auto& [field, caption] : captions) setCaption(field, caption);
}

namespace detail {
template <class Convert>
auto convertField(const QLineEdit* field, Convert convert) {
    try {
        return convert(text(field));
    } catch (const AppError& e) {
        const QString caption = field->property("ctiqCaption").toString();
        if (caption.isEmpty()) throw;
        throw AppError(messages::inField(caption.toStdString(), inUserLanguage(e)));
    }
}
}  // namespace detail

// The integer and the real number in a field, as StrToInt and StrToFloat read them.
inline std::int32_t intIn(const QLineEdit* field) {
    return detail::convertField(field, [](const std::string& t) { return StrToInt(t); });
}
inline long double floatIn(const QLineEdit* field) {
    return detail::convertField(field, [](const std::string& t) { return StrToFloat(t); });
}

}  // namespace ctiq
