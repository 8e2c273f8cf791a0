#pragma once
// The calendar of the suite (HORSYSTEM.Hor133Bak), read with one cursor at
// its first use in a run and served from memory: every stored day with the
// day after it, as "select BakDtm ,(BakDtm+1)" reads them. A run never
// changes the calendar. When it cannot be read, inMemory() is false and the
// callers run their statements instead.
#include <string>
#include <vector>

#include "base/run_context.h"

namespace lug::calc {

class Calendar {
 public:
  struct Day {
    std::string day;   // as stored, with a time of day
    std::string next;  // the day after
  };

  // The run's calendar, read at the first call.
  static Calendar& of(RunContext& ctx);

  bool inMemory() const { return inMemory_; }

  // The days that "BakDtm>=:von and BakDtm<=:bis" selects (compared as text),
  // in the order of their texts.
  std::vector<const Day*> between(const std::string& von, const std::string& bis) const;

 private:
  explicit Calendar(RunContext& ctx);

  std::vector<Day> days_;  // ordered by day
  bool inMemory_ = false;
};

}  // namespace lug::calc
