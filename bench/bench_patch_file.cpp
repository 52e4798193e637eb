// Saving and loading a full patch (50 assigned controllers with names, a title): in memory
// (MakeSMFData + LoadSMFData) and through a file in a memory-backed folder (SaveSMF + LoadSMF),
// each as one save plus one load per iteration, and the two halves of the in-memory case alone.
#include "document/CPatch.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

void FillFullPatch(CPatch& patch) {
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam record{};
    record.msgType = patch.IsControllerButton(index) ? 1 : 7;  // notes on buttons, CCs elsewhere
    record.channel = static_cast<std::uint8_t>(index % 16);
    record.data[0] = static_cast<std::uint8_t>(index + 10);
    record.data[1] = 0;
    record.data[2] = 127;
    LString::FromStd("Parameter " + std::to_string(index + 1), record.name, sizeof record.name);
    patch.SetParam(index, &record);
  }
  patch.SetPatchTitle(LStr255("Benchmark patch: fifty controllers, each with a name"));
}

// A folder in memory when the system has one, so that the file case measures the code and
// the system calls rather than a disk.
std::filesystem::path MemoryFolder() {
  std::error_code error;
  const std::filesystem::path shm = "/dev/shm";
  const std::filesystem::path base =
      std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
  std::string pattern = (base / "kvx-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

void BM_PatchSaveLoadInMemory(benchmark::State& state) {
  CPatch patch;
  FillFullPatch(patch);
  CPatch loaded;
  for (auto _ : state) {
    const std::vector<std::uint8_t> bytes = patch.MakeSMFData();
    if (loaded.LoadSMFData(bytes) != 0) {
      state.SkipWithError("the patch did not load");
      break;
    }
    benchmark::DoNotOptimize(loaded.GetParam(49));
  }
}
BENCHMARK(BM_PatchSaveLoadInMemory);

void BM_PatchSaveInMemory(benchmark::State& state) {
  CPatch patch;
  FillFullPatch(patch);
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = patch.MakeSMFData();
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_PatchSaveInMemory);

void BM_PatchLoadInMemory(benchmark::State& state) {
  CPatch patch;
  FillFullPatch(patch);
  const std::vector<std::uint8_t> bytes = patch.MakeSMFData();
  CPatch loaded;
  for (auto _ : state) {
    if (loaded.LoadSMFData(bytes) != 0) {
      state.SkipWithError("the patch did not load");
      break;
    }
    benchmark::DoNotOptimize(loaded.GetParam(49));
  }
}
BENCHMARK(BM_PatchLoadInMemory);

void BM_PatchSaveLoadFile(benchmark::State& state) {
  const std::filesystem::path folder = MemoryFolder();
  if (folder.empty()) {
    state.SkipWithError("no folder for the file");
    return;
  }
  state.SetLabel(folder.parent_path().string());
  const FSSpec file = FSSpec::FromPath(folder / "bench.mid");
  CPatch patch;
  FillFullPatch(patch);
  CPatch loaded;
  for (auto _ : state) {
    if (patch.SaveSMF(file) != 0 || loaded.LoadSMF(file) != 0) {
      state.SkipWithError("the patch could not be saved and loaded");
      break;
    }
    benchmark::DoNotOptimize(loaded.GetParam(49));
  }
  std::error_code error;
  std::filesystem::remove_all(folder, error);
}
BENCHMARK(BM_PatchSaveLoadFile);

}  // namespace

BENCHMARK_MAIN();
