// Paths by kind, the lock marker name, and the engine's temporary copies.
#include "engine/data/file_paths.h"

#include <memory>
#include <random>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr uint16_t kShortNameLength = 8;
constexpr int kUniqueAttempts = 64;
constexpr StrRef kTemporaryPrefix = StrLit("orv");
constexpr StrRef kTemporarySuffix = StrLit(".tmp");

struct Temporaries {
  std::string folder;  // empty: the platform's
  std::vector<std::string> files;
} g_temp;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string UniqueToken() {
  static std::mt19937_64 generator{std::random_device{}()};
  static const char kHex[] = "0123456789abcdef";
  uint64_t bits = generator();
  std::string token(10, '0');
  for (char& c : token) {
    c = kHex[bits & 15];
    bits >>= 4;
  }
  return token;
}

StrRef DataPathJoin(StrRef folder, StrRef name) {
  if (folder.IsStatus()) return folder;
  if (name.IsStatus()) return name;
  const uint16_t mark = StrAreaMark();
  const bool separate = !folder.empty() && !IsSeparator(folder[folder.len - 1]) &&
                        !(!name.empty() && IsSeparator(name[0]));
  Status status = separate ? StrConcat(folder, StrLit("\\")) : StrAreaPushCopy(folder);
  if (status.ok()) status = StrConcat(StrAreaTop(), name);
  if (!status.ok()) return StrAreaReturn(mark, StrError(status));
  return StrAreaReturn(mark, StrReplace(StrAreaTop(), StrLit("/"), StrLit("\\"), true));
}

StrRef FilePath(uint8_t file, uint16_t kind) {
  if (file < 1 || file > FileCount() || kind < kPathBaseName || kind > kPathTemporary) {
    return StrLit("");
  }
  const uint16_t mark = StrAreaMark();
  StrRef name = FileBaseName(file);
  if (kind == kPathBaseName) return StrAreaReturn(mark, name);
  if (kind == kPathTemporary) {
    const std::string folder = TemporaryFolder();
    for (int attempt = 0; attempt < kUniqueAttempts; ++attempt) {
      StrAreaRelease(mark);
      const std::string token = UniqueToken();
      Status status = StrConcat(kTemporaryPrefix, StrView(token));
      if (status.ok()) status = StrConcat(StrAreaTop(), kTemporarySuffix);
      if (!status.ok()) return StrAreaReturn(mark, StrError(status));
      const StrRef path = DataPathJoin(StrView(folder), StrAreaTop());
      if (path.IsStatus()) return StrAreaReturn(mark, path);
      std::unique_ptr<File> created;
      status = CurrentFileSystem().Open(path.view(), kOpenWrite | kOpenCreate | kOpenExclusive,
                                        &created);
      if (status == kFileExist) continue;
      if (!status.ok()) return StrAreaReturn(mark, StrError(ReportStatus(status, path)));
      g_temp.files.emplace_back(path.view());
      return StrAreaReturn(mark, path);
    }
    return StrAreaReturn(mark, StrError(kFileExist));
  }
  if (kind == kPathIndex && SysWordTest(kSysCompat, kCompatNdx)) kind = kPathIndexAlt;
  if (SysWordTest(kSysCompat, kCompatShortNames)) name = StrSub(name, 0, kShortNameLength);
  Status status = StrConcat(name, StrLit("."));
  if (status.ok()) status = StrConcat(StrAreaTop(), ListField(kPathExtensions, ',', kind));
  if (!status.ok()) return StrAreaReturn(mark, StrError(status));
  return StrAreaReturn(mark, DataPathJoin(FileFolder(file), StrAreaTop()));
}

StrRef FileNameList(uint16_t kind) {
  const uint16_t mark = StrAreaMark();
  StrRef list = StrLit("");
  for (uint8_t f = 1; f <= FileCount(); ++f) {
    const StrRef path = FilePath(f, kind);
    if (path.IsStatus()) return StrAreaReturn(mark, path);
    Status status = f == 1 ? StrAreaPushCopy(path) : StrConcat(list, StrLit(","));
    if (status.ok() && f > 1) status = StrConcat(StrAreaTop(), path);
    if (!status.ok()) return StrAreaReturn(mark, StrError(status));
    list = StrAreaTop();
  }
  return StrAreaReturn(mark, list);
}

StrRef LockMarkerPath(uint8_t file) {
  const uint16_t mark = StrAreaMark();
  Status status = StrConcat(FileBaseName(file), StrLit("."));
  if (status.ok()) status = StrConcat(StrAreaTop(), kLockExtension);
  return StrAreaReturn(mark, status.ok() ? StrAreaTop() : StrError(status));
}

void SetTemporaryFolder(StrRef folder) { g_temp.folder = ToString(folder); }

std::string TemporaryFolder() {
  return g_temp.folder.empty() ? PlatformTemporaryFolder() : g_temp.folder;
}

uint16_t TemporaryFileCount() { return static_cast<uint16_t>(g_temp.files.size()); }

void DeleteTemporaryFiles() {
  FileSystem& fs = CurrentFileSystem();
  std::vector<std::string> kept;
  for (const std::string& path : g_temp.files) {
    if (fs.Exists(path) && !fs.Remove(path).ok()) kept.push_back(path);
  }
  g_temp.files = std::move(kept);
}

void ForgetTemporaryFile(StrRef path) {
  std::erase_if(g_temp.files, [&](const std::string& p) { return p == path.view(); });
}

}  // namespace engine
