#include "admin/demo_payroll.h"

#include <algorithm>
#include <cctype>

namespace lug::admin::demo {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// The record kinds follow what each exporter reads: PAISY takes wage types
// as "P1" and absence spans as "P3", LOGA400 wage types as "B6", day
// counters as "B1" (leave days by their status) and absence spans, leave
// among them, as "ZR" for its absence calendar, TOPAS
// and Asring wage rows as "LS" and absences as "SS", GOD hours as "970" and
// absence spans as "331"; the other exporters take every record kind and
// the demo keeps DATEV's "LA". SAP tells absences by their code Lu1Fkz,
// TOPAS, Asring and GOD by the group of the line. Leave is counted in days
// of the month; SAP and GOD, whose absence rows carry no days but the span,
// get it as spans of a period account like sickness.
// Company numbers fit the field each format has for them.
const std::vector<PayrollSystem> kSystems = {
    {"DATEV", "DATEV", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "datev.csv"},
    {"LODAS", "LODAS", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr,
     "LodasSST-0.txt"},
    {"PAISY", "PAISY", "01", "P1", "P1", "P3", AbsenceCodes::None, false, nullptr,
     "PaisyP1.txt, PaisyP3.txt, PaisyP4.txt"},
    {"PSYBR", "PSYBR", "01", "P1", "P1", "P3", AbsenceCodes::None, false, nullptr,
     "PaisyP1b.txt, PaisyP3b.txt, PaisyP4b.txt"},
    {"LOGA2", "LOGA2", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr,
     "Loga2001Lpc.csv, Loga2001Lp1.csv"},
    {"LOGA", "LOGA", "01", "B6", "ZR", "ZR", AbsenceCodes::None, true, "B1",
     "staging tables Hor333B01, Hor333B06, Hor333B05, Hor333Bzr"},
    {"SAP", "SAP", "800", "LA", "LA", "LA", AbsenceCodes::InAbsenceCode, true, nullptr,
     "SAP2010.txt, SAP2010.csv, SAP2001.txt, SAP2001.csv"},
    {"sage", "sage", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "02041003"},
    {"ProAL", "ProAL", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "ProAL.txt"},
    {"TOPAS", "TOPAS", "408", "LS", "SS", "SS", AbsenceCodes::InGroup, false, nullptr,
     "LGD038IM, LGD034IM"},
    {"PRMAN", "PRMAN", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr,
     "M0060763.001"},
    {"Raet", "Raet", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "Raet.txt"},
    {"ASR", "ASR", "408", "LS", "SS", "SS", AbsenceCodes::InGroup, false, nullptr,
     "staging tables Hor333Asr, Hor333Ask"},
    {"XXL", "XXL", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "LO_IMP.txt"},
    {"EMIS", "EMIS", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr,
     "staging table Hor333Ems"},
    {"SCHLP", "SCHLP", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr,
     "LOXF-0001.csv"},
    {"SBS", "SBS", "4081", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "BWA04081.DAT"},
    {"BAUMN", "BAUMN", "40817", "LA", "LA", "LA", AbsenceCodes::None, false, nullptr, "BMNLUG.txt"},
    {"GOD", "GOD", "4081", "970", "331", "331", AbsenceCodes::InGroup, true, nullptr,
     "PVZERZDP.DAT"},
};

}  // namespace

const char* PayrollSystem::kindOf(Role role) const {
  switch (role) {
    case Role::Hours:
      return hoursKind;
    case Role::Leave:
      return leaveKind;
    case Role::Sickness:
      return sicknessKind;
  }
  return hoursKind;
}

std::vector<std::string> PayrollSystem::kinds() const {
  std::vector<std::string> list;
  for (const char* kind : {hoursKind, leaveKind, sicknessKind, leaveDaysKind})
    if (kind && std::find(list.begin(), list.end(), kind) == list.end()) list.push_back(kind);
  return list;
}

bool PayrollSystem::clearsStaging() const {
  return std::string_view(name) != "DATEV";
}

const std::vector<PayrollSystem>& payrollSystems() {
  return kSystems;
}

const PayrollSystem* findPayrollSystem(std::string_view type) {
  for (const PayrollSystem& s : kSystems)
    if (sameName(s.name, type)) return &s;
  return nullptr;
}

std::string payrollSystemNames() {
  std::string names;
  for (const PayrollSystem& s : kSystems)
    names += (names.empty() ? "" : ", ") + std::string(s.name);
  return names;
}

}  // namespace lug::admin::demo
