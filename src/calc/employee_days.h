#pragma once
// The day codes and day targets of one employee over a span, each read with
// one cursor at its first use instead of one statement per day. A day of the
// span answers exactly as readDayCodes and readDayTarget would (status,
// values, NULL and empty text); a day outside the span, a day with more than
// one row, and every day after a read that failed go to those statements.
#include <cstdint>
#include <map>
#include <string>

#include "base/run_context.h"
#include "calc/day_counts.h"
#include "calc/source_rows.h"

namespace lug::calc {

class EmployeeDays {
 public:
  EmployeeDays(RunContext& ctx, const std::string& pnr, const Span& span)
      : ctx_(ctx), pnr_(pnr), span_(span) {}

  int dayCodes(const std::string& pnr, const std::string& day, DayCodes& codes);
  int dayTarget(const std::string& pnr, const std::string& day, int32_t& sol);

 private:
  struct Target {
    int status = 0;  // 0, or -1405 for a NULL target
    int32_t sol = 0;
    int rows = 0;
  };
  struct Codes {
    DayCodes codes;
    int rows = 0;
  };
  enum class Load { NotYet, Done, Failed };

  bool covers(const std::string& pnr, const std::string& day) const;
  void loadCodes();
  void loadTargets();

  RunContext& ctx_;
  const std::string pnr_;
  const Span span_;
  Load codesLoad_ = Load::NotYet;
  Load targetsLoad_ = Load::NotYet;
  std::map<std::string, Codes> codes_;
  std::map<std::string, Target> targets_;
};

}  // namespace lug::calc
