#pragma once
// The entries of the payroll exporters, one line each. An exporter not yet
// part of the program is an empty entry: its interface type selects it, and
// the run ends without a transfer file.
#include "export/asring/asring.h"
#include "export/datev/datev.h"
#include "export/dispatch.h"
#include "export/lodas/lodas.h"
#include "export/loga2001/loga2001.h"
#include "export/paisy/paisy.h"
#include "export/paisy_br/paisy_br.h"
#include "export/raet/raet.h"
#include "export/xxl_exact/xxl_exact.h"

namespace lug::exporters {

inline const Exporter datev = exportDatev;
inline const Exporter lodas = exportLodas;
inline const Exporter paisy = exportPaisy;
inline const Exporter paisyBr = exportPaisyBr;
inline const Exporter loga2001 = exportLoga2001;
inline const Exporter loga400;
inline const Exporter topas;
inline const Exporter sap;
inline const Exporter sage;
inline const Exporter proal;
inline const Exporter perman;
inline const Exporter raet = exportRaet;
inline const Exporter asring = exportAsring;
inline const Exporter xxlExact = exportXxlExact;
inline const Exporter emis;
inline const Exporter schleupen;
inline const Exporter sbs;
inline const Exporter baumann;
inline const Exporter god;

}  // namespace lug::exporters
