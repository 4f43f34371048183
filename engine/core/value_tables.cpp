// The value tables and the system words kept in table 7.
#include "engine/core/value_tables.h"

#include <cstring>

#include "engine/core/block_pool.h"

namespace engine {

namespace {

struct Table {
  unsigned char* elements = nullptr;
  uint16_t element_size = 0;
  uint32_t count = 0;
  uint32_t capacity = 0;  // elements the block can hold; grows by doubling
};

Table* g_tables = nullptr;  // kValueTableCount records in one tracked block

Table* Find(uint16_t table) {
  if (!g_tables || table >= kValueTableCount || !g_tables[table].elements) return nullptr;
  return &g_tables[table];
}

}  // namespace

Status ValueTablesStart() {
  if (g_tables) return kOk;
  g_tables = static_cast<Table*>(BlockAllocZero(kTagValueTables, sizeof(Table) * kValueTableCount));
  return g_tables ? kOk : kStructMemError;
}

void ValueTablesStop() {
  if (!g_tables) return;
  for (uint16_t t = 0; t < kValueTableCount; ++t) TableFree(t);
  (void)BlockFree(kTagValueTables, g_tables);
  g_tables = nullptr;
}

void* TableSet(uint16_t table, uint32_t index, const void* value, uint16_t element_size) {
  if (!g_tables || table >= kValueTableCount || element_size == 0) return nullptr;
  Table& t = g_tables[table];
  if (t.elements && t.element_size != element_size) return nullptr;
  if (!t.elements || index >= t.capacity) {
    uint32_t capacity = t.capacity ? t.capacity : 1;
    while (capacity <= index) capacity *= 2;
    const uint64_t bytes = uint64_t{capacity} * element_size;
    if (bytes > UINT32_MAX) return nullptr;
    auto* grown =
        static_cast<unsigned char*>(BlockAllocZero(kTagValueTables, static_cast<uint32_t>(bytes)));
    if (!grown) return nullptr;
    if (t.elements) {
      std::memcpy(grown, t.elements, size_t{t.count} * element_size);
      (void)BlockFree(kTagValueTables, t.elements);
    }
    t.elements = grown;
    t.capacity = capacity;
    t.element_size = element_size;
  }
  if (index >= t.count) t.count = index + 1;
  unsigned char* element = t.elements + size_t{index} * element_size;
  if (value) std::memmove(element, value, element_size);
  return element;
}

void* TableGet(uint16_t table, uint32_t index) {
  Table* t = Find(table);
  if (!t || index >= t->count) return nullptr;
  return t->elements + size_t{index} * t->element_size;
}

Status TableRemove(uint16_t table, uint32_t index) {
  Table* t = Find(table);
  if (!t || index >= t->count) return kStructMemError;
  unsigned char* element = t->elements + size_t{index} * t->element_size;
  const size_t tail = size_t{t->count - index - 1} * t->element_size;
  std::memmove(element, element + t->element_size, tail);
  --t->count;
  std::memset(t->elements + size_t{t->count} * t->element_size, 0, t->element_size);
  if (t->count == 0) TableFree(table);
  return kOk;
}

uint32_t TableInfo(uint16_t table, int what) {
  Table* t = Find(table);
  if (!t) return 0;
  return what == kTableInfoCount ? t->count : t->element_size;
}

void TableFree(uint16_t table) {
  Table* t = Find(table);
  if (!t) return;
  (void)BlockFree(kTagValueTables, t->elements);
  *t = Table{};
}

int16_t SysWord(uint16_t n) {
  const void* element = TableGet(kTableIntegers, n);
  if (!element) return 0;
  int16_t value;
  std::memcpy(&value, element, sizeof value);
  return value;
}

void SysWordSet(uint16_t n, int16_t value) {
  (void)TableSet(kTableIntegers, n, &value, sizeof value);
}

bool SysWordTest(uint16_t n, uint16_t bits) {
  return (static_cast<uint16_t>(SysWord(n)) & bits) != 0;
}

bool SysWordSetBits(uint16_t n, uint16_t bits, bool on) {
  uint16_t word = static_cast<uint16_t>(SysWord(n));
  word = on ? (word | bits) : (word & ~bits);
  SysWordSet(n, static_cast<int16_t>(word));
  return (word & bits) != 0;
}

}  // namespace engine
