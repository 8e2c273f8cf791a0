#include "export/rejection.h"

#include <algorithm>
#include <cassert>
#include <cstdarg>
#include <vector>

#include "base/text_format.h"

namespace lug::exporters {
namespace {

constexpr std::string_view kMessages[] = {
    // personnel number
    "PersNr zu lang : %s",
    "PersNr. zu lang : %s",
    "Pnr %s: Personalnummer zu lang",
    // wage type, cost centre, cost unit
    "Lohnart zu lang : %s",
    "Lohnart zu lang für P3-Satz : %s",
    "Pnr %s: Lohnart zu lang (%s)",
    "Kostenstelle zu lang : %s",
    "Pnr %s: Kostenstelle zu lang (%s)",
    "Pnr %s: Kostenträger zu lang (%s)",
    "Pnr %s: Trennzeichen im Feld (%s)",
    // quantities
    "PNR %s: Stundenwert zu groß f.Übergabe",
    "PNR %s: Stundenwert zu groß f.Übergabe (%.2f)",
    "PNR %s: Stundenwert zu groß f.Übergabe (Lna %s, %lld Minuten)",
    "PNR %s: Tagewert zu groß f.Übergabe (Lna %s, %lld Zehnteltage)",
    "PersNr. %s: Stundenwert zu groß f.Übergabe (Lohnart %s)",
    "Pnr %s: Std. zu groß f.Übergabe (%.2f)",
    "Std. zu groß f.Übergabe, Pnr: %s",
    "Wert zu groß f.Übergabe, Pnr: %s",
    "Pnr %s: Zeitwert zu groß (%s)",
    "Pnr %s: Betrag zu groß (%s)",
};

// The fixed texts of a printf format between its conversions ("%s", "%.2f",
// "%lld" ...): "Pnr %s: Lohnart zu lang (%s)" gives "Pnr ", ": Lohnart zu
// lang (" and ")".
std::vector<std::string_view> fixedTexts(std::string_view format) {
  std::vector<std::string_view> texts;
  size_t begin = 0;
  for (size_t at; (at = format.find('%', begin)) != std::string_view::npos;) {
    texts.push_back(format.substr(begin, at - begin));
    begin = format.find_first_of("sdf", at) + 1;
  }
  texts.push_back(format.substr(begin));
  return texts;
}

// Whether the line is the format with some values: it begins with the first
// fixed text, ends with the last and holds the others in order between them.
bool fitsFormat(std::string_view line, std::string_view format) {
  const std::vector<std::string_view> texts = fixedTexts(format);
  if (texts.size() == 1) return line == texts.front();
  if (!line.starts_with(texts.front()) || !line.ends_with(texts.back())) return false;
  size_t at = texts.front().size();
  const size_t end = line.size() - texts.back().size();
  if (at > end) return false;
  for (size_t i = 1; i + 1 < texts.size(); ++i) {
    at = line.find(texts[i], at);
    if (at == std::string_view::npos || at + texts[i].size() > end) return false;
    at += texts[i].size();
  }
  return true;
}

}  // namespace

void reject(RunContext& ctx, const char* format, ...) {
  // A message missing from the list would be invisible to the control
  // report; the tests' debug build stops at it.
  assert(std::find(std::begin(kMessages), std::end(kMessages), format) != std::end(kMessages));
  va_list args;
  va_start(args, format);
  ctx.runLog.write(base::formatLogV(format, args));
  va_end(args);
  ++ctx.rejectedRecords;
}

std::span<const std::string_view> rejectionMessages() {
  return kMessages;
}

bool isRejectionLine(std::string_view line) {
  for (const std::string_view format : rejectionMessages())
    if (fitsFormat(line, format)) return true;
  return false;
}

}  // namespace lug::exporters
