#pragma once
// The entries of the payroll exporters, one line each, as the dispatch table
// names them.
#include "export/asring/asring.h"
#include "export/baumann/baumann.h"
#include "export/datev/datev.h"
#include "export/dispatch.h"
#include "export/emis/emis.h"
#include "export/god/god.h"
#include "export/lodas/lodas.h"
#include "export/loga2001/loga2001.h"
#include "export/loga400/loga400.h"
#include "export/paisy/paisy.h"
#include "export/paisy_br/paisy_br.h"
#include "export/perman/perman.h"
#include "export/proal/proal.h"
#include "export/raet/raet.h"
#include "export/sage/sage.h"
#include "export/sap/sap.h"
#include "export/sbs/sbs.h"
#include "export/schleupen/schleupen.h"
#include "export/topas/topas.h"
#include "export/xxl_exact/xxl_exact.h"

namespace lug::exporters {

inline const Exporter datev = exportDatev;
inline const Exporter lodas = exportLodas;
inline const Exporter paisy = exportPaisy;
inline const Exporter paisyBr = exportPaisyBr;
inline const Exporter loga2001 = exportLoga2001;
inline const Exporter loga400 = exportLoga400;
inline const Exporter topas = exportTopas;
inline const Exporter sap = exportSap;
inline const Exporter sage = exportSage;
inline const Exporter proal = exportProal;
inline const Exporter perman = exportPerman;
inline const Exporter raet = exportRaet;
inline const Exporter asring = exportAsring;
inline const Exporter xxlExact = exportXxlExact;
inline const Exporter emis = exportEmis;
inline const Exporter schleupen = exportSchleupen;
inline const Exporter sbs = exportSbs;
inline const Exporter baumann = exportBaumann;
inline const Exporter god = exportGod;

}  // namespace lug::exporters
