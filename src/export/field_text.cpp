#include "export/field_text.h"

#include "export/layout.h"

namespace lug::exporters {

std::string firstCharacters(std::string_view text, size_t count) {
  if (payrollWidth(text) <= count) return std::string(text);
  return *fitField(text, {.width = count});
}

}  // namespace lug::exporters
