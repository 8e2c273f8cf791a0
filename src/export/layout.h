#pragma once
// Line layouts of the transfer files: numbers in the forms the payroll
// formats use, fixed-width fields and delimited fields. Widths count the
// characters of the file's Windows-1252 text, not the program's UTF-8 bytes.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lug::exporters {

// How a number is written. The value is first multiplied by 10^scale (implied
// decimals: 7.5 hours with scale 2 are written "750"), then formatted like
// printf's "%0<width>.<decimals>f" (rounded, zero-padded to `width`
// characters including the sign; width 0 pads nothing).
struct NumberFormat {
  int width = 0;
  int decimals = 0;
  int scale = 0;
  char point = '.';          // ',' writes a decimal comma
  bool signAtEnd = false;    // "-0123" is written "0123-"
  bool zeroAsEmpty = false;  // a value that is written as zero ("0.00", "00000") stays empty
};

std::string formatNumber(double value, const NumberFormat& format);

// The value rounded to `decimals` places as the payroll file shows it ("%.2f"
// read back): 100 minutes are 1.67 hours, not 1.6666….
double roundedTo(double value, int decimals);

enum class Align { Left, Right };
// What a fixed-width field does with a value longer than its width.
enum class Overflow { Cut, Reject };

struct FieldWidth {
  size_t width;
  Align align = Align::Left;
  char fill = ' ';
  Overflow overflow = Overflow::Cut;
};

// The value padded to its field's width; nullopt when it does not fit a
// field that rejects overlong values.
std::optional<std::string> fitField(std::string_view value, const FieldWidth& field);

// Number of characters of a text in the payroll file's single-byte text.
size_t payrollWidth(std::string_view text);

// A fixed-width line of a staging row: the fields in order, each a value of
// the row and its width.
template <class Row>
class FixedLayout {
 public:
  struct Field {
    std::function<std::string(const Row&)> value;
    FieldWidth width;
  };
  FixedLayout(std::initializer_list<Field> fields) : fields_(fields) {}

  // The line without line end; nullopt when a rejecting field overflows.
  std::optional<std::string> line(const Row& row) const {
    std::string line;
    for (const Field& f : fields_) {
      std::optional<std::string> text = fitField(f.value(row), f.width);
      if (!text) return std::nullopt;
      line += *text;
    }
    return line;
  }

  // The same fields, each at its width, joined by `separator`: a delimited
  // file that carries the fixed-width file's field texts. nullopt as line().
  std::optional<std::string> delimitedLine(const Row& row, char separator) const {
    std::string line;
    for (size_t i = 0; i < fields_.size(); ++i) {
      std::optional<std::string> text = fitField(fields_[i].value(row), fields_[i].width);
      if (!text) return std::nullopt;
      if (i > 0) line += separator;
      line += *text;
    }
    return line;
  }

 private:
  std::vector<Field> fields_;
};

// A delimited line: the fields' values joined by `separator`, which also ends
// the line when `terminated` (LODAS writes "a;b;c;").
template <class Row>
class DelimitedLayout {
 public:
  DelimitedLayout(char separator, bool terminated,
                  std::initializer_list<std::function<std::string(const Row&)>> fields)
      : separator_(separator), terminated_(terminated), fields_(fields) {}

  std::string line(const Row& row) const {
    std::string line;
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (i > 0) line += separator_;
      line += fields_[i](row);
    }
    if (terminated_) line += separator_;
    return line;
  }

 private:
  char separator_;
  bool terminated_;
  std::vector<std::function<std::string(const Row&)>> fields_;
};

// Field values for the layouts: a text member, a number member in a format,
// or a constant text.
template <class Row>
std::function<std::string(const Row&)> text(std::string Row::*member) {
  return [member](const Row& row) { return row.*member; };
}
template <class Row, class Number>
std::function<std::string(const Row&)> number(Number Row::*member, NumberFormat format) {
  return [member, format](const Row& row) {
    return formatNumber(static_cast<double>(row.*member), format);
  };
}
template <class Row>
std::function<std::string(const Row&)> literal(std::string value) {
  return [value = std::move(value)](const Row&) { return value; };
}

}  // namespace lug::exporters
