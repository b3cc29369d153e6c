#pragma once

#include <string_view>

namespace ctiq {

// The pixel spacing in mm last read from a pixel-spacing field of either analysis window; the
// MTF window's axes and memos and the spectrum exports use it.
inline double PxlSpc = 0;

// The spacing as a double, refused (AppError naming `source`, the field or option it came from)
// unless it is a positive, finite number of millimetres: a zero, negative or infinite spacing
// would give frequencies and widths of the wrong sign or none at all.
double requirePixelSpacing(long double millimetres, std::string_view source);

}  // namespace ctiq
