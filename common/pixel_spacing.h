#pragma once

namespace ctiq {

// The pixel spacing in mm last read from a pixel-spacing field of either analysis window; the
// MTF window's axes and memos and the spectrum exports use it.
inline double PxlSpc = 0;

}  // namespace ctiq
