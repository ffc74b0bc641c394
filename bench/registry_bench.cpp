// Speed of registry reads and writes on a registry of a few hundred values.
#include "platform/registry.h"
#include "support/temp_device.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A temporary device whose registry holds `count` values under one key.
class BenchDevice {
 public:
  explicit BenchDevice(int count) {
    RegCreateKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Corvane\\Bench"), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    for (int i = 0; i < count; ++i) {
      Text name = WSTR("Value") + textFromUtf8(std::to_string(i));
      Text text = WSTR("\\Program Files\\Application ") + textFromUtf8(std::to_string(i));
      RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    }
  }
  ~BenchDevice() { RegCloseKey(key_); }
  HKEY key() const { return key_; }

 private:
  TempDevice device_;
  HKEY key_ = nullptr;
};

void BM_QueryValue(benchmark::State& state) {
  BenchDevice dev(static_cast<int>(state.range(0)));
  WCHAR buffer[128];
  for (auto _ : state) {
    DWORD size = sizeof buffer, type = 0;
    LONG status = RegQueryValueExW(dev.key(), WSTR("value150"), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
    benchmark::DoNotOptimize(status);
  }
}
BENCHMARK(BM_QueryValue)->Arg(300);

void BM_OpenQueryClose(benchmark::State& state) {
  BenchDevice dev(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("software\\corvane\\bench"), 0, KEY_READ, &key);
    DWORD number = 0, size = sizeof number;
    benchmark::DoNotOptimize(RegQueryValueExW(key, WSTR("Value7"), nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(&number), &size));
    RegCloseKey(key);
  }
}
BENCHMARK(BM_OpenQueryClose)->Arg(300);

void BM_SetValue(benchmark::State& state) {
  BenchDevice dev(static_cast<int>(state.range(0)));
  DWORD counter = 0;
  for (auto _ : state) {
    ++counter;  // a new value each time, so that every call writes the file
    benchmark::DoNotOptimize(RegSetValueExW(dev.key(), WSTR("Counter"), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&counter), 4));
  }
}
BENCHMARK(BM_SetValue)->Arg(300);

}  // namespace

BENCHMARK_MAIN();
