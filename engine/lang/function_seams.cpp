// The current implementations of the functions' seams to other subsystems, and their defaults.
#include "engine/lang/function_seams.h"

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"

namespace engine {

namespace {

// Without the data-file subsystem every operation is a removed feature, named by its function.
Status Removed(StrRef function) { return ReportStatus(kFeatureRemoved, function); }

class NoDataFiles final : public DataFileFunctions {
 public:
  Status Find(StrRef, uint16_t, uint16_t, uint16_t) override {
    return Removed(StrLit("FILEFIND()"));
  }
  Status Relation(uint16_t, uint16_t, uint16_t, uint16_t, StrRef) override {
    return Removed(StrLit("FILEREL()"));
  }
  Status Locate(StrRef, uint16_t) override { return Removed(StrLit("FILELOCATE()")); }
  StrRef KeyText(uint16_t, uint16_t, uint16_t, uint16_t) override {
    return StrError(Removed(StrLit("KEY$()")));
  }
  Status LastStatus(uint16_t, uint16_t* status) override {
    *status = 0;
    return Removed(StrLit("IER()"));
  }
  Status RecordCount(StrRef, uint64_t* count) override {
    *count = 0;
    return kNothing;
  }
  Status OpenFileSet(StrRef) override { return Removed(StrLit("FILESEL()")); }
  StrRef FieldRaw(StrRef, uint16_t) override { return StrError(Removed(StrLit("FN$FLDS()"))); }
};

NoDataFiles g_no_data_files;
DataFileFunctions* g_data_files = &g_no_data_files;
TextLookup g_path_expander = nullptr;
TextLookup g_environment_reader = nullptr;

}  // namespace

void SetDataFileFunctions(DataFileFunctions* functions) {
  g_data_files = functions ? functions : &g_no_data_files;
}

DataFileFunctions& CurrentDataFileFunctions() { return *g_data_files; }

void SetPathExpander(TextLookup expander) { g_path_expander = expander; }

StrRef ExpandPath(StrRef name) {
  if (name.IsStatus()) return name;
  return g_path_expander ? g_path_expander(name) : StrAreaReturn(StrAreaMark(), name);
}

void SetEnvironmentReader(TextLookup reader) { g_environment_reader = reader; }

StrRef EnvironmentValue(StrRef name) {
  if (name.IsStatus()) return name;
  return g_environment_reader ? g_environment_reader(name)
                              : StrAreaReturn(StrAreaMark(), StrLit(""));
}

}  // namespace engine
