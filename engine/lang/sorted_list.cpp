// SORT$: sorting a list in one call, and sorted lists kept between calls behind handles.
//
// A sorted list lives in a table entry of this file, its items in a tracked block of fixed-width
// items. The handle a program keeps in a string variable is a 24-byte identifier of the entry,
// never an address: a magic tag, the entry number, the list's serial number (unique for the
// process) and its version (changed by every ADD and MOVE, which answer the new handle). A handle
// that is not exactly the current one of a live list (forged, a stale copy, or one whose list was
// killed) is refused with 147.
#include "engine/lang/sorted_list.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/block_pool.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/builtins.h"
#include "engine/lang/variables.h"

namespace engine::builtins {

namespace {

constexpr uint16_t kTagSortedLists = 20;
constexpr uint32_t kFirstCapacity = 256;
constexpr uint64_t kMaxBlockBytes = uint64_t{64} << 20;

constexpr StrRef kSortWords = StrLit("NEW,ADD,MOVE,GET,KILL");
enum SortWord : uint16_t { kNew = 1, kAdd, kMove, kGet, kKill };

// List flags.
constexpr uint8_t kUnique = 1;
constexpr uint8_t kDescending = 2;
// Flags of the one-call sort.
constexpr int16_t kNulSeparated = 64;
constexpr int16_t kTrimItems = 128;

constexpr uint16_t kDuplicate = 5;
constexpr int16_t kMoveLeftList = 2;  // _IER after a move that would leave the list

constexpr char kMagic[4] = {'S', 'O', 'R', 'T'};
struct Handle {
  char magic[4];
  uint32_t entry;
  uint32_t serial;
  uint32_t version;
  uint32_t reserved[2];
};
static_assert(sizeof(Handle) == 24, "a sorted-list handle is 24 bytes");

struct SortedList {
  uint32_t serial = 0;  // 0: the entry is free
  uint32_t version = 0;
  char* block = nullptr;
  uint32_t capacity = 0;
  uint32_t count = 0;
  uint32_t position = 0;
  uint16_t width = 0;
  uint16_t compare = 0;
  uint8_t flags = 0;
};

std::vector<SortedList> g_lists;
uint32_t g_next_serial = 1;

char* Item(const SortedList& list, uint32_t i) { return list.block + size_t{i} * list.width; }

Status ReturnHandle(uint32_t entry) {
  const SortedList& list = g_lists[entry];
  Handle handle{};
  std::memcpy(handle.magic, kMagic, sizeof kMagic);
  handle.entry = entry;
  handle.serial = list.serial;
  handle.version = list.version;
  return StrAreaPushCopy(StrMake(reinterpret_cast<const char*>(&handle), sizeof handle));
}

// The entry of the list a handle designates, if it is the current handle of a live list.
Status Resolve(FunctionCall& call, uint32_t* entry) {
  if (!call.IsString(2)) return call.Given(2) ? Status(kTypeMismatch) : Status(kSyntaxError);
  StrRef text;
  Status status = call.ArgString(2, StrLit(""), &text);
  if (!status.ok()) return status;
  if (text.len != sizeof(Handle)) return kSyntaxError;
  Handle handle;
  std::memcpy(&handle, text.ptr, sizeof handle);
  if (std::memcmp(handle.magic, kMagic, sizeof kMagic) != 0 || handle.entry >= g_lists.size()) {
    return kSyntaxError;
  }
  const SortedList& list = g_lists[handle.entry];
  if (list.serial == 0 || list.serial != handle.serial || list.version != handle.version) {
    return kSyntaxError;
  }
  *entry = handle.entry;
  return kOk;
}

void Release(SortedList* list) {
  if (list->block) (void)BlockFree(kTagSortedLists, list->block);
  *list = SortedList{};
}

Status Grow(SortedList* list) {
  const uint32_t capacity = list->capacity ? list->capacity * 2 : kFirstCapacity;
  const uint64_t bytes = uint64_t{capacity} * list->width;
  if (bytes > kMaxBlockBytes) return kOutOfMemory;
  auto* block = static_cast<char*>(BlockAllocZero(kTagSortedLists, static_cast<uint32_t>(bytes)));
  if (!block) return kOutOfMemory;
  if (list->block) {
    std::memcpy(block, list->block, size_t{list->count} * list->width);
    (void)BlockFree(kTagSortedLists, list->block);
  }
  list->block = block;
  list->capacity = capacity;
  return kOk;
}

// A new empty list in a free entry.
Status CreateList(uint16_t width, uint16_t compare, uint8_t flags, uint32_t* entry) {
  SortedList list;
  list.width = width;
  list.compare = compare;
  list.flags = flags;
  const Status status = Grow(&list);
  if (!status.ok()) return status;
  list.serial = g_next_serial++;
  list.version = 1;
  const auto free_entry =
      std::find_if(g_lists.begin(), g_lists.end(), [](const SortedList& l) { return !l.serial; });
  *entry = static_cast<uint32_t>(free_entry - g_lists.begin());
  if (free_entry == g_lists.end()) {
    g_lists.push_back(list);
  } else {
    *free_entry = list;
  }
  return kOk;
}

Status NewList(FunctionCall& call) {
  Status status = call.ArgCount(2, 4);
  int16_t first = 0;
  int16_t second = 0;
  int16_t flags = 0;
  if (status.ok()) status = call.ArgInteger(2, 0, &first);
  if (status.ok()) status = call.ArgInteger(3, first, &second);
  if (status.ok()) status = call.ArgInteger(4, 0, &flags);
  if (!status.ok()) return status;
  if (std::min(first, second) < 1) return kSyntaxError;
  uint32_t entry = 0;
  status = CreateList(static_cast<uint16_t>(std::max(first, second)),
                      static_cast<uint16_t>(std::min(first, second)), static_cast<uint8_t>(flags),
                      &entry);
  return status.ok() ? ReturnHandle(entry) : status;
}

// Where an item goes: before the first item that sorts after it.
uint32_t InsertPosition(const SortedList& list, const char* item) {
  const bool descending = list.flags & kDescending;
  uint32_t low = 0;
  uint32_t high = list.count;
  while (low < high) {
    const uint32_t mid = low + (high - low) / 2;
    const int order = std::memcmp(Item(list, mid), item, list.compare);
    if (descending ? order >= 0 : order <= 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// Inserts a text padded with blanks to the width: 163 when it is longer, 5 for a duplicate the
// list refuses.
Status InsertItem(SortedList& list, StrRef text) {
  if (text.len > list.width) return kBadInputData;
  StrAreaScope scope;
  Status status = StrAreaAlloc(list.width, ' ');
  if (!status.ok()) return status;
  char* item = StrWritable(StrAreaTop());
  std::memcpy(item, text.ptr, text.len);
  const uint32_t at = InsertPosition(list, item);
  if ((list.flags & kUnique) && at > 0 && !std::memcmp(Item(list, at - 1), item, list.compare)) {
    return kDuplicate;
  }
  if (list.count == list.capacity) {
    status = Grow(&list);
    if (!status.ok()) return status;
  }
  std::memmove(Item(list, at + 1), Item(list, at), size_t{list.count - at} * list.width);
  std::memcpy(Item(list, at), item, list.width);
  if (list.count > 0 && at <= list.position) ++list.position;
  ++list.count;
  ++list.version;
  return kOk;
}

Status AddItem(FunctionCall& call) {
  Status status = call.ArgCount(3, 3);
  uint32_t entry = 0;
  StrRef text;
  if (status.ok()) status = Resolve(call, &entry);
  if (status.ok()) status = call.ArgText(3, StrLit(""), &text);
  if (!status.ok()) return status;
  status = InsertItem(g_lists[entry], text);
  if (status == kDuplicate) {
    // Refused, and the handle stays what it was.
    const Status handle = ReturnHandle(entry);
    return handle.ok() ? Status(kDuplicate) : handle;
  }
  return status.ok() ? ReturnHandle(entry) : status;
}

int16_t Constant(StrRef name) {
  int16_t value = 0;
  (void)VarConstant(name, &value);
  return value;
}

Status MoveTo(FunctionCall& call) {
  Status status = call.ArgCount(3, 3);
  uint32_t entry = 0;
  int16_t code = 0;
  if (status.ok()) status = Resolve(call, &entry);
  if (status.ok()) status = call.ArgInteger(3, 0, &code);
  if (!status.ok()) return status;
  SortedList& list = g_lists[entry];
  const uint32_t last = list.count ? list.count - 1 : 0;
  bool left = list.count == 0;
  if (code == Constant(StrLit(".top"))) {
    list.position = 0;
  } else if (code == Constant(StrLit(".bottom"))) {
    list.position = last;
  } else if (code == Constant(StrLit(".next"))) {
    left |= list.position >= last;
    list.position = std::min(list.position + 1, last);
  } else if (code == Constant(StrLit(".previous"))) {
    left |= list.position == 0;
    list.position = list.position ? list.position - 1 : 0;
  } else {
    return kSyntaxError;
  }
  SysWordSet(kSysIer, left ? kMoveLeftList : 0);
  ++list.version;
  return ReturnHandle(entry);
}

Status GetItem(FunctionCall& call) {
  Status status = call.ArgCount(2, 2);
  uint32_t entry = 0;
  if (status.ok()) status = Resolve(call, &entry);
  if (!status.ok()) return status;
  const SortedList& list = g_lists[entry];
  if (list.position >= list.count) return ReturnText(StrLit(""));
  return ReturnText(StrMake(Item(list, list.position), list.width));
}

Status KillList(FunctionCall& call) {
  Status status = call.ArgCount(2, 2);
  uint32_t entry = 0;
  if (status.ok()) status = Resolve(call, &entry);
  if (!status.ok()) return status;
  Release(&g_lists[entry]);
  return ReturnText(StrLit(""));
}

bool ItemLess(StrRef a, StrRef b) {
  int order = 0;
  (void)StrCompare(a, b, &order);
  return order < 0;
}

// The list sorted ascending by bytes, joined with its own separator.
Status SortOnce(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  StrRef list;
  int16_t flags = 0;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &list);
  if (status.ok()) status = call.ArgInteger(2, 0, &flags);
  if (!status.ok()) return status;
  const char separator = (flags & kNulSeparated) ? '\0' : ',';
  StrArray array;
  status = ListSplit(list, separator, &array);
  if (!status.ok()) return status;
  // The array is this call's own temporary.
  auto* items = const_cast<StrRef*>(array.items);
  size_t length = 0;
  for (uint16_t i = 0; i < array.count; ++i) {
    if (flags & kTrimItems) items[i] = StrTrim(items[i], kTrimRight);
    length += items[i].len + (i ? 1 : 0);
  }
  std::stable_sort(items, items + array.count, ItemLess);
  if (length > kMaxStrLen) return kStringTooLong;
  status = StrAreaAlloc(length);
  if (!status.ok()) return status;
  char* out = StrWritable(StrAreaTop());
  size_t n = 0;
  for (uint16_t i = 0; i < array.count; ++i) {
    if (i) out[n++] = separator;
    std::memcpy(out + n, items[i].ptr, items[i].len);
    n += items[i].len;
  }
  return kOk;
}

}  // namespace

Status Sort(FunctionCall& call) {
  uint16_t word = 0;
  if (call.IsString(1)) {
    StrAreaScope scope;
    StrRef first;
    if (call.ArgString(1, StrLit(""), &first).ok()) word = ListFind(kSortWords, ',', first);
  }
  switch (word) {
    case kNew:
      return NewList(call);
    case kAdd:
      return AddItem(call);
    case kMove:
      return MoveTo(call);
    case kGet:
      return GetItem(call);
    case kKill:
      return KillList(call);
    default:
      return SortOnce(call);
  }
}

void SortedListsFree() {
  for (SortedList& list : g_lists) Release(&list);
  g_lists.clear();
}

}  // namespace engine::builtins

namespace engine {

namespace {

builtins::SortedList* Live(uint32_t list) {
  using builtins::g_lists;
  return list < g_lists.size() && g_lists[list].serial != 0 ? &g_lists[list] : nullptr;
}

}  // namespace

Status SortedListCreate(uint16_t width, uint16_t compare, uint8_t flags, uint32_t* list) {
  if (width == 0 || compare == 0) return kSyntaxError;
  return builtins::CreateList(std::max(width, compare), std::min(width, compare), flags, list);
}

Status SortedListAdd(uint32_t list, StrRef item) {
  if (item.IsStatus()) return StrCheck(item);
  builtins::SortedList* live = Live(list);
  return live ? builtins::InsertItem(*live, item) : Status(kSyntaxError);
}

uint32_t SortedListCount(uint32_t list) {
  const builtins::SortedList* live = Live(list);
  return live ? live->count : 0;
}

StrRef SortedListItem(uint32_t list, uint32_t i) {
  const builtins::SortedList* live = Live(list);
  if (!live || i >= live->count) return StrLit("");
  return StrMake(builtins::Item(*live, i), live->width);
}

void SortedListRelease(uint32_t list) {
  if (builtins::SortedList* live = Live(list)) builtins::Release(live);
}

}  // namespace engine
