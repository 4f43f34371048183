// The dictionaries of the two bundled applications: they load, hold the files and field names the
// programs' modules address by number and name, and every file can be opened, written, searched by
// each of its keys and reorganised.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/string_slots.h"
#include "engine/data/dictionary_load.h"
#include "engine/data/field_ref.h"
#include "engine/data/reorganize.h"

namespace engine {
namespace {

using testing::DataFixture;

struct Expected {
  uint8_t file;
  const char* name;
  std::vector<const char*> fields;
};

struct App {
  const char* folder;
  const char* prefix;
  uint8_t files;
  std::vector<Expected> expected;
};

class AppDictionaryTest : public DataFixture, public ::testing::WithParamInterface<App> {};

TEST_P(AppDictionaryTest, LoadsAndEveryFileWorks) {
  const App& app = GetParam();
  const std::string folders = std::string(ORVENDAL_SOURCE_DIR) + "/" + app.folder;
  ASSERT_EQ(DataStart(StrView(folders), StrView(app.prefix), StrLit("")), kOk)
      << testing::Show(DetailText());
  ASSERT_EQ(FileCount(), app.files);
  for (const Expected& e : app.expected) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(testing::Show(FileBaseName(e.file)), e.name);
    for (const char* field : e.fields) {
      EXPECT_NE(FieldByName(e.file, StrView(field)), kNothing) << field;
    }
  }
  for (uint8_t f = 1; f <= FileCount(); ++f) {
    SCOPED_TRACE(testing::Show(FileBaseName(f)));
    ASSERT_GE(KeyCount(f), 1);
    // Every relation of the file names a defined file.
    const std::string options = testing::Show(FileOptions(f));
    for (size_t at = 0; at < options.size();) {
      const size_t r = options.find('R', at);
      if (r == std::string::npos) break;
      EXPECT_LE(std::stoi(options.substr(at, r - at)), FileCount()) << options;
      const size_t next = options.find(':', at);
      at = next == std::string::npos ? options.size() : next + 1;
    }
    // A record whose every byte differs from a blank, inserted and found by each key.
    ASSERT_EQ(FileOpen(f, 0), kOk) << testing::Show(DetailText());
    std::string record(RecordLength(f), 'x');
    record[0] = '1';
    ASSERT_EQ(BufferPut(f, kHalfCurrent, StrView(record)), kOk);
    ASSERT_EQ(RecordInsert(f), kFound);
    for (uint16_t k = 1; k <= KeyCount(f); ++k) {
      StrAreaScope scope;
      EXPECT_EQ(KeyFind(f, k, KeyValue(f, k, StrView(record)), 0), kFound) << "key " << k;
      KeyFields fields;
      EXPECT_EQ(KeyFieldList(f, k, &fields), kOk);
    }
    ASSERT_EQ(FileClose(f), kOk);
  }
  EXPECT_EQ(RecoverDataFiles(nullptr), kOk);
  // Each file's number is a variable named after the file.
  int16_t number = 0;
  ASSERT_TRUE(VarInteger(FileBaseName(app.files), &number));
  EXPECT_EQ(number, app.files);
}

const App kApps[] = {
    {"ledger/app",
     "CO",
     10,
     {{3, "colevel", {"ACCOUNT.1", "PREFIX.1", "ACCOUNT.2"}},
      {6, "coregis", {"CODE", "SUBACC", "DATE", "ENTRY", "N_LINE"}},
      {8, "coaccount", {"CODE", "CUR_PASSIVE", "CUR_ASSETS"}},
      {9, "cojournal", {"DATE", "ENTRY", "TYPE", "PASS_ACC", "ASSET_ACC", "AMOUNT", "N_LINE"}},
      {10, "cobalance", {"ACC.", "DATE", "P_EXPIRED", "A_EXPIRED"}}}},
    {"billing/app",
     "GA",
     14,
     {{6, "garegis", {"NUMBER", "SERIES", "N_LINE", "BASE", "VAT"}},
      {7, "gadnote", {"NOTE", "N_LINE", "CUSTOMER", "DATE", "INVOICED"}},
      {9, "gapayment", {"NUMBER", "SERIES", "N_LINE", "DUEDATE", "AMOUNT"}},
      {14, "gainvoice", {"NUMBER", "SERIES", "N_LINE", "CUSTOMER", "DATE", "TOTAL"}}}},
};

INSTANTIATE_TEST_SUITE_P(Bundled, AppDictionaryTest, ::testing::ValuesIn(kApps),
                         [](const ::testing::TestParamInfo<App>& info) {
                           return std::string(info.param.prefix);
                         });

}  // namespace
}  // namespace engine
