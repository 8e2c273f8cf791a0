#pragma once
// What every payroll exporter shares: the period record and the interface
// data it reads, the staging pattern, the record loops with their failure
// rules, the transfer file, dates, months, trims and quantities. An exporter
// is then nothing but its own statements, record mapping and line layout.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/run_context.h"
#include "db/session.h"
#include "export/transfer_file.h"

namespace lug::exporters {

// A period record (Hor331Zk1) as the exporters read it; null columns read as
// empty texts or 0.
struct PeriodRecord {
  int32_t abr = 0;
  int16_t lfn = 0;
  std::string stz, bdt, pnr, zkt, lna, lgr, kst, ktr, krt;
  int32_t minutes = 0;  // Zk1Std
  int32_t tenths = 0;   // Zk1Tge: days in tenths
  int32_t stg = 0;
  std::string von, bis;
  int16_t sts = 0, rre = 0, sta = 0;
  std::string upn;  // personnel number in the payroll system
  int32_t rrn = 0;
};

// --- interface data -------------------------------------------------------------

// The accounting group's interface header (Hor171Lug).
struct InterfaceHeader {
  std::string lug;  // LugLug: key of the interface lines
  int16_t mon = 0;  // LugMon: months between the time period and the payroll month
  std::string fir;  // LugFir: company number at the payroll system
  std::string akr;  // LugAkr: accounting-group number at the payroll system
};

// Full: all four fields; Short: LugLug and LugFir; WithGroup: without LugMon.
enum class HeaderForm { Full, Short, WithGroup };

// Reads the header of ctx.akr's interface; a field the form does not read, or
// a null column, stays empty (0). Returns the status (kept in ctx.status).
int readInterfaceHeader(RunContext& ctx, HeaderForm form, InterfaceHeader& header);

// First day of the run's period as yyyy.mm.dd (empty when it cannot be read).
int readPeriodStart(RunContext& ctx, std::string& periodStart);

// Flags of the interface line of a record (Hor171Lu1).
struct LineFlags {
  int16_t kst = 0;  // 1: hand the cost centre over
  int16_t ktr = 0;  // 1: hand the cost unit over
  int16_t krt = 0;  // 1: hand the cost type over
  double mog = 0;   // factor of the line
  int16_t fkt = 0;
  int16_t bau = 0;  // 1: an amount line
};

// What a cost field holds in the exporter's format when its flag is 0 (an
// empty text, a single blank, "0"); nullptr leaves the field as it is.
struct CostBlanks {
  const char* kst = nullptr;
  const char* ktr = nullptr;
  const char* krt = nullptr;
};

// Blanks the record's cost fields whose flags are 0.
void applyCostFlags(const LineFlags& flags, const CostBlanks& blanks, PeriodRecord& record);

// The shared interface-line lookup: the flags of the first line of interface
// `lug` for the record's kind, account and wage type that is valid at its
// booking date (a null flag counts as 0), applied to the record. When no line
// is found the record keeps its cost fields. Returns the fetch status.
int applyInterfaceLine(RunContext& ctx, const std::string& lug, const CostBlanks& blanks,
                       PeriodRecord& record, LineFlags& flags);

// --- staging tables ---------------------------------------------------------------

// One staging table to be emptied: its delete statement and the log line for
// a failed delete (printf format with the status), or nullptr when the
// exporter does not check the delete.
struct StagingTable {
  const char* deleteStatement;
  const char* failureMessage;
};

// Empties the tables when the accounting group asks for it ("Schnittstelle
// leeren", AkrSsl = 1); otherwise new rows are added to those of earlier runs.
void clearStaging(RunContext& ctx, std::initializer_list<StagingTable> tables);

enum class StagingStep { Insert, Update };
// Writes the exporter's log line for a failed staging write.
using StagingFailure = std::function<void(StagingStep, int status)>;

// Insert-or-add: inserts the staging row; when its key exists (-1) the update
// adds the quantities to the stored row and overwrites the other columns it
// names. Any other failing status is reported and the record dropped; the
// fatal status then ends the run (abort 60). Returns the last status.
int insertOrAdd(RunContext& ctx, const char* insert, db::Ins insertValues, const char* update,
                db::Ins updateValues, const StagingFailure& reportFailure);

// --- record loops -------------------------------------------------------------------

// Whether a fetch that met a null without indicator (-1405) counts as a row:
// the file writers write such rows like the others.
enum class NullRow { EndsLoop, Counts };

struct LoopEnd {
  int status = 0;  // the fetch status that ended the loop
  int rows = 0;    // rows handed to the body
};

// Fetches rows until the first status other than 0 (or -1405 with
// NullRow::Counts) and hands each to `body`. A fatal status ends the run
// (abort 60); any other status ends the loop normally.
LoopEnd forEachRow(RunContext& ctx, const std::function<int()>& fetch,
                   const std::function<void()>& body, NullRow nullRow = NullRow::EndsLoop);

// --- transfer file ------------------------------------------------------------------

// Opens the transfer file in ctx.exportDir. When it cannot be created, the
// exporter's message is logged and the process ends with exit status 1
// without the abort routine.
void openTransferFile(RunContext& ctx, TransferFile& file, const char* openFailureMessage);
// Completes the file under its own name; when that fails, the failure is
// logged and the process ends like a file that cannot be opened.
void completeTransferFile(RunContext& ctx, TransferFile& file);

// --- field checks -------------------------------------------------------------------

// One check of a record before it is staged: whether it failed, and the log
// line that names the personnel number and the offending value.
struct FieldCheck {
  bool failed;
  std::function<void()> report;
};

// Runs the checks in order; the first that fails writes its line. Returns
// whether the record passed them all.
bool passes(std::initializer_list<FieldCheck> checks);

// Whether a text is longer than a field of `width` characters of the payroll
// file's single-byte text.
bool exceedsWidth(std::string_view text, size_t width);

// --- dates, months, texts, quantities ---------------------------------------------

// yyyy.mm.dd as the number yyyymmdd (2024.03.15 gives 20240315; empty gives 0).
int32_t dateNumber(std::string_view date);

// Moves a payroll month yyyymm by `offset` months with year carry, forward
// for a positive offset and back for a negative one.
int32_t shiftMonth(int32_t yyyymm, int offset);
// The same for a date yyyymmdd; the day digits stay as they are.
int32_t shiftDate(int32_t yyyymmdd, int offset);

// Removes trailing blanks and tabs; a text of blanks and tabs only stays as it is.
std::string rightTrim(std::string_view text);
// Removes leading and trailing blanks and tabs; a text of blanks and tabs only
// becomes empty.
std::string fullTrim(std::string_view text);

// Hours and days as the payroll systems get them: minutes × 1/60 and tenths × 0.1.
double hoursOf(int32_t minutes);
double daysOf(int32_t tenths);

}  // namespace lug::exporters
