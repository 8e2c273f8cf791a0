#pragma once
// Insert-or-add, the way results and staging rows are written: the row is
// inserted, and when its unique key is stored already (-1) the update adds
// the row's quantities to the stored row (and overwrites what else it names).
#include "db/session.h"

namespace lug::db {

struct InsertOrAdd {
  const char* insert;
  const char* add;  // nullptr: a stored key is left as it is (the -1 is returned)
};

// Which statement gave the status: the caller's message names the step.
enum class WriteStep { Insert, Add };

struct Written {
  int status = kOk;
  WriteStep step = WriteStep::Insert;
};

// Runs the insert and, on -1, the adding update. -9999 is returned like any
// other status: ending the run is the caller's matter.
Written insertOrAdd(Session& session, const InsertOrAdd& statements, Ins insertValues,
                    Ins addValues);

}  // namespace lug::db
