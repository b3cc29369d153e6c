#pragma once

#include <ostream>

namespace ctiq::cli {

// Generates phantoms whose answer is known, measures them with the windows' code and compares:
// one line per check (name, measured, expected, tolerance, PASS/FAIL). Returns the number of
// failed checks.
int runSelftest(std::ostream& out);

}  // namespace ctiq::cli
