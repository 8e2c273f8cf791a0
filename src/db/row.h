#pragma once
// Binds the members of a plain struct to the inputs or outputs of a
// statement, declared once next to the statement text:
//
//   struct Hours { std::string pnr, lna; double hours = 0; };
//   const db::Columns<Hours> kHoursRead{&Hours::pnr, &Hours::lna, &Hours::hours};
//   Hours row;
//   while (cursor.fetch(kHoursRead.outputs(row)) == db::kOk) ...
//   session.exec(kInsertHours, kHoursInsert.inputs(row));
//
// The members are bound in the order listed, which is the order of the
// statement's bind variables or select list.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "db/session.h"

namespace lug::db {

template <class T>
class Columns {
 public:
  using Member =
      std::variant<std::string T::*, int16_t T::*, int32_t T::*, int64_t T::*, double T::*>;

  Columns(std::initializer_list<Member> members) : members_(members) {}

  std::vector<In> inputs(const T& row) const {
    std::vector<In> values;
    values.reserve(members_.size());
    for (const Member& m : members_)
      std::visit([&](auto member) { values.emplace_back(row.*member); }, m);
    return values;
  }

  std::vector<Out> outputs(T& row) const {
    std::vector<Out> targets;
    targets.reserve(members_.size());
    for (const Member& m : members_)
      std::visit([&](auto member) { targets.emplace_back(row.*member); }, m);
    return targets;
  }

  size_t size() const { return members_.size(); }

 private:
  std::vector<Member> members_;
};

}  // namespace lug::db
