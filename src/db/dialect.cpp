#include "db/dialect.h"

#include <cctype>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

#include "db/schema.h"

namespace lug::db {
namespace {

enum class Tok { Ident, Number, String, Param, Punct };

struct Token {
  Tok type;
  std::string text;
  bool spaceBefore = false;
};

struct Node {
  Token tok;
  bool group = false;  // "(" ... ")": tok is the opening parenthesis
  std::vector<Node> kids;
};

bool identChar(char c) {
  return std::isalnum((unsigned char)c) || c == '_' || c == '$' || c == '#';
}

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  bool space = false;
  while (i < s.size()) {
    const char c = s[i];
    size_t start = i;
    if (std::isspace((unsigned char)c)) {
      space = true;
      ++i;
      continue;
    }
    Tok type = Tok::Punct;
    if (std::isalpha((unsigned char)c) || c == '_') {
      while (i < s.size() && (identChar(s[i]) || (s[i] == '.' && i + 1 < s.size() &&
                                                  std::isalpha((unsigned char)s[i + 1]))))
        ++i;
      type = Tok::Ident;
    } else if (std::isdigit((unsigned char)c) ||
               (c == '.' && i + 1 < s.size() && std::isdigit((unsigned char)s[i + 1]))) {
      while (i < s.size() && (std::isdigit((unsigned char)s[i]) || s[i] == '.')) ++i;
      type = Tok::Number;
    } else if (c == '\'') {
      for (++i;; ++i) {
        if (i >= s.size()) throw std::invalid_argument("unterminated string in statement");
        if (s[i] == '\'' && !(i + 1 < s.size() && s[i + 1] == '\'')) break;
        if (s[i] == '\'') ++i;
      }
      ++i;
      type = Tok::String;
    } else if (c == ':' && i + 1 < s.size() && std::isalpha((unsigned char)s[i + 1])) {
      for (++i; i < s.size() && identChar(s[i]);) ++i;
      type = Tok::Param;
    } else {
      static const char* kTwo[] = {"||", "<>", "!=", "<=", ">="};
      i += 1;
      for (const char* two : kTwo)
        if (s.substr(start, 2) == two) i = start + 2;
    }
    out.push_back({type, std::string(s.substr(start, i - start)), space});
    space = false;
  }
  return out;
}

std::vector<Node> nest(const std::vector<Token>& tokens, size_t& i, bool inner) {
  std::vector<Node> seq;
  while (i < tokens.size()) {
    const Token& t = tokens[i++];
    if (t.type == Tok::Punct && t.text == ")") {
      if (!inner) throw std::invalid_argument("unbalanced parenthesis in statement");
      return seq;
    }
    Node n{t, false, {}};
    if (t.type == Tok::Punct && t.text == "(") {
      n.group = true;
      n.kids = nest(tokens, i, true);
    }
    seq.push_back(std::move(n));
  }
  if (inner) throw std::invalid_argument("unbalanced parenthesis in statement");
  return seq;
}

bool isWord(const Node& n, std::string_view word) {
  return !n.group && n.tok.type == Tok::Ident && lowerAscii(n.tok.text) == word;
}

const std::set<std::string>& keywords() {
  static const std::set<std::string> k = {
      "select",  "from",     "where",  "and",    "or",    "not",    "in",    "is",
      "null",    "distinct", "order",  "by",     "group", "having", "desc",  "asc",
      "into",    "insert",   "update", "delete", "set",   "values", "as",    "on",
      "between", "like",     "exists", "union",  "all",   "case",   "when",  "then",
      "else",    "end",      "join",   "left",   "right", "inner",  "outer", "any",
      "some",    "escape",   "for",    "with",   "minus", "nulls",  "first", "last"};
  return k;
}

// Oracle functions that every engine provides under a lug_ name.
const std::map<std::string, std::string>& functionNames() {
  static const std::map<std::string, std::string> m = {
      {"to_char", "lug_to_char"}, {"to_date", "lug_to_date"},     {"add_months", "lug_add_months"},
      {"nvl", "coalesce"},        {"trim", "lug_trim"},           {"ltrim", "lug_ltrim"},
      {"rtrim", "lug_rtrim"},     {"lpad", "lug_lpad"},           {"rpad", "lug_rpad"},
      {"substr", "lug_substr"},   {"to_number", "lug_to_number"}, {"last_day", "lug_last_day"},
      {"round", "lug_round"}};
  return m;
}

struct Expr {
  std::string text;
  bool isDate = false;
  bool isMatchColumn = false;
  bool simple = true;  // one operand, no operator
};

class Renderer {
 public:
  explicit Renderer(Dialect d) : dialect_(d) {}

  std::string render(const std::vector<Node>& seq, bool* wholeIsDate = nullptr) {
    struct Item {
      bool isExpr;
      Expr expr;
      std::string text;
    };
    std::vector<Item> items;
    size_t i = 0;
    while (i < seq.size()) {
      if (operandStart(seq, i)) {
        items.push_back({true, chain(seq, i), {}});
      } else {
        items.push_back({false, {}, space(seq[i]) + seq[i].tok.text});
        ++i;
      }
    }
    std::string out;
    bool assigning = false;  // in the set list of an update, "=" assigns
    for (size_t k = 0; k < items.size(); ++k) {
      if (!items[k].isExpr) {
        const std::string word = lowerAscii(trimmed(items[k].text));
        if (word == "set" || word == "where") assigning = word == "set";
      }
      if (!assigning && k + 2 < items.size() && items[k].isExpr && !items[k + 1].isExpr &&
          trimmed(items[k + 1].text) == "=" && items[k + 2].isExpr &&
          nullSafe(items[k].expr, items[k + 2].expr)) {
        out += " coalesce(" + bare(items[k].expr.text) + ",'')=coalesce(" +
               bare(items[k + 2].expr.text) + ",'')";
        k += 2;
        continue;
      }
      out += items[k].isExpr ? items[k].expr.text : items[k].text;
    }
    if (wholeIsDate) *wholeIsDate = items.size() == 1 && items[0].isExpr && items[0].expr.isDate;
    return out;
  }

  int inputCount() const { return static_cast<int>(params_.size()); }

 private:
  static std::string space(const Node& n) { return n.tok.spaceBefore ? " " : ""; }
  // An expression's text without the blank that separated it from what came before.
  static std::string bare(const std::string& s) {
    return s.empty() || s[0] != ' ' ? s : s.substr(1);
  }
  static std::string trimmed(const std::string& s) {
    size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a);
  }
  static bool nullSafe(const Expr& a, const Expr& b) {
    return a.simple && b.simple && (a.isMatchColumn || b.isMatchColumn);
  }

  bool operandStart(const std::vector<Node>& seq, size_t i) const {
    const Node& n = seq[i];
    if (n.group) return true;
    switch (n.tok.type) {
      case Tok::Ident:
        return !keywords().count(lowerAscii(n.tok.text));
      case Tok::Number:
      case Tok::String:
      case Tok::Param:
        return true;
      case Tok::Punct:
        return (n.tok.text == "-" || n.tok.text == "+") && i + 1 < seq.size() &&
               operandStart(seq, i + 1);
    }
    return false;
  }

  static bool isIndicator(const Node& n) {
    return !n.group && n.tok.type == Tok::Param && !n.tok.spaceBefore;
  }

  static bool isOperator(const Node& n) {
    if (n.group || n.tok.type != Tok::Punct) return false;
    const std::string& t = n.tok.text;
    return t == "+" || t == "-" || t == "*" || t == "/" || t == "||";
  }

  // operand (operator operand)*, with * and / binding before + - ||.
  Expr chain(const std::vector<Node>& seq, size_t& i) {
    std::vector<Expr> operands{primary(seq, i)};
    std::vector<const Node*> ops;
    while (i + 1 < seq.size() && isOperator(seq[i]) && operandStart(seq, i + 1)) {
      ops.push_back(&seq[i++]);
      operands.push_back(primary(seq, i));
    }
    std::vector<Expr> terms{operands[0]};
    std::vector<const Node*> addOps;
    for (size_t k = 0; k < ops.size(); ++k) {
      if (ops[k]->tok.text == "*" || ops[k]->tok.text == "/") {
        terms.back() = combine(terms.back(), *ops[k], operands[k + 1]);
      } else {
        addOps.push_back(ops[k]);
        terms.push_back(operands[k + 1]);
      }
    }
    Expr result = terms[0];
    for (size_t k = 0; k < addOps.size(); ++k) result = combine(result, *addOps[k], terms[k + 1]);
    return result;
  }

  Expr combine(const Expr& l, const Node& op, const Expr& r) {
    Expr e;
    e.simple = false;
    const std::string& o = op.tok.text;
    if (o == "||") {
      e.text = " lug_concat(" + bare(l.text) + "," + bare(r.text) + ")";
    } else if (o == "+" && (l.isDate != r.isDate)) {
      e.text = " lug_add_days(" + bare(l.isDate ? l.text : r.text) + "," +
               bare(l.isDate ? r.text : l.text) + ")";
      e.isDate = true;
    } else if (o == "-" && l.isDate && r.isDate) {
      e.text = " lug_days_between(" + bare(l.text) + "," + bare(r.text) + ")";
    } else if (o == "-" && l.isDate) {
      e.text = " lug_add_days(" + bare(l.text) + ",-(" + bare(r.text) + "))";
      e.isDate = true;
    } else {
      e.text = l.text + space(op) + o + r.text;
    }
    return e;
  }

  Expr primary(const std::vector<Node>& seq, size_t& i) {
    const Node& n = seq[i++];
    Expr e;
    if (n.group) {
      e.text = space(n) + "(" + render(n.kids, &e.isDate) + ")";
      return e;
    }
    switch (n.tok.type) {
      case Tok::Param:
        e.text = space(n) + param(n.tok.text);
        // An input written with its indicator (:b2:b3) binds one value; an
        // empty text binds NULL, as an indicator of -1 would.
        if (i < seq.size() && isIndicator(seq[i])) ++i;
        return e;
      case Tok::Number:
      case Tok::String:
        // Oracle's empty text literal is NULL.
        e.text = space(n) + (n.tok.text == "''" ? "NULL" : n.tok.text);
        return e;
      case Tok::Punct: {  // unary sign
        Expr inner = primary(seq, i);
        e.text = space(n) + n.tok.text + inner.text;
        return e;
      }
      case Tok::Ident:
        break;
    }
    const std::string lower = lowerAscii(n.tok.text);
    if (lower == "sysdate") {
      e.text = space(n) + "lug_sysdate()";
      e.isDate = true;
    } else if (i < seq.size() && seq[i].group) {
      e = call(n, lower, seq[i++]);
    } else {
      const std::string column = lower.substr(lower.rfind('.') + 1);
      e.text = space(n) + n.tok.text;
      e.isDate = Schema::instance().isDateColumn(column);
      e.isMatchColumn = Schema::instance().isMatchColumn(column);
    }
    return e;
  }

  Expr call(const Node& name, const std::string& lower, const Node& args) {
    Expr e;
    bool argIsDate = false;
    const std::string inner = render(args.kids, &argIsDate);
    auto mapped = functionNames().find(lower);
    e.text = space(name) + (mapped == functionNames().end() ? name.tok.text : mapped->second) +
             "(" + inner + ")";
    e.isDate = lower == "to_date" || lower == "add_months" || lower == "last_day" ||
               ((lower == "max" || lower == "min") && argIsDate);
    return e;
  }

  std::string param(const std::string& name) {
    auto [it, inserted] = params_.emplace(lowerAscii(name), static_cast<int>(params_.size()) + 1);
    (void)inserted;
    return (dialect_ == Dialect::Sqlite ? "?" : "$") + std::to_string(it->second);
  }

  Dialect dialect_;
  std::map<std::string, int> params_;
};

StatementKind kindOf(const std::vector<Node>& seq) {
  if (seq.empty()) return StatementKind::Other;
  if (isWord(seq[0], "select")) return StatementKind::Select;
  if (isWord(seq[0], "insert")) return StatementKind::Insert;
  if (isWord(seq[0], "update")) return StatementKind::Update;
  if (isWord(seq[0], "delete")) return StatementKind::Delete;
  return StatementKind::Other;
}

// Removes "into :b0:b1, :b2 ..." up to the top-level "from" and records the outputs.
void takeIntoList(std::vector<Node>& seq, Translation& t) {
  for (size_t i = 1; i < seq.size(); ++i) {
    if (!isWord(seq[i], "into")) continue;
    size_t end = i + 1;
    while (end < seq.size() && !isWord(seq[end], "from")) ++end;
    for (size_t k = i + 1; k < end; ++k) {
      if (seq[k].tok.type != Tok::Param) continue;
      const bool indicator = k + 1 < end && seq[k + 1].tok.type == Tok::Param;
      t.outputIndicators.push_back(indicator);
      if (indicator) ++k;
    }
    seq.erase(seq.begin() + static_cast<long>(i), seq.begin() + static_cast<long>(end));
    t.hasInto = true;
    return;
  }
}

// Oracle names the table alias of an update or delete without AS
// ("update HOR331ZK1 a  set ..."); the engines need the AS.
void aliasWithAs(std::vector<Node>& seq, StatementKind kind) {
  size_t table = 0;
  if (kind == StatementKind::Update) table = 1;
  if (kind == StatementKind::Delete && seq.size() > 1 && isWord(seq[1], "from")) table = 2;
  if (table == 0 || table + 1 >= seq.size()) return;
  const Node& alias = seq[table + 1];
  if (alias.group || alias.tok.type != Tok::Ident || keywords().count(lowerAscii(alias.tok.text)))
    return;
  seq.insert(seq.begin() + static_cast<long>(table) + 1, Node{{Tok::Ident, "AS", true}, false, {}});
}

void dropFromDual(std::vector<Node>& seq) {
  for (size_t i = 0; i + 1 < seq.size(); ++i) {
    if (isWord(seq[i], "from") && isWord(seq[i + 1], "dual")) {
      seq.erase(seq.begin() + static_cast<long>(i), seq.begin() + static_cast<long>(i) + 2);
      return;
    }
  }
}

bool isComma(const Node& n) {
  return !n.group && n.tok.type == Tok::Punct && n.tok.text == ",";
}

// A column or expression as compared between two lists: its words in lower
// case, without spacing and without a direction.
std::string itemKey(const std::vector<Node>& seq, size_t from, size_t to) {
  std::string key;
  for (size_t i = from; i < to; ++i) {
    if (i + 1 == to && (isWord(seq[i], "asc") || isWord(seq[i], "desc"))) break;
    key += lowerAscii(seq[i].tok.text) + " ";
    if (seq[i].group) key += itemKey(seq[i].kids, 0, seq[i].kids.size()) + ") ";
  }
  return key;
}

// The comma-separated items of seq[from, to) as ranges.
std::vector<std::pair<size_t, size_t>> items(const std::vector<Node>& seq, size_t from, size_t to) {
  std::vector<std::pair<size_t, size_t>> out;
  for (size_t start = from, i = from; i <= to; ++i)
    if (i == to || isComma(seq[i])) out.emplace_back(start, i), start = i + 1;
  return out;
}

// Where the two words stand one after the other (seq.size() when nowhere).
size_t findWords(const std::vector<Node>& seq, std::string_view first, std::string_view second) {
  for (size_t i = 0; i + 1 < seq.size(); ++i)
    if (isWord(seq[i], first) && isWord(seq[i + 1], second)) return i;
  return seq.size();
}

// Oracle returns the groups of a grouped select sorted by the grouped
// columns where the select's own order leaves them equal; each engine would
// choose an order of its own. The grouped columns that the order by does not
// name are added to its end, so that both engines return the groups alike.
void orderGroupsLikeOracle(std::vector<Node>& seq) {
  for (Node& n : seq)
    if (n.group) orderGroupsLikeOracle(n.kids);
  const size_t groupBy = findWords(seq, "group", "by"), orderBy = findWords(seq, "order", "by");
  if (groupBy >= orderBy || orderBy == seq.size()) return;
  size_t groupEnd = groupBy + 2;
  while (groupEnd < orderBy && !isWord(seq[groupEnd], "having")) ++groupEnd;
  std::set<std::string> ordered;
  for (const auto& [from, to] : items(seq, orderBy + 2, seq.size()))
    ordered.insert(itemKey(seq, from, to));
  std::vector<Node> added;
  for (const auto& [from, to] : items(seq, groupBy + 2, groupEnd)) {
    if (!ordered.insert(itemKey(seq, from, to)).second) continue;
    added.push_back(Node{{Tok::Punct, ",", false}, false, {}});
    added.insert(added.end(), seq.begin() + static_cast<long>(from),
                 seq.begin() + static_cast<long>(to));
    added[added.size() - (to - from)].tok.spaceBefore = false;
  }
  seq.insert(seq.end(), added.begin(), added.end());
}

// Oracle sorts NULL after every value in ascending order and before them in
// descending order; SQLite does the opposite unless the order says so.
void orderNullsLikeOracle(std::vector<Node>& seq) {
  for (Node& n : seq)
    if (n.group) orderNullsLikeOracle(n.kids);
  for (size_t i = 0; i + 1 < seq.size(); ++i) {
    if (!isWord(seq[i], "order") || !isWord(seq[i + 1], "by")) continue;
    for (size_t end = i + 2; end <= seq.size(); ++end) {
      if (end < seq.size() && !(seq[end].tok.type == Tok::Punct && seq[end].tok.text == ","))
        continue;
      const bool desc = isWord(seq[end - 1], "desc");
      const auto at = seq.begin() + static_cast<long>(end);
      seq.insert(at, {Node{{Tok::Ident, "NULLS", true}, false, {}},
                      Node{{Tok::Ident, desc ? "FIRST" : "LAST", true}, false, {}}});
      end += 2;
    }
    return;
  }
}

bool alterSession(const std::vector<Node>& seq, Translation& t) {
  if (seq.size() < 4 || !isWord(seq[0], "alter") || !isWord(seq[1], "session") ||
      !isWord(seq[2], "set"))
    return false;
  if (isWord(seq[3], "current_schema")) {
    t.kind = StatementKind::SetSchema;
    if (seq.size() == 6 && seq[4].tok.text == "=" && seq[5].tok.type == Tok::Ident)
      t.schemaName = seq[5].tok.text;
  } else if (isWord(seq[3], "nls_date_format")) {
    t.kind = StatementKind::SetDateFormat;
  }
  return t.kind != StatementKind::Other;
}

}  // namespace

Translation translate(std::string_view oracleText, Dialect dialect) {
  Translation t;
  size_t pos = 0;
  std::vector<Node> seq = nest(tokenize(oracleText), pos, false);
  if (alterSession(seq, t)) return t;
  t.kind = kindOf(seq);
  if (t.kind == StatementKind::Select) {
    takeIntoList(seq, t);
    dropFromDual(seq);
  }
  if (t.kind == StatementKind::Select) orderGroupsLikeOracle(seq);
  if (dialect == Dialect::Sqlite) orderNullsLikeOracle(seq);
  aliasWithAs(seq, t.kind);
  if (t.kind == StatementKind::Insert)
    for (size_t i = 1; i < seq.size(); ++i)
      if (isWord(seq[i], "select")) t.insertSelect = true;
  Renderer r(dialect);
  t.text = r.render(seq);
  if (!t.text.empty() && t.text[0] == ' ') t.text.erase(0, 1);
  t.inputCount = r.inputCount();
  return t;
}

}  // namespace lug::db
