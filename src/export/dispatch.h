#pragma once
// The export dispatch: the interface type of the accounting group selects
// exactly one payroll exporter.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_context.h"

namespace lug {

using Exporter = std::function<void(RunContext&)>;

// Compare length of a key that must equal the whole interface type.
inline constexpr size_t kWholeText = static_cast<size_t>(-1);

struct DispatchEntry {
  std::string_view key;
  size_t compare;  // leading characters compared; a shorter key must match exactly
  Exporter exporter;
};

// The table in its order of search, with the exporters built into the program.
std::vector<DispatchEntry> standardDispatchTable();

// Whether an interface type selects the entry.
bool matches(const DispatchEntry& entry, std::string_view interfaceType);

// Calls the first matching entry's exporter; returns whether one matched.
bool dispatchExport(RunContext& ctx, const std::vector<DispatchEntry>& table);

}  // namespace lug
