// The data dictionary in memory: the file, field and key definitions of every data file the
// engine can open, the counters over them, the structure stack of run-time files, and the
// queries the rest of the engine asks about them.
//
// Files are numbered 1..kMaxFiles in definition order, fields and keys from 1 within their file.
// The definitions live in ValueTables: table 0 holds one FileDef per file (index file - 1),
// table 1 the FieldDefs of all files one after another in file order, table 2 the KeyDefs the
// same way, table 3 the five KeySegments of each key at the key's index. Names are in
// StringSlots: group 1 the base names, group 2 the folders, group 4 the option strings (item
// file - 1), group 3 the field names (at the field's global index).
//
// Table elements move when a table grows, so every query answers a copy.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint8_t kMaxFiles = 30;
inline constexpr uint16_t kMaxKeySegments = 5;
inline constexpr uint16_t kMaxStructures = 7;
inline constexpr uint16_t kAnyField = 0xFFFF;
inline constexpr uint8_t kAlwaysCurrentFile = 255;  // the current file (_CURFIL)

inline constexpr uint16_t kTableFileDefs = 0;
inline constexpr uint16_t kTableFieldDefs = 1;
inline constexpr uint16_t kTableKeyDefs = 2;
inline constexpr uint16_t kTableKeySegments = 3;

// The default key is the record prefix up to and including this field (else field 1).
inline constexpr StrRef kLineFieldName = StrLit("N_LINE");

// Bits of system words the dictionary reads.
inline constexpr uint16_t kAuxKeepNameCase = 8;   // _AUXSTAT: base names stored as written
inline constexpr uint16_t kCompatNdx = 2;         // _COMPAT: index extension NDX
inline constexpr uint16_t kCompatDateCodes = 4;   // _COMPAT: six-character F dates encoded
inline constexpr uint16_t kCompatShortNames = 8;  // _COMPAT: base names cut to 8 characters

struct FileDef {
  uint8_t file = 0;
  uint8_t attribute = 0;
  uint16_t field_count = 0;
  uint16_t record_length = 0;
  uint16_t key_count = 0;
};

struct FieldDef {
  uint8_t file = 0;
  uint16_t field = 0;
  uint16_t offset = 0;
  uint16_t length = 0;
  char type = 0;
  uint16_t reserved = 0;
};

struct KeyDef {
  uint32_t segment_count = 0;
  uint32_t reserved = 0;
};

struct KeySegment {
  uint16_t start = 0;  // 0-based offset in the record
  uint16_t length = 0;
};

// A key's segments (the element of table 3).
struct KeySegments {
  uint16_t count = 0;
  KeySegment segment[kMaxKeySegments] = {};
};

// Attaches `detail` to a failure as its detail text and, for an error (128 or more), latches it
// with the data-file site. Answers the status; 0 passes through untouched.
Status DataReport(Status status, StrRef detail);
inline Status DataReport(Status status, const std::string& detail) {
  return DataReport(status, StrView(detail));
}

// ---- Defining ----------------------------------------------------------------------------

// Appends a file with no fields and no keys. 161 when kMaxFiles are defined; the slot store's
// status when the name or folder cannot be stored (nothing is then defined).
[[nodiscard]] Status DefineFile(uint8_t attribute, StrRef base_name, StrRef folder);
// Appends a field to the file defined last. 161 when no file is defined; 163 when the length
// is 0 or the record would pass 65,535 bytes.
[[nodiscard]] Status DefineField(StrRef name, uint16_t length, char type);
// Appends a key to `file`, first giving the default key to the files between the last file
// with keys and this one. 163 when the file number is above the file count, when the file is
// below a file that already has its keys (keys are appended in file order), when the key has
// no segment or more than kMaxKeySegments, or when a segment lies outside the record.
[[nodiscard]] Status DefineKey(uint8_t file, const KeySegments& segments);
// Gives the default key to every file up to `last` that still has none.
[[nodiscard]] Status CompleteDefaultKeys(uint8_t last);
// Appends `text` to the file's option string, joined with ':'. 151 for a file above the count.
[[nodiscard]] Status AddFileOptions(uint8_t file, StrRef text);

// Defines a run-time file on top of the dictionary: pushes the structure stack (168 when
// kMaxStructures states are saved), defines a file named `name` with the fields of `fields`
// (comma list of name;length-expression;type) and the keys of `keys` (comma list written like
// key lines), and makes it the current file. The name "RESTORE" runs RestoreStructure instead.
[[nodiscard]] Status DefineStructure(StrRef name, StrRef fields, StrRef keys);
// Saves the counts and the current file on the structure stack before run-time definitions are
// added on top of the dictionary; 168 when kMaxStructures states are saved. RestoreStructure
// takes them away again.
[[nodiscard]] Status PushStructure();
// Pops the structure stack and removes every file, field and key defined above the restored
// counts (files among them that are open are closed first). With nothing pushed, the whole
// dictionary is cleared.
[[nodiscard]] Status RestoreStructure();
uint16_t StructureDepth();
// Removes everything and empties the structure stack (engine stop, tests).
void DictClear();

// ---- Queries -----------------------------------------------------------------------------

uint8_t FileCount();
uint16_t FieldDefCount();
uint16_t KeyDefCount();
// The FileDef of a file; a zero record for one that is not defined.
FileDef FileDefOf(uint8_t file);
uint16_t RecordLength(uint8_t file);
uint16_t FieldCount(uint8_t file);
uint16_t KeyCount(uint8_t file);

// The file itself for 1..FileCount() other than kAlwaysCurrentFile; the current file (_CURFIL) for
// 0, kAlwaysCurrentFile and numbers above the count.
uint8_t ResolveFile(uint8_t file);

// The FieldDef of (file, field); a zero record when either is invalid.
FieldDef FieldDefOf(uint8_t file, uint16_t field);
// The field's name (a view into the slot store, valid until the next slot write).
StrRef FieldName(uint8_t file, uint16_t field);
// The base name, folder and option string of a file (views, as above).
StrRef FileBaseName(uint8_t file);
StrRef FileFolder(uint8_t file);
StrRef FileOptions(uint8_t file);

// 0 when the file is defined and the field is 1..field count or kAnyField; otherwise 168,
// reported with "(File:%s, Field:%s)".
[[nodiscard]] Status CheckFileField(uint8_t file, uint16_t field);
// 0, or 168 when the file is undefined or the key is 0 or above the key count.
[[nodiscard]] Status CheckFileKey(uint8_t file, uint16_t key);

// The key's segments; count 0 when the key is invalid.
KeySegments KeySegmentsOf(uint8_t file, uint16_t key);
// The sum of the lengths of the first n segments (all for n of 0 or 0xFFFF).
uint16_t KeyLength(uint8_t file, uint16_t key, uint16_t n);
// The key's value taken from a record image: its segments' bytes in order (pushed). Bytes a
// segment would take beyond the end of the record are left out.
StrRef KeyValue(uint8_t file, uint16_t key, StrRef record);

// For each segment the number of the field holding its start. 141 (kInternalError) when a
// segment starts beyond the last field; an empty list for an invalid key.
struct KeyFields {
  uint16_t count = 0;
  uint16_t field[kMaxKeySegments] = {};
};
[[nodiscard]] Status KeyFieldList(uint8_t file, uint16_t key, KeyFields* fields);
// The first key whose field list begins with `field`, 0 when none.
uint16_t KeyByFirstField(uint8_t file, uint16_t field);
// The first key whose field list begins with a field of type D, kNothing when none.
uint16_t KeyByDateField(uint8_t file);

// The number of the field called exactly `name`, kNothing when none.
uint16_t FieldByName(uint8_t file, StrRef name);
// A file number from a name (looked up among the base names, lower-cased unless _AUXSTAT bit 8
// is set; 0 when absent) or from a number; the empty text gives the current file.
uint8_t FileByName(StrRef text);

// The default key of a file: one segment from 0 to the end of N_LINE, or of field 1.
KeySegments DefaultKey(uint8_t file);

}  // namespace engine
