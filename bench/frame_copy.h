// The unit of the drawing benchmarks: one copy of a 640 × 480 frame at 32 bits (memcpy of
// 1,228,800 bytes), timed in the same run as the benchmarks it measures, so that their figures
// hold on a machine under load. Main runs the benchmarks with a console reporter that adds a
// column "copies": each benchmark's processor time as a multiple of the frame copy's (its
// median over repetitions, else its single run). BM_FrameCopy must be registered first, under
// that name (using framecopy::BM_FrameCopy; BENCHMARK(BM_FrameCopy)).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace framecopy {

constexpr size_t kFrameBytes = size_t{640} * 480 * 4;

inline void BM_FrameCopy(benchmark::State& state) {
  std::vector<uint8_t> from(kFrameBytes, 0x5A), to(kFrameBytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kFrameBytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFrameBytes));
}

class CopiesReporter : public benchmark::ConsoleReporter {
 public:
  CopiesReporter() : ConsoleReporter(OO_None) {}

  void ReportRuns(const std::vector<Run>& reports) override {
    std::vector<Run> out = reports;
    for (Run& r : out) {
      const bool aggregate = r.run_type == Run::RT_Aggregate;
      // Spreads (standard deviation, coefficient of variation) are not times of a run.
      if (aggregate && r.aggregate_name != "mean" && r.aggregate_name != "median") continue;
      const double seconds = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      if (r.run_name.function_name == "BM_FrameCopy") {
        if (!haveMedian_ || (aggregate && r.aggregate_name == "median")) copySeconds_ = seconds;
        haveMedian_ = haveMedian_ || (aggregate && r.aggregate_name == "median");
        continue;
      }
      if (copySeconds_ > 0) r.counters["copies"] = benchmark::Counter(seconds / copySeconds_);
    }
    ConsoleReporter::ReportRuns(out);
  }

 private:
  double copySeconds_ = 0;
  bool haveMedian_ = false;
};

inline int Main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CopiesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace framecopy
