// Reading and writing record files: the base every data file of a game rests on.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/save_record.h"

namespace {

// A record shaped like a palette entry: a few dozen fields of mixed sizes and two texts.
class cBenchRec : public cSaveRecord {
 public:
  int32_t m_anInt[20] = {};
  int16_t m_asShort[10] = {};
  uint8_t m_abyByte[16] = {};
  double m_dValue = 0;
  std::string m_strName = "name";
  std::string m_strText = "some text of a record";
  cBenchRec() { Register(DATA_VERSION); }
  void RegisterFields(int) override {
    for (auto& v : m_anInt) AddField(&v);
    for (auto& v : m_asShort) AddField(&v);
    AddField(m_abyByte, 16);
    AddField(&m_dValue);
    AddStringField(&m_strName);
    AddStringField(&m_strText);
  }
};

void BM_RecordSaveLoad(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  cSafeVector<cBenchRec> records(count);
  FILE* fp = std::tmpfile();
  for (auto _ : state) {
    std::rewind(fp);
    for (cBenchRec& r : records) r.Save(fp);
    std::fflush(fp);
    std::rewind(fp);
    g_nFileVersion = DATA_VERSION;
    for (cBenchRec& r : records) r.Load(fp);
  }
  std::fclose(fp);
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_RecordSaveLoad)->Arg(1000)->Arg(10000);

void BM_CheckedAt(benchmark::State& state) {
  cSafeVector<int> v(1024, 1);
  long long sum = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1024; ++i) sum += v.CheckedAt(i);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_CheckedAt);

}  // namespace
