// Speed of registry reads and writes on a registry of a few hundred values, and of keys that lie
// deep below their root.
#include "platform/registry.h"
#include "support/temp_device.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
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

// A key path `levels` names deep, each name "a".
std::string deepPath(std::int64_t levels) {
  std::string path = "a";
  for (std::int64_t i = 1; i < levels; ++i) path += "\\a";
  return path;
}

// Reading a registry file whose one key lies `levels` deep below its root (each key above it
// is implied and created too).
void BM_ReadDeepKey(benchmark::State& state) {
  TempDevice device;
  const std::string path = deepPath(state.range(0));
  const Text key = textFromUtf8(path);
  const auto file = device.root() / "state" / "registry.reg";
  const std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\" + path +
                           "]\n\"v\"=dword:00000001\n";
  for (auto _ : state) {
    state.PauseTiming();
    // A new file each time, so that the registry reads it again.
    std::ofstream(file.string() + ".new", std::ios::binary) << text;
    std::filesystem::rename(file.string() + ".new", file);
    state.ResumeTiming();
    HKEY opened = nullptr;
    benchmark::DoNotOptimize(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened));
    RegCloseKey(opened);
  }
}
BENCHMARK(BM_ReadDeepKey)->Arg(64)->Arg(256)->Arg(512);

// Creating a key `levels` deep, with every key above it, in an empty registry.
void BM_CreateDeepKey(benchmark::State& state) {
  TempDevice device;
  const Text key = textFromUtf8(deepPath(state.range(0)));
  const auto file = device.root() / "state" / "registry.reg";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(file);
    state.ResumeTiming();
    HKEY created = nullptr;
    benchmark::DoNotOptimize(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &created, nullptr));
    RegCloseKey(created);
  }
}
BENCHMARK(BM_CreateDeepKey)->Arg(64)->Arg(256)->Arg(512);

}  // namespace

BENCHMARK_MAIN();
