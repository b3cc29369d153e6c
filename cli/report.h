#pragma once

#include <iosfwd>

#include "cli/options.h"

namespace ctiq::cli {

// ctiq-cli report --mtf POINT_IMAGE... --nps UNIFORM_IMAGE... [--baseline FILE.jsonl]
//   [--tol-mtf50 PCT] [--tol-integral PCT] -o REPORT.html
// Measures every image as `mtf` and `nps --format json` do, writes one self-contained HTML page
// (identities, parameters, charts, figures, and each figure's change against the baseline's
// mean with a pass or fail), prints its path and a one-line verdict on `out` and progress on
// `progress`. Returns 0 (pass, or no baseline), 3 (a figure outside its tolerance).
int runReport(const CommandLine& line, std::ostream& out, std::ostream& progress);

}  // namespace ctiq::cli
