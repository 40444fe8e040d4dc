#include "json_reader.h"

#include "utf8.h"

namespace varnex::report {

const JsonValue* JsonValue::Member(std::wstring_view key) const {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == key) return &elements[i];
  }
  return nullptr;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  bool ParseDocument(JsonValue& value) {
    if (s_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    SkipWhite();
    if (!ParseValue(value, 0)) return false;
    SkipWhite();
    return pos_ == s_.size() || Fail();
  }

  std::size_t Position() const { return pos_; }

 private:
  bool Fail() { return false; }
  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  void SkipWhite() {
    while (!AtEnd() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
  }

  bool Expect(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool ParseValue(JsonValue& v, int depth) {
    if (depth >= kJsonMaxDepth) return false;
    switch (Peek()) {
      case '{': return ParseObject(v, depth);
      case '[': return ParseArray(v, depth);
      case '"': v.kind = JsonValue::Kind::String; return ParseString(v.text);
      case 't': v.kind = JsonValue::Kind::Bool; v.boolean = true; return Expect("true");
      case 'f': v.kind = JsonValue::Kind::Bool; v.boolean = false; return Expect("false");
      case 'n': v.kind = JsonValue::Kind::Null; return Expect("null");
      default: v.kind = JsonValue::Kind::Number; return ParseNumber(v.text);
    }
  }

  bool ParseObject(JsonValue& v, int depth) {
    v.kind = JsonValue::Kind::Object;
    ++pos_;
    SkipWhite();
    if (Peek() == '}') {
      ++pos_;
      return true;
    }
    for (;;) {
      SkipWhite();
      if (Peek() != '"') return false;
      std::wstring key;
      if (!ParseString(key)) return false;
      SkipWhite();
      if (Peek() != ':') return false;
      ++pos_;
      SkipWhite();
      JsonValue member;
      if (!ParseValue(member, depth + 1)) return false;
      v.keys.push_back(std::move(key));
      v.elements.push_back(std::move(member));
      SkipWhite();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() != '}') return false;
      ++pos_;
      return true;
    }
  }

  bool ParseArray(JsonValue& v, int depth) {
    v.kind = JsonValue::Kind::Array;
    ++pos_;
    SkipWhite();
    if (Peek() == ']') {
      ++pos_;
      return true;
    }
    for (;;) {
      SkipWhite();
      JsonValue element;
      if (!ParseValue(element, depth + 1)) return false;
      v.elements.push_back(std::move(element));
      SkipWhite();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() != ']') return false;
      ++pos_;
      return true;
    }
  }

  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  bool Digits() {
    const std::size_t start = pos_;
    while (IsDigit(Peek())) ++pos_;
    return pos_ > start;
  }

  bool ParseNumber(std::wstring& text) {
    const std::size_t start = pos_;
    if (Peek() == '-') ++pos_;
    if (Peek() == '0') {
      ++pos_;
    } else if (!Digits()) {
      return false;
    }
    if (Peek() == '.') {
      ++pos_;
      if (!Digits()) return false;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!Digits()) return false;
    }
    text.assign(s_.begin() + static_cast<std::ptrdiff_t>(start), s_.begin() + static_cast<std::ptrdiff_t>(pos_));
    return true;
  }

  bool Hex4(std::uint32_t& unit) {
    if (pos_ + 4 > s_.size()) return false;
    unit = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s_[pos_++];
      unit <<= 4;
      if (c >= '0' && c <= '9') {
        unit |= static_cast<std::uint32_t>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        unit |= static_cast<std::uint32_t>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        unit |= static_cast<std::uint32_t>(c - 'A' + 10);
      } else {
        return false;
      }
    }
    return true;
  }

  // Escapes give UTF-16 units as they stand, paired or not; raw bytes must be well-formed UTF-8.
  bool ParseString(std::wstring& out) {
    ++pos_;
    for (;;) {
      if (AtEnd()) return false;
      const auto c = static_cast<unsigned char>(s_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        ++pos_;
        if (AtEnd()) return false;
        const char e = s_[pos_++];
        switch (e) {
          case '"': out += L'"'; break;
          case '\\': out += L'\\'; break;
          case '/': out += L'/'; break;
          case 'b': out += L'\b'; break;
          case 'f': out += L'\f'; break;
          case 'n': out += L'\n'; break;
          case 'r': out += L'\r'; break;
          case 't': out += L'\t'; break;
          case 'u': {
            std::uint32_t unit = 0;
            if (!Hex4(unit)) return false;
            out += static_cast<wchar_t>(unit);
            break;
          }
          default: return false;
        }
        continue;
      }
      if (c < 0x80) {
        out += static_cast<wchar_t>(c);
        ++pos_;
        continue;
      }
      std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      if (pos_ + length > s_.size()) return false;
      const std::string_view sequence = s_.substr(pos_, length);
      if (!IsValidUtf8(sequence)) return false;
      out += WideFromUtf8(sequence);
      pos_ += length;
    }
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

bool StringMember(const JsonValue& object, const wchar_t* key, std::wstring& out) {
  const JsonValue* member = object.Member(key);
  if (member == nullptr) return true;
  if (member->kind != JsonValue::Kind::String) return false;
  out = member->text;
  return true;
}

bool StringArrayMember(const JsonValue& object, const wchar_t* key, std::vector<std::wstring>& out) {
  const JsonValue* member = object.Member(key);
  if (member == nullptr) return true;
  if (member->kind != JsonValue::Kind::Array) return false;
  for (const JsonValue& element : member->elements) {
    if (element.kind != JsonValue::Kind::String) return false;
    out.push_back(element.text);
  }
  return true;
}

}  // namespace

bool ParseJson(std::string_view bytes, JsonValue& value, std::wstring& error) {
  Parser parser(bytes);
  value = JsonValue{};
  if (parser.ParseDocument(value)) return true;
  error = L"不是有效的 JSON 文本（第 " + std::to_wstring(parser.Position() + 1) + L" 字节附近）";
  return false;
}

bool ReadJsonReport(std::string_view bytes, Report& report, std::wstring& error) {
  JsonValue root;
  if (!ParseJson(bytes, root, error)) return false;
  report = Report{};
  ReportHeader& h = report.header;
  h.program.clear();
  const bool headerRead = root.kind == JsonValue::Kind::Object && StringMember(root, L"program", h.program) &&
                          StringMember(root, L"version", h.version) && StringMember(root, L"computer", h.computer) &&
                          StringMember(root, L"user", h.user) && StringMember(root, L"started", h.started) &&
                          StringMember(root, L"finished", h.finished) && StringMember(root, L"mode", h.mode) &&
                          StringMember(root, L"target", h.target) && StringMember(root, L"status", h.status) &&
                          StringArrayMember(root, L"alerts", h.alerts) &&
                          StringArrayMember(root, L"warnings", h.warnings);
  const JsonValue* items = headerRead ? root.Member(L"items") : nullptr;
  if (items == nullptr || items->kind != JsonValue::Kind::Array) {
    error = L"不是 varnex 的报告（缺少 items 列表）";
    return false;
  }
  const auto& names = ItemFieldNames();
  for (const JsonValue& element : items->elements) {
    Finding item;
    if (element.kind != JsonValue::Kind::Object) {
      error = L"报告的 items 列表中有不是对象的条目";
      return false;
    }
    for (int column = 0; column < kFindingColumnCount; ++column) {
      if (!StringMember(element, names[column].c_str(), FieldOf(item, column))) {
        error = L"报告条目的字段 " + names[column] + L" 不是文本";
        return false;
      }
    }
    report.items.push_back(std::move(item));
  }
  return true;
}

}  // namespace varnex::report
