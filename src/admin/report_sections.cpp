#include "admin/report_sections.h"

#include <cstdio>

namespace lug::admin {
namespace {

const std::vector<std::string> kSumColumns = {"Lohnart", "Sätze", "Stunden", "Tage"};
const std::vector<bool> kSumNumeric = {false, true, true, true};

// A quantity with two decimals and a decimal comma, "-" for negatives.
std::string decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string s = text;
  if (s == "-0.00") s = "0.00";
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::string hours(int64_t minutes) {
  return decimal(static_cast<double>(minutes) / 60.0);
}

std::string days(int64_t tenths) {
  return decimal(static_cast<double>(tenths) / 10.0);
}

// yyyy.mm.dd as dd.mm.yyyy.
std::string germanDate(const std::string& date) {
  if (date.size() != 10) return date;
  return date.substr(8, 2) + "." + date.substr(5, 2) + "." + date.substr(0, 4);
}

std::string periodText(int32_t abrnr, const std::string& von, const std::string& bis) {
  std::string text = "Abrnr: " + std::to_string(abrnr);
  if (!von.empty()) text += " (" + germanDate(von) + " - " + germanDate(bis) + ")";
  return text;
}

std::string runText(const HandOver& h) {
  return h.lfn == 0 ? "Endabrechnung" : "Zwischenabrechnung " + std::to_string(h.lfn);
}

std::vector<std::vector<std::string>> sumRows(const std::vector<WageTypeSums>& sums) {
  std::vector<std::vector<std::string>> rows;
  WageTypeSums total{.lna = "Summe"};
  for (const WageTypeSums& s : sums) {
    rows.push_back({s.lna, std::to_string(s.records), hours(s.minutes), days(s.tenths)});
    total.records += s.records, total.minutes += s.minutes, total.tenths += s.tenths;
  }
  rows.push_back(
      {total.lna, std::to_string(total.records), hours(total.minutes), days(total.tenths)});
  return rows;
}

ReportSection overview(const ReportFigures& f) {
  const HandOver& h = f.current;
  ReportSection s{.heading = {"Kontrollbericht LuG-Uebergabe Akr: " + f.akr + ", " +
                              periodText(h.abrnr, h.von, h.bis) + ", " + runText(h)}};
  s.lines.push_back("Schnittstelle: " + f.interfaceType +
                    (f.system.empty() ? " (kein Lohnprogramm)" : " (" + f.system + ")"));
  s.lines.push_back("Mitarbeiter mit Sätzen: " + std::to_string(h.employees));
  return s;
}

ReportSection kinds(const HandOver& h) {
  ReportSection s{
      .heading = {"Sätze je Satzart"}, .columns = {"Satzart", "Sätze"}, .numeric = {false, true}};
  int64_t total = 0;
  for (const KindCount& k : h.kinds) {
    s.rows.push_back({k.stz, std::to_string(k.records)});
    total += k.records;
  }
  s.rows.push_back({"Summe", std::to_string(total)});
  return s;
}

ReportSection ownValues(const HandOver& h) {
  return {.heading = {"Lohnarten der Abrechnung (ohne Differenzsätze)"},
          .columns = kSumColumns,
          .numeric = kSumNumeric,
          .rows = sumRows(h.wageTypes)};
}

ReportSection corrections(const Corrections& c) {
  return {.heading = {"Differenzsätze für " + periodText(c.period, c.von, c.bis)},
          .columns = kSumColumns,
          .numeric = kSumNumeric,
          .rows = sumRows(c.wageTypes)};
}

const char* markText(WageTypeChange::Mark mark) {
  switch (mark) {
    case WageTypeChange::Mark::New:
      return "neu";
    case WageTypeChange::Mark::Vanished:
      return "entfallen";
    case WageTypeChange::Mark::Both:
      break;
  }
  return "";
}

ReportSection comparison(const ReportFigures& f) {
  ReportSection s;
  if (!f.previous) {
    s.heading = {f.previousPeriod == 0 ? "Vergleich: keine frühere Abrechnungsperiode"
                                       : "Vergleich: keine Endabrechnung der Abrnr: " +
                                             std::to_string(f.previousPeriod)};
    return s;
  }
  const HandOver& p = *f.previous;
  s.heading = {"Vergleich mit der Endabrechnung " + periodText(p.abrnr, p.von, p.bis)};
  s.columns = {"Lohnart",  "Sätze", "vorher", "Änderung", "Stunden", "vorher",
               "Änderung", "Tage",  "vorher", "Änderung", "Hinweis"};
  s.numeric = {false, true, true, true, true, true, true, true, true, true, false};
  for (const WageTypeChange& c : f.changes)
    s.rows.push_back({c.lna, std::to_string(c.now.records), std::to_string(c.before.records),
                      std::to_string(c.now.records - c.before.records), hours(c.now.minutes),
                      hours(c.before.minutes), hours(c.now.minutes - c.before.minutes),
                      days(c.now.tenths), days(c.before.tenths),
                      days(c.now.tenths - c.before.tenths), markText(c.mark)});
  return s;
}

ReportSection rejections(const ReportFigures& f) {
  return {.heading = {"Abgewiesene Sätze (Feldprüfung): " + std::to_string(f.rejections.size())},
          .lines = f.rejections};
}

ReportSection files(const ReportFigures& f) {
  ReportSection s{.heading = {"Dateien"},
                  .columns = {"Datei", "Zeilen", "Bytes"},
                  .numeric = {false, true, true}};
  for (const ProductFile& file : f.files)
    s.rows.push_back({file.name, std::to_string(file.lines), std::to_string(file.bytes)});
  return s;
}

ReportSection tables(const ReportFigures& f) {
  ReportSection s{.heading = {"Schnittstellentabellen"},
                  .columns = {"Tabelle", "Zeilen"},
                  .numeric = {false, true}};
  for (const ProductTable& table : f.tables)
    s.rows.push_back({table.name, std::to_string(table.rows)});
  return s;
}

}  // namespace

std::vector<ReportSection> reportSections(const ReportFigures& f) {
  std::vector<ReportSection> sections = {overview(f), kinds(f.current), ownValues(f.current)};
  for (const Corrections& c : f.current.corrections) sections.push_back(corrections(c));
  sections.push_back(comparison(f));
  sections.push_back(rejections(f));
  if (!f.files.empty()) sections.push_back(files(f));
  if (!f.tables.empty()) sections.push_back(tables(f));
  return sections;
}

}  // namespace lug::admin
