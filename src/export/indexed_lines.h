#pragma once
// A staging table of finished lines under a running index (for example
// "insert into Hor333Lp1 (Lp1Fld,Lp1Idx) values (:b0,:b1)"): each line
// appended takes the next index, starting one above the largest index stored
// (1 in an empty table), so that with the staging-clear flag off the lines of
// several runs follow one another in run order. The file writer reads them
// back in index order.
#include <cstdint>
#include <string>

#include "export/handover.h"

namespace lug::exporters {

struct IndexedLineStatements {
  const char* insert;     // the line and its index
  const char* lastIndex;  // max(index) into one output with indicator
  const char* read;       // the line and its index, in index order
};

class IndexedLines {
 public:
  // `insertFailed`: printf format of the log line for a failed insert, with
  // the personnel number and the status.
  IndexedLines(Handover& h, const IndexedLineStatements& statements, const char* insertFailed);

  // Every failed insert is logged, also an index stored already (-1): the
  // line would be missing from the file.
  void append(const std::string& line, const std::string& pnr);

  // Writes `header` and then every stored line in index order, each ended by
  // a line feed.
  void write(TransferFile& file, const std::string& header);

 private:
  struct Line {
    std::string text;
    int32_t index = 0;
  };

  Handover& h_;
  IndexedLineStatements statements_;
  Staging<Line> table_;
  const char* insertFailed_;
  int32_t next_ = 1;
};

}  // namespace lug::exporters
