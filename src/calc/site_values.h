#pragma once
// The per-employee account values (Hor331Zks) that one installation hands
// over besides the interface-driven records, as records of kind "LS".
#include <string>

#include "base/run_context.h"
#include "calc/records.h"
#include "calc/source_rows.h"

namespace lug::calc {

// The installation that hands over its account values.
inline constexpr char kSiteWithAccountValues[] = "02272";

struct SiteValuesInput {
  std::string pnr, upn;
  Span period;           // the booked period
  std::string kst, ktr;  // master cost assignment
  std::string bdt;       // booking date
};

// Writes one record per account value of the employee in the period; a
// value is handed over in hundredths.
void siteValues(RunContext& ctx, const SiteValuesInput& in, RecordWriter& to);

}  // namespace lug::calc
