// ValueTables: 24 growable tables of fixed-size elements in tracked blocks, and SysWord, the
// access by number to the integer variables of table 7 whose first numbers are the system
// variables. Element addresses stay valid only until the table grows or shrinks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/status.h"

namespace engine {

inline constexpr uint16_t kValueTableCount = 24;
inline constexpr uint16_t kTableArrays = 6;    // array descriptors
inline constexpr uint16_t kTableIntegers = 7;  // 16-bit integer variables, system words first
inline constexpr uint16_t kTableNumbers = 8;   // 64-bit number variables

[[nodiscard]] Status ValueTablesStart();
void ValueTablesStop();

// Creates the table on its first write with elements of `element_size` bytes; null when the
// size differs from the table's or memory runs out. Grows the table to index + 1 elements
// (new elements zero-filled) and copies the value into element `index`.
void* TableSet(uint16_t table, uint32_t index, const void* value, uint16_t element_size);
// Null when the table does not exist or index is not below its count.
void* TableGet(uint16_t table, uint32_t index);
// Moves the later elements down; a table whose count reaches 0 is freed. 176 when the tables
// are not started, the table does not exist, or index is not below the count.
[[nodiscard]] Status TableRemove(uint16_t table, uint32_t index);
inline constexpr int kTableInfoCount = 0;
inline constexpr int kTableInfoElementSize = 1;
uint32_t TableInfo(uint16_t table, int what);
void TableFree(uint16_t table);

// Element n of table 7, 0 when it does not exist.
int16_t SysWord(uint16_t n);
void SysWordSet(uint16_t n, int16_t value);
bool SysWordTest(uint16_t n, uint16_t bits);
// Sets or clears `bits`; tells whether any of them is set afterwards.
bool SysWordSetBits(uint16_t n, uint16_t bits, bool on);

}  // namespace engine
