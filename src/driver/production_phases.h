#pragma once
#include <memory>

#include "driver/phases.h"

namespace lug {

// The phases of a real run: period calculation and recalculation.
std::unique_ptr<Phases> makeProductionPhases();

}  // namespace lug
