#pragma once
// The calendar of the suite (HORSYSTEM.Hor133Bak) as the period accounts walk
// it: for a span, every stored day between its bounds (compared as text) with
// the day after it, as "select BakDtm ,(BakDtm+1)" reads them. Each span is
// read with one cursor at its first use in a run and then served from
// memory; a run asks about a few spans (its periods), and never changes the
// calendar.
#include <map>
#include <string>

#include "base/run_context.h"
#include "calc/source_rows.h"

namespace lug::calc {

class Calendar {
 public:
  // The day after a stored day as the statement reads it.
  struct Next {
    std::string next;
    int status = 0;  // 0, or -1405 when the day after is NULL
    int rows = 0;    // rows of the stored day
  };
  using Days = std::map<std::string, Next>;  // by the day as stored

  // The run's calendar.
  static Calendar& of(RunContext& ctx);

  // The days of the span; nullptr when they could not be read (the caller's
  // statements then answer, and meet the failure).
  const Days* span(RunContext& ctx, const Span& span);

 private:
  struct Read {
    Days days;
    bool complete = false;
  };
  std::map<std::pair<std::string, std::string>, Read> spans_;
};

}  // namespace lug::calc
