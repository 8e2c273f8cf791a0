#include "export/dispatch.h"

#include "export/exporters.h"

namespace lug {

bool matches(const DispatchEntry& entry, std::string_view type) {
  if (entry.key.size() < entry.compare) return type == entry.key;
  return type.substr(0, entry.compare) == entry.key.substr(0, entry.compare);
}

bool dispatchExport(RunContext& ctx, const std::vector<DispatchEntry>& table) {
  for (const DispatchEntry& entry : table) {
    if (!matches(entry, ctx.lug.lgp)) continue;
    if (entry.exporter) entry.exporter(ctx);
    return true;
  }
  return false;
}

std::vector<DispatchEntry> standardDispatchTable() {
  using namespace lug::exporters;
  return {
      {"LOGA", kWholeText, loga400},
      {"LOGA4", 5, loga400},
      {"IBM", 3, loga400},
      {"PAISY", 5, paisy},
      {"LOGA2", 5, loga2001},
      {"DATEV", 5, datev},
      {"ASR", 3, asring},
      {"XXL", 3, xxlExact},
      {"EMIS", 4, emis},
      {"SCHLP", 5, schleupen},
      {"ProAL", 5, proal},
      {"SAP", 3, sap},
      {"SBS", 3, sbs},
      {"BAUMN", 5, baumann},
      {"sage", 5, sage},
      {"LODAS", 5, lodas},
      {"Raet", 5, raet},
      {"PSYBR", 5, paisyBr},
      {"GOD", 3, god},
      {"TOPAS", 5, topas},
      {"PRMAN", 5, perman},
  };
}

}  // namespace lug
