#include "db/insert_or_add.h"

namespace lug::db {

Written insertOrAdd(Session& session, const InsertOrAdd& statements, Ins insertValues,
                    Ins addValues) {
  const int inserted = session.exec(statements.insert, insertValues);
  if (inserted != kDupKey || !statements.add) return {.status = inserted};
  return {.status = session.exec(statements.add, addValues), .step = WriteStep::Add};
}

}  // namespace lug::db
