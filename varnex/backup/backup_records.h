// The backup store's records, as pure functions: the manifest's lines, the registry export
// (.reg) text, SHA-256, and the record of a restore in the day's log. Bytes in, records out, so
// every damaged or hand-edited input can be tested without a disk.
//
// Manifest ("清单.txt" in each backup folder): UTF-16LE with the mark FF FE, one line per record,
// lines ended by CR LF. The first line is kManifestHeader. Every other line is a record: a tag
// ("item", "result" or "restored") and fields "key=value", separated by tabs, ending in
// "sum=<8 hex digits>", the FNV-1a checksum of the line's text before "\tsum=". In values the
// characters %, tab, CR and LF (and other control characters) are written as %XX (hex). A line
// whose checksum does not match, whose tag or fields are unknown or incomplete, is unreadable.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace varnex::backup {

inline constexpr const wchar_t* kManifestHeader = L"Varnex 备份清单 1";

// Kinds of backed-up item.
inline constexpr const wchar_t* kKindValue = L"value";            // one registry value (.reg)
inline constexpr const wchar_t* kKindKey = L"key";                // a registry key with its subtree (.reg)
inline constexpr const wchar_t* kKindServiceStart = L"service-start";  // a service's start type
inline constexpr const wchar_t* kKindServiceKey = L"service-key";  // a deleted service's whole key (.reg)
inline constexpr const wchar_t* kKindTask = L"task";              // a scheduled task's XML
inline constexpr const wchar_t* kKindFileCopy = L"file-copy";     // a file deleted for good, copied first
inline constexpr const wchar_t* kKindMove = L"move";              // a file or folder moved or renamed

struct BackupItem {
  int id = 0;
  std::map<std::wstring, std::wstring> fields;  // kind, time, type, name, place, how, and per kind
  std::wstring Get(const std::wstring& key) const {
    const auto it = fields.find(key);
    return it == fields.end() ? std::wstring() : it->second;
  }
};

// The fields each kind must carry (beyond id, kind, time, type, name, place, how).
std::vector<std::wstring> RequiredFields(const std::wstring& kind);

std::wstring ItemLine(const BackupItem& item);
std::wstring ResultLine(int id, bool done);
std::wstring RestoredLine(int id, const std::wstring& time);

struct ManifestEntry {
  int line = 0;          // 1-based line in the manifest
  bool readable = false;
  std::wstring problem;  // why it is unreadable
  BackupItem item;       // as far as it could be read
  std::optional<bool> done;  // the step's outcome, when a result line was read
  bool restored = false;
  std::wstring restoredTime;
};

struct Manifest {
  bool headerOk = false;
  std::vector<ManifestEntry> entries;  // items in manifest order, also the unreadable lines
};

// Never fails: what cannot be read becomes an unreadable entry. A result or restored line for an
// id no readable item has is passed over; two items with one id make both unreadable.
Manifest ParseManifest(const std::vector<unsigned char>& bytes);

// UTF-16LE text (a leading FF FE is skipped; an odd last byte is dropped); the way back is the
// log writer's Utf16LeBytes.
std::wstring TextFromUtf16Le(const std::vector<unsigned char>& bytes);

// SHA-256 as 64 lower-case hex digits.
class Sha256 {
 public:
  Sha256();
  void Add(const unsigned char* data, std::size_t size);
  std::wstring HexDigest();  // ends the hash

 private:
  void Block(const unsigned char* block);
  std::uint32_t state_[8];
  unsigned char buffer_[64];
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};
std::wstring Sha256Hex(const std::vector<unsigned char>& bytes);

// Registry export text. A key path starts with its root spelled out ("HKEY_CURRENT_USER\...").
struct RegValueRecord {
  std::wstring name;  // "" = the key's default value
  std::uint32_t type = 0;
  std::vector<unsigned char> data;
  bool operator==(const RegValueRecord&) const = default;
};
struct RegKeyRecord {
  std::wstring path;
  std::vector<RegValueRecord> values;
  bool operator==(const RegKeyRecord&) const = default;
};

// "Windows Registry Editor Version 5.00", then each key as "[path]" with its values: strings that
// are proper terminated text as "name"="text", DWORDs of four bytes as dword:, everything else
// as hex(type): bytes (hex: for REG_BINARY), so types and bytes come back exactly. To be written
// as UTF-16LE with the mark (Utf16LeBytes), as the registry editor itself writes it.
std::wstring RegFileText(const std::vector<RegKeyRecord>& keys);

// The keys and values of a .reg text as RegFileText writes it (and as the registry editor writes
// it: long hex lines continued with "\"). Nothing when any line cannot be read, a key path is
// empty or a value stands before the first key; deletions ("[-key]", "name"=-) are refused.
std::optional<std::vector<RegKeyRecord>> ParseRegFile(const std::wstring& text);

// The line a restore adds to the day's main log.
std::wstring RestoreLogRecord(const BackupItem& item, const std::wstring& backupFolder, bool restored,
                              const std::wstring& detail);

// "yyyy-mm-dd hh:mm:ss" and the folder name "yyyymmdd-hhmmss".
std::wstring TimeText(int year, int month, int day, int hour, int minute, int second);
std::wstring RunFolderName(int year, int month, int day, int hour, int minute, int second);

}  // namespace varnex::backup
