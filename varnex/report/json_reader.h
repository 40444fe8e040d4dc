// Reads a JSON report back: a strict JSON parser (UTF-8, an optional byte-order mark, nesting
// limited so that no input can exhaust the stack) and the report's shape on top of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report.h"

namespace varnex::report {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  std::wstring text;                // a string's UTF-16 units, or a number as written
  std::vector<JsonValue> elements;  // array elements, or object member values
  std::vector<std::wstring> keys;   // object member names, parallel to `elements`

  // The first member named `key`, or nullptr.
  const JsonValue* Member(std::wstring_view key) const;
};

inline constexpr int kJsonMaxDepth = 64;

// False with a message (in Chinese, for the user) when the bytes are no JSON text.
bool ParseJson(std::string_view bytes, JsonValue& value, std::wstring& error);

// The report's facts and items. Missing members read as empty; members of the wrong kind and a
// missing "items" array are errors.
bool ReadJsonReport(std::string_view bytes, Report& report, std::wstring& error);

}  // namespace varnex::report
