// The record file's costs over a file of 100,000 records of 60 bytes with two keys: insertions in
// random key order, a search for each key, a walk in key order, updates that move 10% of the
// records in key 2 and deletion of 10% of them. Prints the rate of each step and the total time.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/core/block_pool.h"
#include "engine/core/memory.h"
#include "engine/core/string_area.h"
#include "engine/data/data_start.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/lang/lang_start.h"

namespace {

using engine::Status;
using engine::StrView;

constexpr int kRecords = 100000;
constexpr int kTenth = kRecords / 10;
constexpr uint16_t kLength = 60;  // CODE A10 (key 1), NAME A10 (key 2), filler A40

void Fail(const char* what, Status status) {
  std::fprintf(stderr, "record_file_bench: %s failed with %u\n", what, status.code());
  std::exit(1);
}

void Check(const char* what, Status status, std::initializer_list<uint16_t> allowed = {0}) {
  if (std::find(allowed.begin(), allowed.end(), status.code()) == allowed.end()) {
    Fail(what, status);
  }
}

std::string Code(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "C%09d", n);
  return text;
}

std::string Name(uint32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "N%09u", n % 1000000000u);
  return text;
}

std::string Record(int code, uint32_t name) {
  std::string record = Code(code) + Name(name);
  record.resize(kLength, '.');
  return record;
}

class Stopwatch {
 public:
  void Step(const char* name, int operations) {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - last_).count();
    std::printf("%-34s %8d ops %9.3f s %12.0f ops/s\n", name, operations, seconds,
                operations / seconds);
    last_ = now;
  }
  void Total() const {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::printf("%-34s %22.3f s\n", "total", seconds);
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_ = start_;
};

}  // namespace

int main() {
  engine::BlockPoolConfig() = engine::BlockPoolSettings{64, 512};
  Check("memory start", engine::MemoryStart());
  Check("language start", engine::LangStart());
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("record_file_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string folder_text = folder.string();

  Check("file", engine::DefineFile(1, engine::StrLit("bench"), StrView(folder_text)));
  Check("field", engine::DefineField(engine::StrLit("CODE"), 10, 'A'));
  Check("field", engine::DefineField(engine::StrLit("NAME"), 10, 'A'));
  Check("field", engine::DefineField(engine::StrLit("FILL"), 40, 'A'));
  engine::KeySegments key;
  key.count = 1;
  key.segment[0] = engine::KeySegment{0, 10};
  Check("key 1", engine::DefineKey(1, key));
  key.segment[0] = engine::KeySegment{10, 10};
  Check("key 2", engine::DefineKey(1, key));

  std::mt19937 random(42);
  std::vector<int> codes(kRecords);
  std::iota(codes.begin(), codes.end(), 0);
  std::shuffle(codes.begin(), codes.end(), random);

  std::printf("record file: %d records of %u bytes, two keys\n", kRecords, kLength);
  Stopwatch watch;
  Check("open", engine::FileOpen(1, 0));
  for (int code : codes) {
    const std::string record = Record(code, static_cast<uint32_t>(random()));
    Check("put", engine::BufferPut(1, engine::kHalfCurrent, StrView(record)));
    Check("insert", engine::RecordInsert(1), {engine::kFound, engine::kRepeatedKey});
  }
  watch.Step("insert (random key order)", kRecords);

  std::shuffle(codes.begin(), codes.end(), random);
  for (int code : codes) {
    Check("find", engine::KeyFind(1, 1, StrView(Code(code)), 0));
  }
  watch.Step("find each by key 1", kRecords);

  int walked = 0;
  for (Status s = engine::KeyStep(1, engine::kStepFirst); s == engine::kFound;
       s = engine::KeyStep(1, engine::kStepNext)) {
    ++walked;
  }
  if (walked != kRecords) Fail("walk", engine::kInternalError);
  watch.Step("walk in key 1 order", walked);

  std::shuffle(codes.begin(), codes.end(), random);
  for (int i = 0; i < kTenth; ++i) {
    Check("find for update", engine::KeyFind(1, 1, StrView(Code(codes[i])), 0));
    const std::string name = Name(static_cast<uint32_t>(random()));
    Check("set", engine::FieldSet(1, 2, StrView(name)));
    Check("update", engine::RecordUpdate(1));
  }
  watch.Step("update 10% (key 2 moves)", kTenth);

  std::shuffle(codes.begin(), codes.end(), random);
  for (int i = 0; i < kTenth; ++i) {
    Check("find for delete", engine::KeyFind(1, 1, StrView(Code(codes[i])), 0));
    Check("delete", engine::RecordDelete(1, 0));
  }
  watch.Step("delete 10%", kTenth);

  Check("close", engine::FileClose(1));
  watch.Step("close (index saved)", 1);
  watch.Total();

  Check("data stop", engine::DataStop());
  engine::LangStop();
  if (engine::MemoryStop() != 0) Fail("memory stop", engine::kMemoryLeaks);
  std::filesystem::remove_all(folder);
  return 0;
}
