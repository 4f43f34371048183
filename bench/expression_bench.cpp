// Evaluations per second of the expressions that business definition files repeat in reports,
// transfers and the year close: a running total of discounted line amounts, and a string
// comparison with a wildcard.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "engine/core/block_pool.h"
#include "engine/core/memory.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace {

using engine::StrLit;
using engine::StrRef;

constexpr int64_t kEvaluations = 1000000;

// The engine's memory and variables as a program has them at run time, with `dictionary_names`
// field names in the slot groups in front of the variables (a data dictionary).
class Engine {
 public:
  explicit Engine(int dictionary_names) {
    engine::BlockPoolConfig() = engine::BlockPoolSettings{64, 512};
    if (!engine::MemoryStart().ok() || !engine::SystemVariablesInit().ok()) Fail("start");
    for (int n = 0; n < dictionary_names; ++n) {
      if (!engine::SlotPush(engine::kGroupDictFields, StrLit("FIELD_NAME")).ok()) Fail("slots");
    }
    if (!engine::EvalStatements(
             StrLit("TOTAL#=0;QTY#=3;PRICE#=12.5;DTO#=10;CITY$='Madrid';LINES=0"))
             .ok()) {
      Fail("variables");
    }
  }
  ~Engine() {
    engine::VariablesStop();
    if (engine::MemoryStop() != 0) Fail("stop");
  }

  static void Fail(const char* what) {
    std::fprintf(stderr, "expression_bench: %s failed\n", what);
    std::exit(1);
  }
};

void Run(benchmark::State& state, StrRef text) {
  Engine engine(static_cast<int>(state.range(0)));
  const uint16_t mark = engine::StrAreaMark();
  for (auto _ : state) {
    engine::ValueKind kind;
    const engine::Status status = engine::Evaluate(text, &kind);
    if (status != engine::kOk) Engine::Fail("evaluation");
    benchmark::DoNotOptimize(engine::StrAreaTop().ptr);
    engine::StrAreaRelease(mark);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DiscountedTotal(benchmark::State& state) {
  Run(state, StrLit("TOTAL#=TOTAL#+QTY#*PRICE#-QTY#*PRICE#%DTO#"));
}

void BM_WildcardComparison(benchmark::State& state) { Run(state, StrLit("CITY$=='MAD*'")); }

// Without a dictionary, and behind the field names of a mid-sized one.
BENCHMARK(BM_DiscountedTotal)->Arg(0)->Arg(400)->Iterations(kEvaluations);
BENCHMARK(BM_WildcardComparison)->Arg(0)->Arg(400)->Iterations(kEvaluations);

}  // namespace

BENCHMARK_MAIN();
