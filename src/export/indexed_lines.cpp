#include "export/indexed_lines.h"

namespace lug::exporters {

IndexedLines::IndexedLines(Handover& h, const IndexedLineStatements& statements,
                           const char* insertFailed)
    : h_(h),
      statements_(statements),
      table_{.statements = {.insert = statements.insert, .add = nullptr},
             .insertColumns = {&Line::text, &Line::index},
             .addColumns = {}},
      insertFailed_(insertFailed) {
  int32_t last = 0;
  h.ctx.abortIfFatal(h.ctx.status = h.ctx.db.exec(statements.lastIndex, {}, {last}));
  next_ = last + 1;
}

void IndexedLines::append(const std::string& line, const std::string& pnr) {
  h_.stage(table_, Line{.text = line, .index = next_++},
           failureLines(h_.ctx, insertFailed_, insertFailed_, pnr));
}

void IndexedLines::write(TransferFile& file, const std::string& header) {
  file.write(header);
  Line line;
  h_.writeRows(Query<Line>{.sql = statements_.read, .columns = {&Line::text, &Line::index}}, {},
               line, [&] { file.printf("%s\n", line.text.c_str()); });
}

}  // namespace lug::exporters
