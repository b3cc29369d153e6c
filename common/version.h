#pragma once

namespace ctiq {

// The version of this build: "0.9.0", or "0.9.0 (git 1a2b3c4)" when built from a checkout.
const char* programVersion();

}  // namespace ctiq
