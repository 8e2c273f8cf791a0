#pragma once

#include <cstdint>

namespace lug::base {

// Thrown to end the run at once with the given process exit status; main
// catches it and returns the status. Nothing is committed on the way out.
struct RunExit {
  int status;
  int16_t abortCode = 0;  // the run status the abort routine recorded; 0 for other exits
};

}  // namespace lug::base
