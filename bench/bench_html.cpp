// The HTML assign list of a full patch (50 assignments of every kind, each with a name), written
// into memory and to a file in a memory-backed folder (/dev/shm when there is one, so the
// numbers show the writer rather than the disk).

#include "document/CPatch.h"
#include "export/CHTMLWriter.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"
#include "utilities/UMessageTemplate.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

SPatchParam makeRecord(std::uint8_t msgType, std::initializer_list<std::uint8_t> data, long index) {
  SPatchParam param{};
  param.msgType = msgType;
  param.channel = static_cast<std::uint8_t>(index % 16);
  param.outputPort = static_cast<std::uint8_t>(index % 3);
  param.options = static_cast<std::uint8_t>(index % 8);
  std::copy(data.begin(), data.end(), param.data);
  const std::string name = "Parameter " + std::to_string(index) + (index % 5 == 0 ? " <A&B>" : "");
  LString::FromStd(name, param.name, sizeof param.name);
  return param;
}

SPatchParam makeSysex(long index) {
  SPrmPatCtrlSysEx payload{};
  payload.info = {static_cast<std::uint8_t>(1 + index % 5), 0, 0, 127};
  UMessageTemplate::CompileSysxStr(LStr255("F0 41 10 42 12 SS 40 1N 00 DT S1 F7"), payload);
  SPatchParam param = makeRecord(20, {}, index);
  std::memcpy(param.data, &payload, sizeof payload);
  return param;
}

SPatchParam makeFree(long index) {
  SPrmPatCtrlSysExFree payload{};
  payload.info = {3, 0, 0, 127};
  UMessageTemplate::CompileMsgStr(LStr255("B0 63 01 B0 62 02 B0 06 DT"), payload);
  SPatchParam param = makeRecord(22, {}, index);
  std::memcpy(param.data, &payload, sizeof payload);
  return param;
}

SPatchParam makeAssignment(long index) {
  const auto v = static_cast<std::uint8_t>(index);
  switch (index % 16) {
    case 0:
      return makeRecord(7, {v, 0, 127}, index);
    case 1:
      return makeRecord(1, {static_cast<std::uint8_t>(36 + v), 100, 2}, index);
    case 2:
      return makeRecord(10, {0, 127}, index);
    case 3:
      return makeRecord(15, {1, 0, 0, 0, 127}, index);
    case 4:
      return makeRecord(17, {0, 5, 1, 10, 20}, index);
    case 5:
      return makeSysex(index);
    case 6:
      return makeFree(index);
    case 7:
      return makeRecord(9, {v}, index);
    case 8:
      return makeRecord(3, {0, 127}, index);
    case 9:
      return makeRecord(5, {60, 0, 127}, index);
    case 10:
      return makeRecord(13, {0, 1, 9}, index);
    case 11:
      return makeRecord(14, {1}, index);
    case 12:
      return makeRecord(19, {0xFA}, index);
    case 13:
      return makeRecord(24, {}, index);
    case 14:
      return makeRecord(12, {v}, index);
    default:
      return makeRecord(11, {1, 2}, index);
  }
}

void fillPatch(CPatch& patch) {
  Str255 title;
  LString::FromStd("Studio Rig <Live> & More", title);
  patch.SetPatchTitle(title);
  for (long index = 0; index < kControllerCount; ++index) {
    patch.SetParam(index, nullptr);
    const SPatchParam param = makeAssignment(index);
    patch.SetParam(index, &param);
  }
}

fs::path benchFolder() {
  std::error_code error;
  if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
  return fs::temp_directory_path();
}

void BM_HtmlListToMemory(benchmark::State& state) {
  CPatch patch;
  fillPatch(patch);
  CHTMLWriter writer(&patch);
  std::string html;
  for (auto _ : state) {
    html.clear();
    if (writer.OutputToMemory(html) != noErr) state.SkipWithError("output failed");
    benchmark::DoNotOptimize(html.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * html.size()));
  state.counters["bytes"] = static_cast<double>(html.size());
}
BENCHMARK(BM_HtmlListToMemory)->Unit(benchmark::kMicrosecond);

void BM_HtmlListToFile(benchmark::State& state) {
  CPatch patch;
  fillPatch(patch);
  CHTMLWriter writer(&patch);
  const fs::path target =
      benchFolder() / ("kvx-bench-" + std::to_string(::getpid()) + "-assign-list.html");
  const FSSpec fileSpec = FSSpec::FromPath(target);
  for (auto _ : state) {
    if (writer.OutputFile(fileSpec) != noErr) state.SkipWithError("output failed");
  }
  std::error_code error;
  state.counters["bytes"] = static_cast<double>(fs::file_size(target, error));
  fs::remove(target, error);
}
BENCHMARK(BM_HtmlListToFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
