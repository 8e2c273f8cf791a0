#include "base/run_context.h"

#include <cstdarg>
#include <cstdio>

#include "base/run_exit.h"
#include "base/text_format.h"

namespace lug {
namespace {

constexpr char kSetRunStatus[] = "update O1001AbrKreis  set AkrAdt=:b0 where AkrNum=:b1";

}  // namespace

void RunContext::log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  runLog.write(base::formatLogV(format, args));
  va_end(args);
}

void RunContext::fail(int st, const char* format, ...) {
  va_list args;
  va_start(args, format);
  runLog.write(base::formatLogV(format, args));
  va_end(args);
  if (st == db::kFatal) abort(60);
}

void RunContext::abortIfFatal(int st) {
  if (st != db::kFatal) return;
  log("Fehler %s: %d", db::statementName(db.fatalStatement()).c_str(), st);
  abort(60);
}

int RunContext::setRunStatus(int16_t code) {
  return status = db.exec(kSetRunStatus, {code, akr});
}

void RunContext::abort(int16_t code) {
  setRunStatus(code);
  log("Abbruch wegen Fehler, Status: %d", code);
  db.commit();
  throw base::RunExit{.status = 1, .abortCode = code};
}

}  // namespace lug
