// A fixture for the data files: the engine's memory with the system variables, a fresh current
// folder, and the data files stopped (every file closed, the dictionary cleared) after each test.
// Helpers write dictionaries and put records into buffers.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/data/data_start.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/lang/lang_start.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine::testing {

class DataFixture : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(LangStart(), kOk);
    folder_ = std::make_unique<TempFolder>(true);
  }
  void TearDown() override {
    EXPECT_EQ(DataStop(), kOk);
    LangStop();
    folder_.reset();
    CoreFixture::TearDown();
  }

  TempFolder& folder() { return *folder_; }

  // Writes a dictionary file from lines, each ended with CR LF.
  void WriteLines(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    folder().Write(name, text);
  }

  // A field line: length in columns 10-12, type in 14, name from 15.
  static std::string FieldLine(int length, char type, const std::string& name) {
    char head[16];
    std::snprintf(head, sizeof head, "01       %03d %c", length, type);
    return head + name;
  }

  // Defines a file with its fields (name, length, type) and single-segment keys (start,
  // length), in that order.
  struct FieldLayout {
    const char* name;
    uint16_t length;
    char type;
  };
  struct KeyLayout {
    uint16_t start;
    uint16_t length;
  };
  static void DefineTable(const char* name, std::initializer_list<FieldLayout> fields,
                          std::initializer_list<KeyLayout> keys) {
    const uint8_t file = static_cast<uint8_t>(FileCount() + 1);
    ASSERT_EQ(DefineFile(1, StrFromC(name), StrLit("")), kOk);
    for (const FieldLayout& f : fields) {
      ASSERT_EQ(DefineField(StrFromC(f.name), f.length, f.type), kOk);
    }
    for (const KeyLayout& k : keys) {
      KeySegments key;
      key.count = 1;
      key.segment[0] = KeySegment{k.start, k.length};
      ASSERT_EQ(DefineKey(file, key), kOk);
    }
  }

  // Half 1 of a file's buffer.
  static std::string Current(uint8_t file) {
    StrAreaScope scope;
    return Show(BufferGet(file, kHalfCurrent));
  }
  // Puts a whole record (padded with blanks) into half 1.
  static void Put(uint8_t file, const std::string& record) {
    std::string padded = record;
    padded.resize(RecordLength(ResolveFile(file)), ' ');
    ASSERT_EQ(BufferPut(file, kHalfCurrent, StrView(padded)), kOk);
  }
  // Puts the record into half 1 and inserts it; the insertion's status.
  static Status Insert(uint8_t file, const std::string& record) {
    Put(file, record);
    return RecordInsert(file);
  }
  static Status Find(uint8_t file, uint16_t key, const std::string& text, uint8_t flags = 0) {
    return KeyFind(file, key, StrView(text), flags);
  }

  // The record numbers of a key in key order, read by stepping through the file.
  static std::vector<std::string> Walk(uint8_t file, uint16_t key, size_t width) {
    std::vector<std::string> out;
    EXPECT_LE(KeyFind(file, key, StrLit(""), kFindGreater), kKeyNotFound);
    if (IndexEntryCount(file) == 0) return out;
    for (Status s = KeyStep(file, kStepFirst); s == kFound; s = KeyStep(file, kStepNext)) {
      out.push_back(Current(file).substr(0, width));
    }
    return out;
  }

 private:
  std::unique_ptr<TempFolder> folder_;
};

}  // namespace engine::testing
