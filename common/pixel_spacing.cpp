#include "common/pixel_spacing.h"

#include <cmath>
#include <string>

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {

double requirePixelSpacing(long double millimetres, std::string_view source) {
    const double mm = static_cast<double>(millimetres);
    if (std::isfinite(mm) && mm > 0) return mm;
    throw AppError(
        "The pixel spacing (%1) is %2; it must be a positive number of millimetres.",
        {AppError(std::string(source)),
         std::isfinite(mm) ? AppError(FloatToStr(millimetres)) : AppError("not a finite number")});
}

}  // namespace ctiq
