#include "common/pixel_spacing.h"

#include <cmath>
#include <string>

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {

double requirePixelSpacing(long double millimetres, std::string_view source) {
    const double mm = static_cast<double>(millimetres);
    if (std::isfinite(mm) && mm > 0) return mm;
    const std::string shown = std::isfinite(mm) ? FloatToStr(millimetres) : "not a finite number";
    throw AppError("The pixel spacing (" + std::string(source) + ") is " + shown +
                   "; it must be a positive number of millimetres.");
}

}  // namespace ctiq
