#include "export/layout.h"

#include <cmath>
#include <cstdio>

#include "base/cp1252.h"

namespace lug::exporters {

std::string formatNumber(double value, const NumberFormat& f) {
  const double scaled = value * std::pow(10.0, f.scale);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%0*.*f", f.width, f.decimals, scaled);
  std::string text = buffer;
  if (f.zeroAsEmpty) {
    std::snprintf(buffer, sizeof buffer, "%0*.*f", f.width, f.decimals, 0.0);
    if (text == buffer) return {};
  }
  if (f.signAtEnd && !text.empty() && text[0] == '-') text = text.substr(1) + '-';
  if (f.point != '.')
    for (char& c : text)
      if (c == '.') c = f.point;
  return text;
}

double roundedTo(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return std::strtod(buffer, nullptr);
}

size_t payrollWidth(std::string_view text) {
  return base::toWindows1252(text).size();
}

std::optional<std::string> fitField(std::string_view value, const FieldWidth& field) {
  std::string text(value);
  size_t width = payrollWidth(text);
  if (width > field.width) {
    if (field.overflow == Overflow::Reject) return std::nullopt;
    // Cut whole characters from the end until the payroll text fits.
    while (width > field.width) {
      size_t last = text.size() - 1;
      while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
      text.erase(last);
      width = payrollWidth(text);
    }
  }
  const std::string padding(field.width - width, field.fill);
  return field.align == Align::Left ? text + padding : padding + text;
}

}  // namespace lug::exporters
