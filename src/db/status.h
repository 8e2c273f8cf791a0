#pragma once

namespace lug::db {

// Statement statuses as the suite's Oracle database reports them. Every
// statement of the program returns one of these to its caller.
inline constexpr int kOk = 0;
inline constexpr int kNoData = 1403;      // no row found / fetch past the last row
inline constexpr int kDupKey = -1;        // unique key violated
inline constexpr int kNullFetch = -1405;  // null fetched into an output without indicator
inline constexpr int kFatal = -9999;      // session no longer trustworthy: abort the run

// Not a statement status: the schema's run lock is held by another run.
inline constexpr int kRunLockHeld = 1;

}  // namespace lug::db
