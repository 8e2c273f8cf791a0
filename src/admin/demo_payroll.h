#pragma once
// The payroll systems the demo company can hand over to: per system the
// interface type its groups get, the record kinds its exporter reads for
// hours, leave and sickness, the company number at the payroll system and
// what else its exporter looks up (names, absence codes). The demo's TYPE is
// one of the interface types below in any mix of upper and lower case; the
// type written into the database is spelt as below.
#include <string>
#include <string_view>
#include <vector>

namespace lug::admin::demo {

// What an interface line of the demo hands over, which decides its record kind.
enum class Role { Hours, Leave, Sickness };

// Where the exporter finds the kind of an absence ("U" leave, "K" sickness,
// the day codes of the demo): nowhere, the line's absence code Lu1Fkz, or
// the line's group Lu1Lgr.
enum class AbsenceCodes { None, InAbsenceCode, InGroup };

struct PayrollSystem {
  const char* name = "";            // the interface type (LugLgp) of the demo's groups
  const char* company = "";         // LugFir: the company number at the payroll system
  const char* hoursKind = "LA";     // Lu1Stz of hour, balance and interruption lines
  const char* leaveKind = "LA";     // Lu1Stz of the leave line
  const char* sicknessKind = "LA";  // Lu1Stz of the sickness line (absence spans)
  AbsenceCodes absenceCodes = AbsenceCodes::None;
  bool leaveSpans = false;  // leave as spans of a period account, not as days of the month
  // Besides its spans, leave also counted in days of the month under this
  // record kind (nullptr: not).
  const char* leaveDaysKind = nullptr;
  const char* products = "";  // what a hand-over produces, for the summary

  const char* kindOf(Role role) const;
  // Whether the exporter gets the absence code of a line of this role.
  bool codes(Role role) const { return role != Role::Hours; }
  // The record kinds of Hor170Lg1, each once, in the order of the roles.
  std::vector<std::string> kinds() const;
  // DATEV writes one file and has no staging tables: its groups keep the
  // suite's staging tables and the run log of earlier runs.
  bool clearsStaging() const;
};

// The nineteen systems, DATEV (the default) first.
const std::vector<PayrollSystem>& payrollSystems();

// The system a user's TYPE names (case does not matter), or nullptr.
const PayrollSystem* findPayrollSystem(std::string_view type);

// "DATEV, LODAS, ..." for messages.
std::string payrollSystemNames();

}  // namespace lug::admin::demo
