#pragma once

namespace lug::base {

// Thrown to end the run at once with the given process exit status; main
// catches it and returns the status. Nothing is committed on the way out.
struct RunExit {
  int status;
};

}  // namespace lug::base
