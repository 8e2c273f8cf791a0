#pragma once
// The figures of a control report as read from the database and the run
// log, before they are rendered as text or CSV.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/session.h"

namespace lug::admin {

// Records, minutes and tenths of a day of one wage type.
struct WageTypeSums {
  std::string lna{};
  int64_t records = 0;
  int64_t minutes = 0;
  int64_t tenths = 0;
};

// The difference records of one recalculated period (Zk1Rrn).
struct Corrections {
  int32_t period = 0;
  std::string von{}, bis{};  // yyyy.mm.dd; empty when the period is unknown
  std::vector<WageTypeSums> wageTypes{};
};

struct KindCount {
  std::string stz{};
  int64_t records = 0;
};

// One hand-over of a period: run number, records per kind, the period's own
// values per wage type and the corrections of recalculated periods.
struct HandOver {
  int32_t abrnr = 0;
  std::string von{}, bis{};
  int16_t lfn = 0;  // 0 final run, 1..999 interim run
  int64_t employees = 0;
  std::vector<KindCount> kinds{};
  std::vector<WageTypeSums> wageTypes{};  // Zk1Rre below 2, ordered by wage type
  std::vector<Corrections> corrections{};
};

// A wage type in the comparison with the previous final hand-over.
struct WageTypeChange {
  enum class Mark { Both, New, Vanished };
  std::string lna{};
  WageTypeSums now{}, before{};
  Mark mark = Mark::Both;
};

struct ProductFile {
  std::string name{};
  int64_t lines = 0;
  int64_t bytes = 0;
};

struct ProductTable {
  std::string name{};
  int64_t rows = 0;
};

struct ReportFigures {
  std::string akr{};
  std::string interfaceType{};  // LugLgp
  std::string system{};         // payroll system, empty when the type selects none
  HandOver current{};
  std::optional<HandOver> previous{};  // the previous period's final hand-over
  int32_t previousPeriod = 0;          // 0 when the group has no earlier period
  std::vector<WageTypeChange> changes{};
  std::vector<std::string> rejections{};  // the run's rejection lines
  std::vector<ProductFile> files{};
  std::vector<ProductTable> tables{};
};

// Reads the hand-over of period `abrnr` of group `akr` with run number `lfn`
// (-1: the final run when the period has one, else its last interim run).
int readHandOver(db::Session& session, const std::string& akr, int32_t abrnr, int16_t lfn,
                 HandOver& handOver);

// The group's period before `abrnr` (by first day; periods of status 8 are
// skipped, as the run skips them); 0 in `previous` when there is none.
int readPreviousPeriod(db::Session& session, const std::string& akr, int32_t abrnr,
                       int32_t& previous);

// The interface type of the group's interface (empty when there is none).
int readInterfaceType(db::Session& session, const std::string& akr, std::string& type);

// Both sides per wage type, ordered by wage type; a wage type of only one
// side is marked new or vanished.
std::vector<WageTypeChange> compareWageTypes(const std::vector<WageTypeSums>& now,
                                             const std::vector<WageTypeSums>& before);

}  // namespace lug::admin
