#include "ui/controls/region_text.h"

#include <array>
#include <cstdint>
#include <limits>

#include "text/fold.h"

namespace dw::ui {
namespace {

// Ends an evaluation without a region and without an error to the caller.
struct Abort {};
// An error of the text: the part of the message after the line number.
struct TextError {
  std::string message;
};

constexpr int kMaxLevels = 15;
// Parentheses and signs nest by recursion; a limit keeps a hostile text from
// exhausting the stack.
constexpr int kMaxNesting = 200;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::int64_t Checked(std::int64_t v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
    throw Abort{};
  }
  return v;
}

// sum := product {("+" | "-") product}; product := unary {("*" | "/") unary};
// unary := "-" unary | "(" sum ")" | digits | one of W H X C R B Y.
class Expression {
 public:
  Expression(std::string_view text, const FormMetrics& m) : text_(text), m_(m) {}

  int Evaluate() { return static_cast<int>(Sum()); }

 private:
  bool At(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  std::string Position() const { return std::to_string(pos_ + 1); }

  std::int64_t Sum() {
    std::int64_t v = Product();
    while (At('+') || At('-')) {
      const bool plus = text_[pos_++] == '+';
      const std::int64_t r = Product();
      v = Checked(plus ? v + r : v - r);
    }
    return v;
  }

  std::int64_t Product() {
    std::int64_t v = Unary();
    while (At('*') || At('/')) {
      const bool times = text_[pos_++] == '*';
      const std::int64_t r = Unary();
      if (!times && r == 0) throw Abort{};
      v = Checked(times ? v * r : v / r);  // C++ division rounds toward zero
    }
    return v;
  }

  std::int64_t Unary() {
    if (++depth_ > kMaxNesting) throw Abort{};
    const std::int64_t v = Primary();
    --depth_;
    return v;
  }

  std::int64_t Primary() {
    if (At('-')) {
      ++pos_;
      return Checked(-Unary());
    }
    if (At('(')) {
      ++pos_;
      const std::int64_t v = Sum();
      if (!At(')')) throw TextError{": ')' expected in position " + Position()};
      ++pos_;
      return v;
    }
    if (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      std::int64_t v = 0;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
        v = Checked(v * 10 + (text_[pos_++] - '0'));
      }
      return v;
    }
    if (pos_ < text_.size()) {
      switch (text_[pos_]) {
        case 'W': ++pos_; return m_.width;
        case 'H': ++pos_; return m_.height;
        case 'X': ++pos_; return m_.clientLeft;
        case 'C': ++pos_; return m_.clientTop;
        case 'R': ++pos_; return m_.clientRight;
        case 'B': ++pos_; return m_.clientBottom;
        case 'Y': ++pos_; return m_.captionTop;
        default: break;
      }
    }
    throw TextError{": Syntax error in position " + Position()};
  }

  std::string_view text_;
  const FormMetrics& m_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

std::vector<std::string_view> SplitCommas(std::string_view s) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = s.find(',', start);
    parts.push_back(s.substr(start, comma == std::string_view::npos ? s.npos : comma - start));
    if (comma == std::string_view::npos) return parts;
    start = comma + 1;
  }
}

struct Level {
  CombineMode mode = CombineMode::Or;
  bool first = true;
  std::unique_ptr<Region> region;
};

class Evaluation {
 public:
  Evaluation(std::string_view name, RegionContext& context)
      : name_(name), context_(context), metrics_(context.Metrics()) {}

  std::unique_ptr<Region> Run(const std::string& text) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = text.find("\r\n", start);
      Line(std::string_view(text).substr(start, end == std::string::npos ? text.npos : end - start));
      if (end == std::string::npos) break;
      start = end + 2;
      ++line_;
    }
    return levels_[1].first ? nullptr : std::move(levels_[1].region);
  }

  int line() const { return line_; }

 private:
  void Add(std::unique_ptr<Region> shape) {
    if (!shape) throw Abort{};
    Level& l = levels_[level_];
    if (l.first) {
      l.region = std::move(shape);
      l.first = false;
    } else {
      l.region->Combine(*shape, l.mode);
    }
  }

  std::vector<int> Numbers(std::string_view params) {
    std::vector<int> values;
    for (std::string_view p : SplitCommas(params)) values.push_back(Expression(p, metrics_).Evaluate());
    return values;
  }

  static int Commas(std::string_view s) {
    int n = 0;
    for (char c : s) n += c == ',';
    return n;
  }

  void Line(std::string_view line) {
    // An empty line (a trailing line break, a blank line) makes nothing.
    if (line.empty()) return;
    const char command = line[0];
    const std::string_view params = line.substr(1);
    RegionFactory& f = context_.Regions();
    switch (command) {
      case 'A': levels_[level_].mode = CombineMode::And; return;
      case 'O': levels_[level_].mode = CombineMode::Or; return;
      case 'X': levels_[level_].mode = CombineMode::Xor; return;
      case 'D': levels_[level_].mode = CombineMode::Diff; return;
      case 'R':
      case 'E': {
        if (Commas(params) != 3) throw TextError{": Invalid number of parameters"};
        const auto v = Numbers(params);
        Add(command == 'R' ? f.Rectangle(v[0], v[1], v[2], v[3]) : f.Ellipse(v[0], v[1], v[2], v[3]));
        return;
      }
      case 'U': {
        if (Commas(params) != 5) throw TextError{": Invalid number of parameters"};
        const auto v = Numbers(params);
        Add(f.RoundRect(v[0], v[1], v[2], v[3], v[4], v[5]));
        return;
      }
      case 'L':
      case 'W': {
        const int commas = Commas(params);
        if (commas < 5 || commas % 2 == 0) throw TextError{": Invalid number of parameters"};
        const auto v = Numbers(params);
        std::vector<Point> points;
        for (std::size_t i = 0; i + 1 < v.size(); i += 2) points.push_back({v[i], v[i + 1]});
        Add(f.Polygon(points, command == 'L' ? FillRule::Alternate : FillRule::Winding));
        return;
      }
      case 'T': Insert(params); return;
      case '{':
        if (level_ == kMaxLevels) throw TextError{": Too many brackets"};
        ++level_;
        levels_[level_] = Level{};
        return;
      case '}': {
        if (level_ == 1) throw TextError{": '}' without '{'"};
        Level closed = std::move(levels_[level_]);
        --level_;
        // A group that never got a shape counts as an empty shape.
        Add(closed.first ? f.Rectangle(0, 0, 0, 0) : std::move(closed.region));
        return;
      }
      default: throw TextError{": Unknown command"};
    }
  }

  void Insert(std::string_view params) {
    if (params.size() < 3) throw TextError{": Syntax error"};
    const char h = params[0];
    const char v = params[1];
    if ((h != 'L' && h != 'C' && h != 'R') || (v != 'T' && v != 'C' && v != 'B')) {
      throw TextError{": Syntax error"};
    }
    const std::string_view rest = params.substr(2);
    const std::size_t c1 = rest.find(',');
    if (c1 == std::string_view::npos) throw TextError{": Invalid number of parameters"};
    const std::size_t c2 = rest.find(',', c1 + 1);
    if (c2 == std::string_view::npos) throw TextError{": Invalid number of parameters"};
    const int x = Expression(rest.substr(0, c1), metrics_).Evaluate();
    const int y = Expression(rest.substr(c1 + 1, c2 - c1 - 1), metrics_).Evaluate();
    const std::string_view external = rest.substr(c2 + 1);

    for (const std::string& open : context_.NameStack()) {
      if (SameName(open, external)) {
        throw RegionSelfInsertError(std::string(name_) + " recursively links to itself in line " +
                               std::to_string(line_));
      }
    }
    ExternalShape shape = context_.FindExternal(external);
    if (!shape.found) {
      context_.ShowMessage(std::string(name_) + ", line " + std::to_string(line_) +
                           ": External region " + std::string(external) + " not found");
      return;
    }
    if (!shape.region) return;  // an external region with no shape adds nothing
    const std::optional<Rect> box = shape.region->Bounds();
    Rect r = box.value_or(Rect{});
    if (shape.referenceWidth) r.left = 0, r.right = *shape.referenceWidth;
    if (shape.referenceHeight) r.top = 0, r.bottom = *shape.referenceHeight;
    const std::int64_t fromX = h == 'L' ? r.left : h == 'R' ? r.right : (std::int64_t{r.left} + r.right) / 2;
    const std::int64_t fromY = v == 'T' ? r.top : v == 'B' ? r.bottom : (std::int64_t{r.top} + r.bottom) / 2;
    shape.region->Offset(static_cast<int>(Checked(x - fromX)), static_cast<int>(Checked(y - fromY)));
    Add(std::move(shape.region));
  }

  std::string_view name_;
  RegionContext& context_;
  FormMetrics metrics_;
  std::array<Level, kMaxLevels + 1> levels_{};
  int level_ = 1;
  int line_ = 1;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

std::string InsertedName(std::string_view line) {
  if (line.size() < 4 || Upper(line[0]) != 'T') return {};
  const std::size_t c1 = line.find(',', 3);
  if (c1 == std::string_view::npos) return {};
  const std::size_t c2 = line.find(',', c1 + 1);
  if (c2 == std::string_view::npos) return {};
  return std::string(line.substr(c2 + 1));
}

std::unique_ptr<Region> EvaluateRegionText(std::string_view text, std::string_view name,
                                           RegionContext& context) {
  if (text.empty()) return nullptr;
  std::vector<std::string>& names = context.NameStack();
  const std::size_t depth = names.size();
  names.emplace_back(name);
  Evaluation evaluation(name, context);
  try {
    std::unique_ptr<Region> result = evaluation.Run(AsciiUpper(text));
    names.resize(depth);
    return result;
  } catch (const TextError& e) {
    names.resize(depth);
    throw RegionTextError(std::string(name) + ", line" + std::to_string(evaluation.line()) +
                           e.message);
  } catch (const RegionTextError&) {
    names.resize(depth);
    throw;
  } catch (const RegionSelfInsertError&) {
    names.resize(depth);
    throw;
  } catch (...) {
    // Anything else (arithmetic, the back end, memory) leaves no region; the
    // levels' regions are released with the evaluation.
    names.resize(depth);
    return nullptr;
  }
}

}  // namespace dw::ui
