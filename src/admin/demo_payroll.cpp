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
// as "P1" and absence spans as "P3"; LOGA400 wage types as "B6", day
// counters as "B1" (leave days by their status) and the absence spans of its
// calendar, leave among them, as "ZR"; TOPAS and Asring wage rows as "LS" and
// absences as "SS"; GOD hours as "970" and absence spans as "331". The other
// exporters take every record kind: DATEV's "LA". SAP tells absences by
// their code Lu1Fkz, TOPAS, Asring and GOD by the group of the line. Leave is
// counted in days of the month, but SAP and GOD, whose absence rows carry a
// span and no days, get it as spans of a period account like sickness.
// Company numbers fit the field each format has for them.
const std::vector<PayrollSystem> kSystems = {
    {.name = "DATEV", .company = "40817", .products = "datev.csv"},
    {.name = "LODAS", .company = "40817", .products = "LodasSST-0.txt"},
    {.name = "PAISY",
     .company = "01",
     .hoursKind = "P1",
     .leaveKind = "P1",
     .sicknessKind = "P3",
     .products = "PaisyP1.txt, PaisyP3.txt, PaisyP4.txt"},
    {.name = "PSYBR",
     .company = "01",
     .hoursKind = "P1",
     .leaveKind = "P1",
     .sicknessKind = "P3",
     .products = "PaisyP1b.txt, PaisyP3b.txt, PaisyP4b.txt"},
    {.name = "LOGA2", .company = "40817", .products = "Loga2001Lpc.csv, Loga2001Lp1.csv"},
    {.name = "LOGA",
     .company = "01",
     .hoursKind = "B6",
     .leaveKind = "ZR",
     .sicknessKind = "ZR",
     .leaveSpans = true,
     .leaveDaysKind = "B1",
     .products = "staging tables Hor333B01, Hor333B06, Hor333B05, Hor333Bzr"},
    {.name = "SAP",
     .company = "800",
     .absenceCodes = AbsenceCodes::InAbsenceCode,
     .leaveSpans = true,
     .products = "SAP2010.txt, SAP2010.csv, SAP2001.txt, SAP2001.csv"},
    {.name = "sage", .company = "40817", .products = "02041003"},
    {.name = "ProAL", .company = "40817", .products = "ProAL.txt"},
    {.name = "TOPAS",
     .company = "408",
     .hoursKind = "LS",
     .leaveKind = "SS",
     .sicknessKind = "SS",
     .absenceCodes = AbsenceCodes::InGroup,
     .products = "LGD038IM, LGD034IM"},
    {.name = "PRMAN", .company = "40817", .products = "M0060763.001"},
    {.name = "Raet", .company = "40817", .products = "Raet.txt"},
    {.name = "ASR",
     .company = "408",
     .hoursKind = "LS",
     .leaveKind = "SS",
     .sicknessKind = "SS",
     .absenceCodes = AbsenceCodes::InGroup,
     .products = "staging tables Hor333Asr, Hor333Ask"},
    {.name = "XXL", .company = "40817", .products = "LO_IMP.txt"},
    {.name = "EMIS", .company = "40817", .products = "staging table Hor333Ems"},
    {.name = "SCHLP", .company = "40817", .products = "LOXF-0001.csv"},
    {.name = "SBS", .company = "4081", .products = "BWA04081.DAT"},
    {.name = "BAUMN", .company = "40817", .products = "BMNLUG.txt"},
    {.name = "GOD",
     .company = "4081",
     .hoursKind = "970",
     .leaveKind = "331",
     .sicknessKind = "331",
     .absenceCodes = AbsenceCodes::InGroup,
     .leaveSpans = true,
     .products = "PVZERZDP.DAT"},
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
