#include "export/text_cut.h"

namespace lug::exporters {

std::string leadingCharacters(std::string_view text, size_t count) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts && characters++ == count) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

}  // namespace lug::exporters
