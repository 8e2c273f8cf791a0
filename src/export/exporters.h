#pragma once
// The entries of the payroll exporters. An exporter not yet part of the
// program is an empty entry: its interface type selects it, and the run ends
// without a transfer file.
#include "export/datev/datev.h"
#include "export/dispatch.h"

namespace lug::exporters {

inline const Exporter datev = exportDatev;

inline const Exporter loga400, paisy, loga2001, asring, xxlExact, emis, schleupen, proal, sap, sbs,
    baumann, sage, lodas, raet, paisyBr, god, topas, perman;

}  // namespace lug::exporters
