#include "export/handover.h"

namespace lug::exporters {

StagingFailure failureLines(RunContext& ctx, const char* insertFailed, const char* addFailed,
                            const std::string& pnr) {
  return [&ctx, insertFailed, addFailed, pnr](db::WriteStep step, int status) {
    ctx.log(step == db::WriteStep::Add ? addFailed : insertFailed, pnr.c_str(), status);
  };
}

Handover::Handover(RunContext& context, const ExporterTexts& texts,
                   std::vector<std::string> fileNames)
    : ctx(context), texts_(texts), files_(context, std::move(fileNames)) {
  ctx.log(texts_.started, ctx.akr.c_str(), ctx.abrnr);
}

void Handover::clear(std::initializer_list<StagingTable> tables) {
  if (ctx.akrSsl != 1) return;
  for (const StagingTable& table : tables) {
    const int st = ctx.status = ctx.db.exec(table.deleteStatement);
    if (table.failureMessage && st != db::kOk && st != db::kNoData)
      ctx.fail(st, table.failureMessage, st);
  }
}

void Handover::finish() {
  files_.complete();
  if (texts_.finished) ctx.log("%s", texts_.finished);
}

LoopEnd Handover::readRows(const std::function<int()>& fetch, const std::function<void()>& body,
                           NullRow nullRow, const char* failed) {
  LoopEnd end;
  for (;;) {
    end.status = fetch();
    const bool row =
        end.status == db::kOk || (nullRow == NullRow::Counts && end.status == db::kNullFetch);
    if (!row) break;
    ++end.rows;
    body();
  }
  ctx.status = end.status;
  if (end.status != db::kNoData) {
    // A cursor that cannot be read to its end would hand over part of the
    // period as if it were all of it: the hand-over fails instead.
    ctx.log(failed, end.status);
    ctx.abort(60);
  }
  return end;
}

int Handover::staged(db::Written written, const StagingFailure& onFailure) {
  ctx.status = written.status;
  if (written.status != db::kOk) {
    onFailure(written.step, written.status);
    if (written.status == db::kFatal) ctx.abort(60);  // the failure line names it already
  }
  return written.status;
}

}  // namespace lug::exporters
