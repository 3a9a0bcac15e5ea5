// Reading and writing record files: the base every data file of a game rests on. And a request
// of the game thread to the window thread (a sound, for each hit of a frame), served by the
// window thread's loop of the program (a turn of its messages, then a millisecond's sleep).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "core/save_record.h"
#include "platform/message.h"
#include "platform/time.h"

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

// The requests of the game thread, one at a time, to a window thread idling as the program's
// does: the time a request takes to be served.
LRESULT AnswerProc(HWND, UINT, WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam + 1); }

void BM_RequestToIdleWindowThread(benchmark::State& state) {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> stop{false};
  std::thread owner([&] {
    window = CreateWindowHandle(&AnswerProc);
    MSG msg{};
    while (!stop.load()) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
        Sleep(1);
        continue;
      }
      Sleep(1);
    }
  });
  while (!window.load()) std::this_thread::yield();
  WPARAM n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageA(window.load(), WM_USER + 5, n++, 0));
  stop = true;
  owner.join();
}
BENCHMARK(BM_RequestToIdleWindowThread)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

