#include "export/leading_characters.h"

#include "export/layout.h"

namespace lug::exporters {

std::string leadingCharacters(std::string_view text, size_t width) {
  std::string cut(text);
  while (payrollWidth(cut) > width) {
    size_t last = cut.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(cut[last]) & 0xC0) == 0x80) --last;
    cut.erase(last);
  }
  return cut;
}

}  // namespace lug::exporters
