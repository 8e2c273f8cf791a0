#pragma once
// The skeleton every payroll exporter runs on: one Handover object per
// exporter call owns the order of the steps and their failure rules, so that
// an exporter supplies only its texts, statements, mapping and layouts:
//
//   Handover h(ctx, {.started = "\nXyz Lohnprogramm Akr: %s, Abrnr: %d gestartet",
//                    .finished = "Xyz Lohnprogramm beendet"}, {"xyz.txt"});
//   h.clear({{"delete  from Hor333Xyz ", "DeleteFehler HOR333XYZ, Sqlfhl: %d"}});
//   h.readHeader(HeaderForm::Full);
//   PeriodRecord r;
//   h.forEach(kRecords, {ctx.abrnr, ctx.lfn}, r, [&] { map(h, r); });
//   TransferFile& file = h.file("xyz.txt", "Xyz-Datei kann nicht geoeffnet werden !");
//   h.writeRows(kStaged, {}, row, [&] { file.write(kLayout.line(row) + "\n"); });
//   h.finish();
//
// Creating the object logs the start line and removes the exporter's files
// from their final names; finish() gives the written files their names and
// logs the end line. A fatal status (-9999) anywhere ends the run through the
// abort routine with code 60; so does a cursor that fails with any status
// other than the end of its rows.
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/run_context.h"
#include "db/row.h"
#include "export/framework.h"
#include "export/staging.h"
#include "export/transfer_files.h"

namespace lug::exporters {

struct ExporterTexts {
  const char* started;   // printf format with Akr and Abrnr
  const char* finished;  // the end line; nullptr when the exporter logs it itself
  // Logged with the status when a record cursor fails (not at its end).
  const char* readFailed = "Fehler beim Lesen aus Hor331Zk1, Sqlfhl: %d";
  // Logged with the status when a staging cursor of a file fails.
  const char* writeReadFailed = "Fehler beim Lesen der Schnittstellentabelle, Sqlfhl: %d";
};

// Writes the exporter's log line for a failed staging write.
using StagingFailure = std::function<void(db::WriteStep, int status)>;

// The common form of staging messages: a printf format for a failed insert
// and one for a failed update, each with the personnel number and the status.
StagingFailure failureLines(RunContext& ctx, const char* insertFailed, const char* addFailed,
                            const std::string& pnr);

class Handover {
 public:
  Handover(RunContext& ctx, const ExporterTexts& texts, std::vector<std::string> fileNames);
  Handover(const Handover&) = delete;
  Handover& operator=(const Handover&) = delete;

  RunContext& ctx;
  InterfaceHeader header;

  // Empties the staging tables when the accounting group asks for it
  // ("Schnittstelle leeren", AkrSsl = 1); otherwise new rows are added to
  // those of earlier runs.
  void clear(std::initializer_list<StagingTable> tables);
  // Reads the interface header into `header`.
  int readHeader(HeaderForm form) { return readInterfaceHeader(ctx, form, header); }

  // Opens the cursor and hands every row read into `row` to `body` (rows that
  // met a null without indicator are handed over too when `nullRow` says so).
  // The end of the rows (1403) ends the loop; any other status is logged with
  // `failed` and ends the run (abort 60). Returns the number of rows.
  template <class Row>
  int forEach(const Query<Row>& query, db::Ins binds, Row& row, const std::function<void()>& body,
              NullRow nullRow = NullRow::EndsLoop, const char* failed = nullptr) {
    db::Cursor cursor(ctx.db, query.sql);
    cursor.open(binds);
    const LoopEnd end = readRows(
        [&] {
          row = Row{};
          return cursor.fetch(query.columns.outputs(row));
        },
        body, nullRow, failed ? failed : texts_.readFailed);
    cursor.close();
    return end.rows;
  }

  // Insert-or-add of one staging row; a failing write is reported through
  // `onFailure` and the row dropped (-9999 ends the run). Returns the status.
  template <class Row>
  int stage(const Staging<Row>& table, const Row& row, const StagingFailure& onFailure) {
    return staged(db::insertOrAdd(ctx.db, table.statements, table.insertColumns.inputs(row),
                                  table.addColumns.inputs(row)),
                  onFailure);
  }

  // Opens one of the exporter's files (exit status 1 with `openFailure`
  // when it cannot be created).
  TransferFile& file(const std::string& name, const char* openFailure,
                     FormerCopy former = FormerCopy::Remove) {
    return files_.open(name, openFailure, former);
  }

  // A file writer's pass over a staging cursor: rows that met a null without
  // indicator count as rows.
  template <class Row>
  int writeRows(const Query<Row>& query, db::Ins binds, Row& row,
                const std::function<void()>& body) {
    return forEach(query, binds, row, body, NullRow::Counts, texts_.writeReadFailed);
  }

  // Gives the written files their final names and logs the end line.
  void finish();

 private:
  LoopEnd readRows(const std::function<int()>& fetch, const std::function<void()>& body,
                   NullRow nullRow, const char* failed);
  int staged(db::Written written, const StagingFailure& onFailure);

  ExporterTexts texts_;
  TransferFiles files_;
};

}  // namespace lug::exporters
