#include "driver/run_context.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "driver/run_exit.h"

namespace lug {
namespace {

std::string vformat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) return {};
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), format, args);
  return std::string(buf.data(), static_cast<size_t>(n));
}

constexpr char kSetRunStatus[] = "update O1001AbrKreis  set AkrAdt=:b0 where AkrNum=:b1";

}  // namespace

void RunContext::log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  runLog.write(vformat(format, args));
  va_end(args);
}

void RunContext::fail(int st, const char* format, ...) {
  va_list args;
  va_start(args, format);
  runLog.write(vformat(format, args));
  va_end(args);
  abortIfFatal(st);
}

void RunContext::abortIfFatal(int st) {
  if (st == db::kFatal) abort(60);
}

void RunContext::abort(int16_t code) {
  status = db.exec(kSetRunStatus, {code, akr});
  log("Abbruch wegen Fehler, Status: %d", code);
  db.commit();
  throw driver::RunExit{1};
}

}  // namespace lug
