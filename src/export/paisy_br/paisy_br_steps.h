#pragma once
// The file writers of the PAISY(Br) exporter, in a file of their own.
#include <string>

#include "export/handover.h"

namespace lug::exporters::paisy_br {

// Writes PaisyP1b.txt, PaisyP3b.txt and PaisyP4b.txt from the staging tables.
void writeFiles(Handover& h);

// The hours column of a P1b record: hours × 100 padded to six characters
// becomes five; a negative value has its minus sign replaced by "0" and its
// last digit by a letter ("p" for 0 to "y" for 9), then the first character
// is dropped ("00-125" becomes "0012u").
std::string hoursColumn(std::string padded);

}  // namespace lug::exporters::paisy_br
