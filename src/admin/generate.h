#pragma once
// A deterministic synthetic installation for measuring a run: one accounting
// group of N employees on a DATEV interface, four periods of bookings and
// day programs, recalculation depth 2.
#include <cstdint>
#include <string>

#include "db/session.h"

namespace lug::admin {

struct GenerateOptions {
  int employees = 1000;
  uint64_t seed = 1;
};

// Fills an initialised schema; returns 0 or the first failing status.
int generateInstallation(db::Session& session, const GenerateOptions& options);

}  // namespace lug::admin
