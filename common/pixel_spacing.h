#pragma once

#include <string_view>

namespace ctiq {

// The spacing as a double, refused (AppError naming `source`, the field or option it came from)
// unless it is a positive, finite number of millimetres: a zero, negative or infinite spacing
// would give frequencies and widths of the wrong sign or none at all.
double requirePixelSpacing(long double millimetres, std::string_view source);

}  // namespace ctiq
