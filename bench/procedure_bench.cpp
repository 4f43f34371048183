// Statements per second of the procedure executor: a loop of one million iterations that
// accumulates a scaled sum, the shape of the totalling loops that business procedures run over
// their records.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/core/block_pool.h"
#include "engine/core/memory.h"
#include "engine/core/str_ref.h"
#include "engine/lang/expression.h"
#include "engine/lang/lang_start.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"
#include "engine/proc/procedure_run.h"

namespace {

constexpr int64_t kIterations = 1000000;
// Statements run: the three before the loop, four per iteration, and the last DO_WHILE.
constexpr int64_t kStatements = 3 + 4 * kIterations + 1;
constexpr char kProcedure[] =
    "; a running total of scaled amounts\r\n"
    "N#=0\r\n"
    "S#=0\r\n"
    "RATE#=1.25\r\n"
    "DO_WHILE N#<1000000\r\n"
    "S#=S#+N#*RATE#\r\n"
    "N#=N#+1\r\n"
    "LOOP\r\n";

void Fail(const char* what) {
  std::fprintf(stderr, "procedure_bench: %s failed\n", what);
  std::exit(1);
}

// The engine as a program has it at run time, with the procedure written to a temporary file.
class Engine {
 public:
  Engine() {
    engine::BlockPoolConfig() = engine::BlockPoolSettings{64, 512};
    if (!engine::MemoryStart().ok() || !engine::LangStart().ok()) Fail("start");
    engine::ProceduresStart();
    path_ = (std::filesystem::temp_directory_path() /
             ("orvendal-bench-" + std::to_string(::getpid()) + ".PRC"))
                .string();
    std::ofstream(path_, std::ios::binary) << kProcedure;
  }
  ~Engine() {
    std::filesystem::remove(path_);
    engine::ProceduresStop();
    engine::LangStop();
    if (engine::MemoryStop() != 0) Fail("stop");
  }
  engine::StrRef path() const { return engine::StrView(path_); }

 private:
  std::string path_;
};

void BM_ScaledSumLoop(benchmark::State& state) {
  Engine engine;
  for (auto _ : state) {
    if (!engine::ProcedureRun(engine::StrLit(""), engine.path(), 0).ok()) Fail("run");
  }
  int64_t sum = 0;
  if (!engine::VarNumber(engine::StrLit("S#"), &sum)) Fail("sum");
  const int64_t expected = (kIterations * (kIterations - 1) / 2) * 125;  // 1.25 at two decimals
  if (sum != expected) Fail("sum check");
  state.counters["statements/s"] =
      benchmark::Counter(static_cast<double>(kStatements) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ScaledSumLoop)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
