#pragma once
// The fictional company of the demo installation: a small metalworking firm
// with a production group (shift and day work, overtime, night work) and an
// administration group (flexitime, part time), three monthly periods of 2025
// with daily bookings, day programs, absences and balances, handed over to
// the payroll system chosen for the demo (admin/demo_payroll.h).
#include <cstdint>
#include <string>
#include <vector>

#include "admin/demo_payroll.h"
#include "db/session.h"

namespace lug::admin::demo {

inline constexpr char kSchema[] = "DEMO";

// A period of an accounting group.
struct Period {
  std::string akr;
  int32_t number;
  std::string month;     // "Januar 2025"
  std::string handOver;  // the clock of its final run: early in the next month
  bool handedOver;       // handed over before the demo starts
};

// The periods in the order they are handed over: January, February, March of
// both groups; January and February are handed over when the demo starts.
const std::vector<Period>& periods();

// Fills an initialised schema with the company, both groups handing over to
// `payroll`; throws SuiteRowError.
void fillCompany(db::Session& session, const PayrollSystem& payroll);

// The staff as a text table (UTF-8), for the people who try the demo.
std::string staffList();

}  // namespace lug::admin::demo
