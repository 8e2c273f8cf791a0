#pragma once
// Byte-exact comparison of a produced file with its golden file below tests/.
// With LUG_UPDATE_GOLDEN=1 in the environment the golden file is written
// first (then checked by hand before it is committed).
#include <string>

namespace lug::test {

void expectGoldenFile(const std::string& bytes, const std::string& goldenPath);

}  // namespace lug::test
