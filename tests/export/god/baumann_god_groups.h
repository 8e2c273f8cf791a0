#pragma once
// Two accounting groups of January and February 2024 for hand-overs through
// the lug program: "B" on a Baumann interface, with a personnel number too
// long for the Baumann format between two others, and "G" on a GOD interface
// with recalculation depth 1, whose January absence 15.01.-17.01. was handed
// over before and has since been shortened to 15.01.-16.01.
#include "support/installation.h"

namespace lug::test {

void addBaumannAndGodGroups(Installation& inst);

}  // namespace lug::test
