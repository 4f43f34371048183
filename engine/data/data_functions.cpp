// The record files behind the built-in functions' data-file seam.
#include "engine/data/data_functions.h"

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/data/dictionary.h"
#include "engine/data/field_ref.h"
#include "engine/data/navigation.h"
#include "engine/data/open_file_sets.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/relations.h"
#include "engine/lang/function_seams.h"

namespace engine {

namespace {

// A file argument of a function: numbers above the file count mean the current file.
uint8_t FileArgument(uint16_t file) { return static_cast<uint8_t>(file > kMaxFiles ? 0 : file); }

class RecordFileFunctions final : public DataFileFunctions {
 public:
  Status Find(StrRef text, uint16_t file, uint16_t key, uint16_t mode) override {
    return FileFind(text, FileArgument(file), key, mode);
  }
  Status Relation(uint16_t file, uint16_t target, uint16_t rule, uint16_t mode,
                  StrRef expression) override {
    return FileRel(FileArgument(file), FileArgument(target), rule, mode, expression);
  }
  Status Locate(StrRef command, uint16_t file) override {
    return FileLocate(command, FileArgument(file));
  }

  StrRef KeyText(uint16_t file, uint16_t key, uint16_t half, uint16_t) override {
    uint8_t f = FileArgument(file);
    Status status = ResolveOpenFile(&f);
    if (!status.ok()) return StrError(status);
    if (key == kCurrentKey) key = FileCtrl(f).key;
    status = CheckFileKey(f, key);
    if (!status.ok()) return StrError(DataReport(status, FileBaseName(f)));
    const StrRef record = BufferHalf(f, half == 2 ? 2 : 1);
    if (record.IsStatus()) return StrError(DataReport(StrCheck(record), FileBaseName(f)));
    return KeyValue(f, key, record);
  }

  Status LastStatus(uint16_t file, uint16_t* status) override {
    uint8_t f = FileArgument(file);
    *status = 0;
    const Status resolved = ResolveOpenFile(&f);
    if (!resolved.ok()) return resolved;
    *status = FileCtrl(f).last_status;
    return kOk;
  }

  Status RecordCount(StrRef name, uint64_t* count) override {
    int64_t records = 0;
    *count = 0;
    if (!DataFileLength(name, &records)) return kNothing;
    *count = static_cast<uint64_t>(records);
    return kOk;
  }

  Status OpenFileSet(StrRef list) override { return engine::OpenFileSet(list); }

  StrRef FieldRaw(StrRef reference, uint16_t half) override {
    FieldRef ref;
    const Status status = ParseFieldRef(reference, &ref);
    if (!status.ok()) return StrError(status);
    return FieldGetRaw(ref.file, ref.field, half);
  }
};

RecordFileFunctions g_functions;

}  // namespace

void InstallDataFunctions() { SetDataFileFunctions(&g_functions); }

void RemoveDataFunctions() {
  if (&CurrentDataFileFunctions() == &g_functions) SetDataFileFunctions(nullptr);
}

}  // namespace engine
