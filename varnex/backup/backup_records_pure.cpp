#include "backup_records.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace varnex::backup {
namespace {

const wchar_t* const kCommonFields[] = {L"kind", L"time", L"type", L"name", L"place", L"how"};

std::uint32_t Fnv1a(const std::wstring& text) {
  std::uint32_t h = 2166136261u;
  for (wchar_t c : text) {
    const auto unit = static_cast<std::uint32_t>(c);
    for (int shift = 0; shift < 32 && (shift == 0 || (unit >> shift) != 0); shift += 8) {
      h ^= (unit >> shift) & 0xFF;
      h *= 16777619u;
    }
  }
  return h;
}

std::wstring Hex8(std::uint32_t v) {
  wchar_t buffer[16] = {};
  std::swprintf(buffer, 16, L"%08x", static_cast<unsigned>(v));
  return buffer;
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::wstring Escape(const std::wstring& value) {
  std::wstring out;
  for (wchar_t c : value) {
    if (c == L'%' || c < 0x20 || c == 0x7F) {
      wchar_t buffer[8] = {};
      std::swprintf(buffer, 8, L"%%%02X", static_cast<unsigned>(c) & 0xFF);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::wstring> Unescape(const std::wstring& value) {
  std::wstring out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != L'%') {
      out += value[i];
      continue;
    }
    if (i + 2 >= value.size()) return std::nullopt;
    const int hi = HexDigit(value[i + 1]);
    const int lo = HexDigit(value[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<wchar_t>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

std::wstring Sealed(std::wstring line) {
  const std::uint32_t sum = Fnv1a(line);
  return line + L"\tsum=" + Hex8(sum);
}

std::vector<std::wstring> SplitOn(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstring current;
  for (wchar_t c : text) {
    if (c == separator) {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  return parts;
}

bool ParseId(const std::wstring& text, int& id) {
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
  }
  id = v;
  return v > 0;
}

struct ParsedLine {
  std::wstring tag;
  std::map<std::wstring, std::wstring> fields;
};

// Checks the seal and splits the fields; the problem in words when the line cannot be read.
std::optional<ParsedLine> ReadLine(const std::wstring& line, std::wstring& problem) {
  const auto sumAt = line.rfind(L"\tsum=");
  if (sumAt == std::wstring::npos) {
    problem = L"没有校验值";
    return std::nullopt;
  }
  const std::wstring body = line.substr(0, sumAt);
  if (line.substr(sumAt + 5) != Hex8(Fnv1a(body))) {
    problem = L"校验值不符（已损坏或被改动）";
    return std::nullopt;
  }
  const auto parts = SplitOn(body, L'\t');
  ParsedLine parsed;
  parsed.tag = parts[0];
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const auto eq = parts[i].find(L'=');
    if (eq == std::wstring::npos || eq == 0) {
      problem = L"字段无法读取";
      return std::nullopt;
    }
    const auto value = Unescape(parts[i].substr(eq + 1));
    if (!value || !parsed.fields.emplace(parts[i].substr(0, eq), *value).second) {
      problem = L"字段无法读取";
      return std::nullopt;
    }
  }
  return parsed;
}

// ---- SHA-256 ----
constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5, 0xd807aa98,
    0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786,
    0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8,
    0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13,
    0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819,
    0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a,
    0x5b9cca4f, 0x682e6ff3, 0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// ---- .reg ----
const wchar_t* const kRegHeader = L"Windows Registry Editor Version 5.00";

std::wstring Quoted(const std::wstring& s) {
  std::wstring out = L"\"";
  for (wchar_t c : s) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

// The text of REG_SZ data when it is exactly text + one terminating NUL, without NULs inside.
std::optional<std::wstring> ProperString(const std::vector<unsigned char>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::wstring s;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) s += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  if (s.back() != L'\0') return std::nullopt;
  s.pop_back();
  if (s.find(L'\0') != std::wstring::npos) return std::nullopt;
  for (wchar_t c : s) {
    if (c == L'\r' || c == L'\n') return std::nullopt;  // a line break cannot stand in a quoted string
  }
  return s;
}

std::wstring HexBytes(const std::vector<unsigned char>& data) {
  std::wstring out;
  for (std::size_t i = 0; i < data.size(); ++i) {
    wchar_t buffer[4] = {};
    std::swprintf(buffer, 4, L"%02x", static_cast<unsigned>(data[i]));
    if (i != 0) out += L',';
    out += buffer;
  }
  return out;
}

std::optional<std::wstring> ReadQuoted(const std::wstring& line, std::size_t& at) {
  if (at >= line.size() || line[at] != L'"') return std::nullopt;
  std::wstring out;
  for (++at; at < line.size(); ++at) {
    const wchar_t c = line[at];
    if (c == L'\\') {
      if (++at >= line.size()) return std::nullopt;
      out += line[at];
    } else if (c == L'"') {
      ++at;
      return out;
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

std::optional<std::vector<unsigned char>> ReadHexList(const std::wstring& text) {
  std::vector<unsigned char> bytes;
  if (text.empty()) return bytes;
  for (const auto& part : SplitOn(text, L',')) {
    std::wstring p;
    for (wchar_t c : part) {
      if (c != L' ') p += c;
    }
    if (p.size() != 2) return std::nullopt;
    const int hi = HexDigit(p[0]);
    const int lo = HexDigit(p[1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes.push_back(static_cast<unsigned char>(hi * 16 + lo));
  }
  return bytes;
}

std::optional<RegValueRecord> ReadValueLine(const std::wstring& line) {
  RegValueRecord value;
  std::size_t at = 0;
  if (!line.empty() && line[0] == L'@') {
    at = 1;
  } else {
    const auto name = ReadQuoted(line, at);
    if (!name) return std::nullopt;
    value.name = *name;
  }
  if (at >= line.size() || line[at] != L'=') return std::nullopt;
  const std::wstring data = line.substr(at + 1);
  if (!data.empty() && data[0] == L'"') {
    std::size_t p = 0;
    const auto text = ReadQuoted(data, p);
    if (!text || p != data.size()) return std::nullopt;
    value.type = 1;
    for (wchar_t c : *text + L'\0') {
      value.data.push_back(static_cast<unsigned char>(c & 0xFF));
      value.data.push_back(static_cast<unsigned char>((static_cast<unsigned>(c) >> 8) & 0xFF));
    }
    return value;
  }
  if (data.rfind(L"dword:", 0) == 0) {
    const std::wstring digits = data.substr(6);
    if (digits.size() != 8) return std::nullopt;
    std::uint32_t v = 0;
    for (wchar_t c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    value.type = 4;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
    return value;
  }
  std::size_t colon = std::wstring::npos;
  if (data.rfind(L"hex:", 0) == 0) {
    value.type = 3;
    colon = 3;
  } else if (data.rfind(L"hex(", 0) == 0) {
    const auto close = data.find(L"):");
    if (close == std::wstring::npos || close == 4 || close > 12) return std::nullopt;
    std::uint32_t t = 0;
    for (std::size_t i = 4; i < close; ++i) {
      const int d = HexDigit(data[i]);
      if (d < 0) return std::nullopt;
      t = t * 16 + static_cast<std::uint32_t>(d);
    }
    value.type = t;
    colon = close + 1;
  } else {
    return std::nullopt;
  }
  const auto bytes = ReadHexList(data.substr(colon + 1));
  if (!bytes) return std::nullopt;
  value.data = *bytes;
  return value;
}

}  // namespace

std::vector<std::wstring> RequiredFields(const std::wstring& kind) {
  if (kind == kKindValue) return {L"keypath", L"view", L"value", L"regtype", L"reg", L"sha256"};
  if (kind == kKindKey) return {L"keypath", L"view", L"reg", L"sha256"};
  if (kind == kKindServiceStart) return {L"service", L"start"};
  if (kind == kKindServiceKey) return {L"service", L"start", L"reg", L"sha256"};
  if (kind == kKindTask) return {L"folder", L"task", L"xml", L"sha256"};
  if (kind == kKindFileCopy) return {L"path", L"copy", L"sha256"};
  if (kind == kKindMove) return {L"from", L"to", L"what", L"sha256"};
  return {};
}

std::wstring ItemLine(const BackupItem& item) {
  std::wstring line = L"item\tid=" + std::to_wstring(item.id);
  for (const auto& [key, value] : item.fields) {
    if (key == L"id" || key == L"sum") continue;
    line += L"\t" + key + L"=" + Escape(value);
  }
  return Sealed(line);
}

std::wstring ResultLine(int id, bool done) {
  return Sealed(L"result\tid=" + std::to_wstring(id) + L"\tdone=" + (done ? L"1" : L"0"));
}

std::wstring RestoredLine(int id, const std::wstring& time) {
  return Sealed(L"restored\tid=" + std::to_wstring(id) + L"\ttime=" + Escape(time));
}

Manifest ParseManifest(const std::vector<unsigned char>& bytes) {
  Manifest manifest;
  std::wstring text = TextFromUtf16Le(bytes);
  std::vector<std::wstring> lines = SplitOn(text, L'\n');
  for (auto& l : lines) {
    if (!l.empty() && l.back() == L'\r') l.pop_back();
  }
  if (lines.empty() || lines[0] != kManifestHeader) {
    manifest.headerOk = false;
  } else {
    manifest.headerOk = true;
  }
  std::map<int, std::size_t> byId;
  std::set<int> duplicated;
  struct Later {
    int line;
    ParsedLine parsed;
  };
  std::vector<Later> later;
  for (std::size_t i = manifest.headerOk ? 1 : 0; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    if (line.empty()) continue;
    ManifestEntry entry;
    entry.line = static_cast<int>(i + 1);
    std::wstring problem;
    const auto parsed = ReadLine(line, problem);
    if (!parsed) {
      entry.problem = problem;
      manifest.entries.push_back(entry);
      continue;
    }
    int id = 0;
    const auto idIt = parsed->fields.find(L"id");
    if (idIt == parsed->fields.end() || !ParseId(idIt->second, id)) {
      entry.problem = L"字段无法读取";
      manifest.entries.push_back(entry);
      continue;
    }
    if (parsed->tag == L"result" || parsed->tag == L"restored") {
      later.push_back({entry.line, *parsed});
      continue;
    }
    if (parsed->tag != L"item") {
      entry.problem = L"未知的记录";
      manifest.entries.push_back(entry);
      continue;
    }
    entry.item.id = id;
    entry.item.fields = parsed->fields;
    entry.item.fields.erase(L"id");
    entry.readable = true;
    for (const wchar_t* f : kCommonFields) {
      if (!parsed->fields.count(f)) entry.readable = false;
    }
    const auto required = RequiredFields(entry.item.Get(L"kind"));
    if (required.empty()) entry.readable = false;
    for (const auto& f : required) {
      if (!parsed->fields.count(f)) entry.readable = false;
    }
    if (!entry.readable) entry.problem = L"缺少字段或未知的种类";
    if (byId.count(id)) {
      duplicated.insert(id);
    } else {
      byId[id] = manifest.entries.size();
    }
    manifest.entries.push_back(entry);
  }
  for (auto& e : manifest.entries) {
    if (e.item.id != 0 && duplicated.count(e.item.id)) {
      e.readable = false;
      e.problem = L"编号重复";
    }
  }
  for (const auto& l : later) {
    int id = 0;
    ParseId(l.parsed.fields.at(L"id"), id);
    const auto it = byId.find(id);
    // A line about an item that cannot be read (or none) tells nothing on its own.
    if (it == byId.end() || duplicated.count(id)) continue;
    ManifestEntry& target = manifest.entries[it->second];
    if (l.parsed.tag == L"result") {
      const auto d = l.parsed.fields.find(L"done");
      if (d == l.parsed.fields.end() || (d->second != L"0" && d->second != L"1")) continue;
      target.done = d->second == L"1";
    } else {
      target.restored = true;
      const auto t = l.parsed.fields.find(L"time");
      target.restoredTime = t == l.parsed.fields.end() ? std::wstring() : t->second;
    }
  }
  return manifest;
}

std::wstring TextFromUtf16Le(const std::vector<unsigned char>& bytes) {
  std::size_t start = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
  std::wstring text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
    text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
  }
  return text;
}

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19},
      buffer_{} {}

void Sha256::Block(const unsigned char* p) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i) {
    w[i] = (std::uint32_t(p[4 * i]) << 24) | (std::uint32_t(p[4 * i + 1]) << 16) | (std::uint32_t(p[4 * i + 2]) << 8) |
           std::uint32_t(p[4 * i + 3]);
  }
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4], f = state_[5],
                g = state_[6], h = state_[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t s1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
    const std::uint32_t ch = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + s1 + ch + kRound[i] + w[i];
    const std::uint32_t s0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
    const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = s0 + maj;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void Sha256::Add(const unsigned char* data, std::size_t size) {
  length_ += size;
  while (size > 0) {
    const std::size_t take = std::min<std::size_t>(64 - buffered_, size);
    std::copy(data, data + take, buffer_ + buffered_);
    buffered_ += take;
    data += take;
    size -= take;
    if (buffered_ == 64) {
      Block(buffer_);
      buffered_ = 0;
    }
  }
}

std::wstring Sha256::HexDigest() {
  const std::uint64_t bits = length_ * 8;
  const unsigned char one = 0x80;
  const unsigned char zero = 0;
  Add(&one, 1);
  while (buffered_ != 56) Add(&zero, 1);
  unsigned char tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Add(tail, 8);
  std::wstring hex;
  for (std::uint32_t s : state_) hex += Hex8(s);
  return hex;
}

std::wstring Sha256Hex(const std::vector<unsigned char>& bytes) {
  Sha256 hash;
  hash.Add(bytes.data(), bytes.size());
  return hash.HexDigest();
}

std::wstring RegFileText(const std::vector<RegKeyRecord>& keys) {
  std::wstring out = std::wstring(kRegHeader) + L"\r\n";
  for (const auto& key : keys) {
    out += L"\r\n[" + key.path + L"]\r\n";
    for (const auto& v : key.values) {
      out += v.name.empty() ? std::wstring(L"@") : Quoted(v.name);
      out += L"=";
      const auto text = v.type == 1 ? ProperString(v.data) : std::nullopt;
      if (text) {
        out += Quoted(*text);
      } else if (v.type == 4 && v.data.size() == 4) {
        wchar_t buffer[16] = {};
        const std::uint32_t d = std::uint32_t(v.data[0]) | (std::uint32_t(v.data[1]) << 8) |
                                (std::uint32_t(v.data[2]) << 16) | (std::uint32_t(v.data[3]) << 24);
        std::swprintf(buffer, 16, L"dword:%08x", static_cast<unsigned>(d));
        out += buffer;
      } else if (v.type == 3) {
        out += L"hex:" + HexBytes(v.data);
      } else {
        wchar_t buffer[16] = {};
        std::swprintf(buffer, 16, L"hex(%x):", static_cast<unsigned>(v.type));
        out += buffer + HexBytes(v.data);
      }
      out += L"\r\n";
    }
  }
  return out + L"\r\n";
}

std::optional<std::vector<RegKeyRecord>> ParseRegFile(const std::wstring& input) {
  std::vector<std::wstring> raw = SplitOn(input, L'\n');
  for (auto& l : raw) {
    if (!l.empty() && l.back() == L'\r') l.pop_back();
  }
  // Join the continued lines of long hex data.
  std::vector<std::wstring> lines;
  bool continuing = false;
  for (const auto& l : raw) {
    std::wstring line = l;
    if (continuing) {
      std::size_t first = line.find_first_not_of(L' ');
      line = first == std::wstring::npos ? std::wstring() : line.substr(first);
      lines.back() += line;
    } else {
      lines.push_back(line);
    }
    continuing = !lines.back().empty() && lines.back().back() == L'\\' &&
                 lines.back().find(L"=hex") != std::wstring::npos;
    if (continuing) lines.back().pop_back();
  }
  if (continuing) return std::nullopt;
  if (lines.empty() || lines[0] != kRegHeader) return std::nullopt;
  std::vector<RegKeyRecord> keys;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    if (line.empty()) continue;
    if (line[0] == L'[') {
      if (line.back() != L']' || line.size() < 3 || line[1] == L'-') return std::nullopt;
      RegKeyRecord key;
      key.path = line.substr(1, line.size() - 2);
      if (key.path.rfind(L"HKEY_", 0) != 0) return std::nullopt;
      keys.push_back(key);
      continue;
    }
    if (keys.empty()) return std::nullopt;
    auto value = ReadValueLine(line);
    if (!value) return std::nullopt;
    keys.back().values.push_back(*value);
  }
  return keys;
}

std::wstring RestoreLogRecord(const BackupItem& item, const std::wstring& backupFolder, bool restored,
                              const std::wstring& detail) {
  std::wstring record = std::wstring(restored ? L"恢复成功" : L"恢复失败") + L"：\t" + item.Get(L"type") + L"\t" +
                        item.Get(L"name") + L"\t位置：" + item.Get(L"place") + L"\t备份：" + backupFolder + L"#" +
                        std::to_wstring(item.id);
  if (!detail.empty()) record += L"\t" + detail;
  return record + L"\r\n\r\n";
}

std::wstring TimeText(int year, int month, int day, int hour, int minute, int second) {
  wchar_t buffer[32] = {};
  std::swprintf(buffer, 32, L"%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
  return buffer;
}

std::wstring RunFolderName(int year, int month, int day, int hour, int minute, int second) {
  wchar_t buffer[32] = {};
  std::swprintf(buffer, 32, L"%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute, second);
  return buffer;
}

}  // namespace varnex::backup
