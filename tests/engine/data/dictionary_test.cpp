// The data dictionary: its text format, default keys, includes, run-time structures, paths and
// field references, and the lines it refuses.
#include "engine/data/dictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary_load.h"
#include "engine/data/field_ref.h"
#include "engine/data/file_paths.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace engine {
namespace {

using testing::DataFixture;

std::string Segments(uint8_t file, uint16_t key) {
  const KeySegments s = KeySegmentsOf(file, key);
  std::string out;
  for (uint16_t i = 0; i < s.count; ++i) {
    out += (i ? " " : "") + std::to_string(s.segment[i].start) + "+" +
           std::to_string(s.segment[i].length);
  }
  return out;
}

std::string Str(StrRef s) { return testing::Show(s); }

class DictionaryTest : public DataFixture {
 protected:
  // Two files: customers (key 1 on CODE, key 2 on NAME+CODE) and invoice lines (N_LINE).
  void WriteSample(const std::string& prefix = "CO") {
    WriteLines(prefix + "DICC.DAT", {
                                        "01*   *05Customers",
                                        FieldLine(6, 'A', "CODE"),
                                        FieldLine(30, 'A', "NAME"),
                                        FieldLine(10, '2', "BALANCE"),
                                        "02*data\\lines  *07lines",
                                        FieldLine(8, 'A', "NUMBER"),
                                        FieldLine(4, 'N', "N_LINE"),
                                        FieldLine(8, 'D', "DATE"),
                                        "31<0001006>",
                                        "31<00070300001006>",
                                        "62:ACUM=1",
                                        "62:REL=CUSTOMERS",
                                        FieldLine(2, 'A', "EXTRA"),
                                    });
  }
  Status Load(const std::string& prefix = "CO") {
    return DictLoad(StrLit("NOWHERE,."), StrView(prefix), StrLit(""));
  }
};

TEST_F(DictionaryTest, LoadsFilesFieldsKeysAndOptions) {
  WriteSample();
  ASSERT_EQ(Load(), kOk) << Str(DetailText());
  ASSERT_EQ(FileCount(), 2);
  EXPECT_EQ(Str(FileBaseName(1)), "customers");
  EXPECT_EQ(Str(FileFolder(1)), "");
  EXPECT_EQ(Str(FileFolder(2)), "data\\lines");
  EXPECT_EQ(FileDefOf(1).attribute, 5);
  EXPECT_EQ(RecordLength(1), 46);
  EXPECT_EQ(FieldCount(2), 4);  // EXTRA joined the file defined last, whatever its position
  const FieldDef balance = FieldDefOf(1, 3);
  EXPECT_EQ(balance.offset, 36);
  EXPECT_EQ(balance.length, 10);
  EXPECT_EQ(balance.type, '2');
  EXPECT_EQ(Str(FieldName(1, 2)), "NAME");
  EXPECT_EQ(KeyCount(1), 2);
  EXPECT_EQ(Segments(1, 1), "0+6");
  EXPECT_EQ(Segments(1, 2), "6+30 0+6");
  EXPECT_EQ(Str(FileOptions(2)), "ACUM=1:REL=CUSTOMERS");
  // The last line was a field line: file 2 got its default key, up to and including N_LINE.
  EXPECT_EQ(KeyCount(2), 1);
  EXPECT_EQ(Segments(2, 1), "0+12");
  EXPECT_EQ(KeyDefCount(), 3);
  EXPECT_EQ(FieldDefCount(), 7);
}

TEST_F(DictionaryTest, DefaultKeysFollowTheOrderOfKeyLinesAndTheLastLine) {
  const struct {
    const char* name;
    std::vector<std::string> tail;
    uint16_t keys1, keys2;
  } cases[] = {
      // Key lines only for the second file: the first gets its default key then.
      {"key for file 2 only", {"32<0001003>"}, 1, 1},
      // The last line is an option line: file 2 stays without keys.
      {"option line last", {"31<0001002>", "61:X"}, 1, 0},
      {"field line last", {"31<0001002>", "61:X", FieldLine(1, 'A', "Z")}, 1, 1},
      {"ignored line last", {"99 comment"}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DictClear();
    std::vector<std::string> lines = {"01* *01one", FieldLine(5, 'A', "A"), "01* *01two",
                                      FieldLine(5, 'A', "B")};
    lines.insert(lines.end(), c.tail.begin(), c.tail.end());
    WriteLines("XXDICC.DAT", lines);
    ASSERT_EQ(Load("XX"), kOk) << Str(DetailText());
    EXPECT_EQ(KeyCount(1), c.keys1);
    EXPECT_EQ(KeyCount(2), c.keys2);
    if (c.keys1) {
      EXPECT_EQ(Segments(1, 1), c.tail[0] == "31<0001002>" ? "0+2" : "0+5");
    }
  }
}

TEST_F(DictionaryTest, KeyLineGroupsAndOptionLines) {
  WriteLines("XXDICC.DAT", {"01* *01one", FieldLine(40, 'A', "A"),
                            "31<0001001000200100030010004001000500100060010>", "31<0001005>",
                            "61 no colon here", "61:second"});
  ASSERT_EQ(Load("XX"), kOk) << Str(DetailText());
  EXPECT_EQ(Segments(1, 1), "0+1 1+1 2+1 3+1 4+1");  // the sixth group is not read
  EXPECT_EQ(Segments(1, 2), "0+5");
  EXPECT_EQ(Str(FileOptions(1)), "61 no colon here:second");
}

TEST_F(DictionaryTest, BadLinesFailWith163AndTheLineAsDetail) {
  const struct {
    const char* name;
    std::vector<std::string> lines;
    Status status;
    const char* detail;
  } cases[] = {
      {"field before any file", {FieldLine(5, 'A', "A")}, kFileOutBound, nullptr},
      {"short field line", {"01* *01one", "01       005 A"}, kBadInputData, "01       005 A"},
      {"field length not a number",
       {"01* *01one", "01       0x5 A NAME"},
       kBadInputData,
       "01       0x5 A NAME"},
      {"unknown type letter",
       {"01* *01one", "01       005 Q NAME"},
       kBadInputData,
       "01       005 Q NAME"},
      {"file line without name", {"01* *01"}, kBadInputData, "01* *01"},
      {"key segment past the record",
       {"01* *01one", FieldLine(5, 'A', "A"), "31<0004003>"},
       kBadInputData,
       "31<0004003>"},
      {"key group not digits",
       {"01* *01one", FieldLine(5, 'A', "A"), "31<00x1003>"},
       kBadInputData,
       "31<00x1003>"},
      {"key line without groups",
       {"01* *01one", FieldLine(5, 'A', "A"), "31<>"},
       kBadInputData,
       "31<>"},
      {"key for a file not defined",
       {"01* *01one", FieldLine(5, 'A', "A"), "33<0001001>"},
       kBadInputData,
       "33<0001001>"},
      {"key lines out of file order",
       {"01* *01one", FieldLine(5, 'A', "A"), "01* *01two", FieldLine(5, 'A', "B"), "32<0001001>",
        "31<0001001>"},
       kBadInputData,
       "31<0001001>"},
      {"option for a file not defined",
       {"01* *01one", FieldLine(5, 'A', "A"), "65:X"},
       kBadFileNumber,
       "65:X"},
      {"line too long",
       {"01* *01one", FieldLine(5, 'A', std::string(600, 'N'))},
       kBadInputData,
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DictClear();
    DetailClear();
    WriteLines("XXDICC.DAT", c.lines);
    EXPECT_EQ(Load("XX"), c.status);
    if (c.detail) {
      // "<path>XXDICC.DAT, line <n>: <the line>"
      const std::string detail = Str(DetailText());
      const std::string line = std::to_string(c.lines.size()) + ": " + c.detail;
      EXPECT_NE(detail.find("XXDICC.DAT, line "), std::string::npos) << detail;
      EXPECT_EQ(detail.substr(detail.size() - std::min(detail.size(), line.size())), line);
    }
  }
  // A failed load keeps what was defined before the failing line.
  DictClear();
  WriteLines("XXDICC.DAT", {"01* *01one", FieldLine(5, 'A', "A"), "01* *01two", "01 bad"});
  EXPECT_EQ(Load("XX"), kBadInputData);
  EXPECT_EQ(FileCount(), 2);
  EXPECT_EQ(FieldCount(1), 1);
}

TEST_F(DictionaryTest, MissingFilesAndIncludes) {
  EXPECT_EQ(DictLoad(StrLit("A,B"), StrLit("ZZ"), StrLit("")), kFileNotFound);
  EXPECT_EQ(Str(DetailText()), "[A,B]ZZDICC.DAT");

  // AB includes CD between its own two files.
  WriteLines("ABDICC.DAT",
             {"01* *01first", FieldLine(4, 'A', "A"), "01*$*01CD", "01* *01last",
              FieldLine(3, 'A', "C"), "31<0001002>", "32<0001003>", "61:after include"});
  WriteLines("CDDICC.DAT", {"01* *01middle", FieldLine(6, 'A', "B")});
  WriteLines("CDREL.DAT", {"61:from rel"});
  ASSERT_EQ(Load("AB"), kOk) << Str(DetailText());
  ASSERT_EQ(FileCount(), 3);
  EXPECT_EQ(Str(FileBaseName(2)), "middle");
  // After the include, code 31 names the included dictionary's last file, 32 the next one.
  EXPECT_EQ(Segments(1, 1), "0+4");  // default, given by the included dictionary's end
  EXPECT_EQ(KeyCount(2), 2);
  EXPECT_EQ(Segments(2, 2), "0+2");
  EXPECT_EQ(Segments(3, 1), "0+3");
  // Inside the included dictionary the base starts at 0 again.
  EXPECT_EQ(Str(FileOptions(1)), "from rel");
  EXPECT_EQ(Str(FileOptions(2)), "after include");

  // An include that comes back to a dictionary being loaded stops with its line.
  DictClear();
  WriteLines("EFDICC.DAT", {"01* *01e", FieldLine(4, 'A', "A"), "01*$*01GH"});
  WriteLines("GHDICC.DAT", {"01* *01g", FieldLine(4, 'A', "A"), "01*$*01ef"});
  EXPECT_EQ(Load("EF"), kBadInputData);
  const std::string detail = Str(DetailText());
  EXPECT_NE(detail.find("GHDICC.DAT, line 3: 01*$*01ef"), std::string::npos) << detail;
  EXPECT_EQ(FileCount(), 2);
}

TEST_F(DictionaryTest, FileByNameAndCase) {
  WriteSample();
  ASSERT_EQ(Load(), kOk);
  EXPECT_EQ(FileByName(StrLit("CUSTOMERS")), 1);
  EXPECT_EQ(FileByName(StrLit("lines")), 2);
  EXPECT_EQ(FileByName(StrLit("2")), 2);
  EXPECT_EQ(FileByName(StrLit("nothing")), 0);
  SysWordSet(kSysCurFil, 2);
  EXPECT_EQ(FileByName(StrLit("")), 2);

  DictClear();
  SysWordSetBits(kSysAuxStat, kAuxKeepNameCase, true);
  WriteSample();
  ASSERT_EQ(Load(), kOk);
  EXPECT_EQ(Str(FileBaseName(1)), "Customers");
  EXPECT_EQ(FileByName(StrLit("Customers")), 1);
  EXPECT_EQ(FileByName(StrLit("customers")), 0);
}

TEST_F(DictionaryTest, PathsByKind) {
  WriteSample();
  ASSERT_EQ(Load(), kOk);
  const struct {
    uint8_t file;
    uint16_t kind;
    uint16_t compat;
    const char* path;
  } cases[] = {
      {1, kPathBaseName, 0, "customers"},
      {1, kPathData, 0, "customers.FD"},
      {2, kPathData, 0, "data\\lines\\lines.FD"},
      {2, kPathIndex, 0, "data\\lines\\lines.DIR"},
      {2, kPathIndex, kCompatNdx, "data\\lines\\lines.NDX"},
      {2, kPathIndexAlt, 0, "data\\lines\\lines.NDX"},
      {2, kPathReorgCopy, 0, "data\\lines\\lines.TMP"},
      {2, kPathText, 0, "data\\lines\\lines.TXT"},
      {1, kPathData, kCompatShortNames, "customer.FD"},
      {3, kPathData, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    SysWordSet(kSysCompat, static_cast<int16_t>(c.compat));
    EXPECT_EQ(Str(FilePath(c.file, c.kind)), c.path);
  }
  SysWordSet(kSysCompat, 0);
  EXPECT_EQ(Str(FileNameList(kPathIndex)), "customers.DIR,data\\lines\\lines.DIR");
  EXPECT_EQ(Str(LockMarkerPath(2)), "lines.lock");
  EXPECT_EQ(Str(DataPathJoin(StrLit("a/b/"), StrLit("c"))), "a\\b\\c");
  EXPECT_EQ(Str(DataPathJoin(StrLit("a"), StrLit("\\c"))), "a\\c");

  // Kind 7: a new empty file in the temporary folder each time, deleted at the end.
  SetTemporaryFolder(StrView(folder().path().string()));
  const std::string one = Str(FilePath(1, kPathTemporary));
  const std::string two = Str(FilePath(1, kPathTemporary));
  EXPECT_NE(one, two);
  EXPECT_TRUE(CurrentFileSystem().Exists(one));
  EXPECT_EQ(TemporaryFileCount(), 2);
  DeleteTemporaryFiles();
  EXPECT_FALSE(CurrentFileSystem().Exists(two));
  EXPECT_EQ(TemporaryFileCount(), 0);
  SetTemporaryFolder(StrLit(""));
}

TEST_F(DictionaryTest, QueriesOverKeysAndFields) {
  WriteSample();
  ASSERT_EQ(Load(), kOk);
  KeyFields fields;
  ASSERT_EQ(KeyFieldList(1, 2, &fields), kOk);
  ASSERT_EQ(fields.count, 2);
  EXPECT_EQ(fields.field[0], 2);
  EXPECT_EQ(fields.field[1], 1);
  EXPECT_EQ(KeyByFirstField(1, 2), 2);
  EXPECT_EQ(KeyByFirstField(1, 3), 0);
  EXPECT_EQ(KeyByDateField(1), kNothing);
  EXPECT_EQ(KeyLength(1, 2, 1), 30);
  EXPECT_EQ(KeyLength(1, 2, 0), 36);
  EXPECT_EQ(Str(KeyValue(1, 2, StrLit("000042Smith"))), "Smith000042");
  EXPECT_EQ(FieldByName(1, StrLit("NAME")), 2);
  EXPECT_EQ(FieldByName(1, StrLit("name")), kNothing);
  EXPECT_EQ(CheckFileField(1, kAnyField), kOk);
  EXPECT_EQ(CheckFileField(1, 0), kDataOutBound);
  EXPECT_EQ(CheckFileField(1, 4), kDataOutBound);
  EXPECT_EQ(Str(DetailText()), "(File:1, Field:4)");
  EXPECT_EQ(CheckFileKey(1, 3), kDataOutBound);
  EXPECT_EQ(CheckFileKey(3, 1), kDataOutBound);
  EXPECT_EQ(FileDefOf(9).record_length, 0);
}

TEST_F(DictionaryTest, FieldReferences) {
  WriteSample();
  ASSERT_EQ(Load(), kOk);
  SysWordSet(kSysCurFil, 1);
  const struct {
    const char* text;
    Status status;
    uint8_t file;
    uint16_t field;
  } cases[] = {
      {"NAME{}", kOk, 1, 2},
      {"N_LINE{2}", kOk, 2, 2},
      {"3{2}", kOk, 2, 3},
      {"DATE{lines}", kOk, 2, 3},
      {"NAME{9}", kFileOutBound, 0, 0},
      {"NAME{0}", kFileOutBound, 0, 0},
      {"NAME", kSyntaxError, 0, 0},
      {"NAME{1}x", kSyntaxError, 0, 0},
      {"NOPE{1}", kSyntaxError, 0, 0},
      {"9{1}", kDataOutBound, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    FieldRef ref;
    EXPECT_EQ(ParseFieldRef(StrView(c.text), &ref), c.status);
    EXPECT_EQ(ref.file, c.file);
    EXPECT_EQ(ref.field, c.field);
  }
  FieldRef ref;
  EXPECT_EQ(ParseFieldRef(StrLit("NAME{1"), &ref), kSyntaxError);
  EXPECT_EQ(Str(DetailText()), "Field:NAME{1");
  EXPECT_EQ(Str(FormatFieldRef(2, 3)), "DATE{2}");
  EXPECT_EQ(Str(FormatFieldRef(0, 2)), "NAME{}");
  EXPECT_EQ(Str(FileFieldPair(2, 3)), "2;3");
}

TEST_F(DictionaryTest, StructuresStackAndRestore) {
  WriteSample();
  ASSERT_EQ(Load(), kOk);
  SysWordSet(kSysCurFil, 1);
  ASSERT_EQ(DefineStructure(StrLit("work"), StrLit("K;2*3;A,AMOUNT;10;2"), StrLit("<0001006>")),
            kOk)
      << Str(DetailText());
  EXPECT_EQ(FileCount(), 3);
  EXPECT_EQ(SysWord(kSysCurFil), 3);
  EXPECT_EQ(RecordLength(3), 16);
  EXPECT_EQ(Segments(3, 1), "0+6");
  // A bad entry undoes the whole structure.
  EXPECT_EQ(DefineStructure(StrLit("bad"), StrLit("X;0;A"), StrLit("")), kBadInputData);
  EXPECT_EQ(FileCount(), 3);
  // Open when it is removed: it is closed first, its index saved.
  ASSERT_EQ(FileOpen(3, 0), kOk);
  ASSERT_EQ(BufferPut(3, kHalfCurrent, StrLit("KEY001      1.50")), kOk);
  ASSERT_EQ(RecordInsert(3), kOk);
  EXPECT_EQ(DefineStructure(StrLit("RESTORE"), StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(FileCount(), 2);
  EXPECT_FALSE(FileIsOpen(3));
  EXPECT_EQ(folder().Read("work.DIR").size(), 12u);
  EXPECT_EQ(KeyDefCount(), 3);
  EXPECT_EQ(FieldDefCount(), 7);
  EXPECT_EQ(SysWord(kSysCurFil), 1);
  EXPECT_EQ(SlotCount(kGroupDictNames), 2);

  for (int i = 1; i <= 7; ++i) {
    ASSERT_EQ(DefineStructure(StrLit("s"), StrLit("A;1;A"), StrLit("")), kOk) << i;
  }
  EXPECT_EQ(DefineStructure(StrLit("s"), StrLit("A;1;A"), StrLit("")), kDataOutBound);
  for (int i = 1; i <= 7; ++i) ASSERT_EQ(RestoreStructure(), kOk);
  EXPECT_EQ(FileCount(), 2);
  // With nothing pushed, a restore clears the whole dictionary.
  EXPECT_EQ(RestoreStructure(), kOk);
  EXPECT_EQ(FileCount(), 0);
  EXPECT_EQ(FieldDefCount(), 0);
  EXPECT_EQ(TableInfo(kTableFieldDefs, kTableInfoCount), 0u);
}

TEST_F(DictionaryTest, StartAssignsFileNumbersToVariables) {
  WriteSample();
  ASSERT_EQ(DataStart(StrLit("."), StrLit("CO"), StrLit("")), kOk);
  int16_t value = 0;
  ASSERT_TRUE(VarInteger(StrLit("lines"), &value));
  EXPECT_EQ(value, 2);
  ASSERT_TRUE(VarInteger(StrLit("customers"), &value));
  EXPECT_EQ(value, 1);
}

}  // namespace
}  // namespace engine
