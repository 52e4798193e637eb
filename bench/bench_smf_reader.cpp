// Reading a ~1 MB format-1 Standard MIDI File: CSMFReader against libsmf, both from the file on
// disk through every event in merged order. The file is generated here (several tracks of
// channel messages with and without running status, meta and SysEx events) and written to a
// temporary file for the run.

#include "document/CSMFReader.h"

#include "framework/core/FSSpec.h"

#include <benchmark/benchmark.h>
#include <smf.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kTrackCount = 8;
constexpr std::size_t kTrackSize = 128 * 1024;  // bytes of events per track, about
constexpr std::uint32_t kSeed = 20240601;

void appendBigEndian(Bytes& out, std::uint32_t value, int byteCount) {
  for (int shift = 8 * (byteCount - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void appendVariableLength(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[4];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0 && count < 4);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

// Builds one track's events and counts them.
class TrackBuilder {
 public:
  explicit TrackBuilder(std::uint32_t seed) : mRandom(seed) {}

  void Channel(std::uint32_t delta, std::uint8_t status, std::initializer_list<std::uint8_t> data) {
    appendVariableLength(mEvents, delta);
    // Running status only after a channel message with the same status, and not always.
    const bool running = status == mRunningStatus && Chance(70);
    if (!running) mEvents.push_back(status);
    mEvents.insert(mEvents.end(), data);
    mRunningStatus = status;
    ++mCount;
  }

  void Meta(std::uint32_t delta, std::uint8_t type, const Bytes& data) {
    appendVariableLength(mEvents, delta);
    mEvents.push_back(0xFF);
    mEvents.push_back(type);
    appendVariableLength(mEvents, static_cast<std::uint32_t>(data.size()));
    mEvents.insert(mEvents.end(), data.begin(), data.end());
    mRunningStatus = 0;  // an explicit status follows, as every reader expects
    ++mCount;
  }

  // `length` counts the whole message, F0 through F7 (at least 2).
  void SysEx(std::uint32_t delta, std::uint32_t length) {
    appendVariableLength(mEvents, delta);
    mEvents.push_back(0xF0);
    appendVariableLength(mEvents, length - 1);
    for (std::uint32_t i = 2; i < length; ++i) mEvents.push_back(Data());
    mEvents.push_back(0xF7);
    mRunningStatus = 0;
    ++mCount;
  }

  void RandomEvent() {
    const std::uint8_t channel = static_cast<std::uint8_t>(Uniform(0, 15));
    const std::uint32_t delta = Chance(40) ? 0 : Uniform(1, 400);  // one- and two-byte deltas
    const std::uint32_t kind = Uniform(0, 99);
    if (kind < 55) {
      Channel(delta, (Chance(50) ? 0x90 : 0x80) | channel, {Data(), Data()});
    } else if (kind < 70) {
      Channel(delta, 0xB0 | channel, {Data(), Data()});
    } else if (kind < 80) {
      Channel(delta, 0xE0 | channel, {Data(), Data()});
    } else if (kind < 85) {
      Channel(delta, 0xC0 | channel, {Data()});
    } else if (kind < 90) {
      Channel(delta, 0xD0 | channel, {Data()});
    } else if (kind < 93) {
      Channel(delta, 0xA0 | channel, {Data(), Data()});
    } else if (kind < 97) {
      Bytes text(Uniform(4, 40));
      for (auto& c : text) c = static_cast<std::uint8_t>('a' + Uniform(0, 25));
      Meta(delta, 0x01, text);
    } else {
      SysEx(delta, Uniform(8, 300));
    }
  }

  std::size_t Size() const { return mEvents.size(); }
  std::size_t Count() const { return mCount; }
  const Bytes& Events() const { return mEvents; }

 private:
  std::uint32_t Uniform(std::uint32_t low, std::uint32_t high) {
    return std::uniform_int_distribution<std::uint32_t>(low, high)(mRandom);
  }
  bool Chance(std::uint32_t percent) { return Uniform(0, 99) < percent; }
  std::uint8_t Data() { return static_cast<std::uint8_t>(Uniform(0, 127)); }

  std::mt19937 mRandom;
  Bytes mEvents;
  std::uint8_t mRunningStatus = 0;
  std::size_t mCount = 0;
};

struct SampleFile {
  std::filesystem::path path;
  std::size_t size = 0;
  std::size_t eventCount = 0;
};

SampleFile WriteSampleFile() {
  Bytes file = {'M', 'T', 'h', 'd'};
  appendBigEndian(file, 6, 4);
  appendBigEndian(file, 1, 2);  // format 1
  appendBigEndian(file, kTrackCount, 2);
  appendBigEndian(file, 96, 2);

  SampleFile sample;
  for (int t = 0; t < kTrackCount; ++t) {
    TrackBuilder track(kSeed + static_cast<std::uint32_t>(t));
    if (t == 0) track.Meta(0, 0x51, {0x07, 0xA1, 0x20});
    track.Meta(0, 0x03, Bytes{'T', 'r', 'a', 'c', 'k', static_cast<std::uint8_t>('1' + t)});
    while (track.Size() < kTrackSize) track.RandomEvent();
    track.Meta(8, 0x2F, {});
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    appendBigEndian(file, static_cast<std::uint32_t>(track.Size()), 4);
    file.insert(file.end(), track.Events().begin(), track.Events().end());
    sample.eventCount += track.Count();
  }

  sample.path = std::filesystem::temp_directory_path() /
                ("kvx-bench-smf-" + std::to_string(::getpid()) + ".mid");
  std::ofstream(sample.path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  sample.size = file.size();
  return sample;
}

const SampleFile& GetSampleFile() {
  static const SampleFile sample = WriteSampleFile();
  return sample;
}

void ReportRates(benchmark::State& state, std::size_t events) {
  const SampleFile& sample = GetSampleFile();
  state.counters["events"] = static_cast<double>(sample.eventCount);
  state.counters["events_per_second"] =
      benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sample.size));
}

void BM_ReadSMF_CSMFReader(benchmark::State& state) {
  const SampleFile& sample = GetSampleFile();
  const FSSpec fileSpec = FSSpec::FromPath(sample.path);
  std::size_t events = 0;
  for (auto _ : state) {
    CSMFReader reader;
    if (reader.OpenFile(fileSpec) != 0) {
      state.SkipWithError("CSMFReader could not open the file");
      return;
    }
    SSMFEvent event;
    std::size_t count = 0;
    while (reader.GetNextEvent(event)) {
      benchmark::DoNotOptimize(event.data[0]);
      ++count;
    }
    if (count != sample.eventCount || reader.GetReadError() != 0) {
      state.SkipWithError("CSMFReader read a different number of events");
      return;
    }
    events += count;
  }
  ReportRates(state, events);
}
BENCHMARK(BM_ReadSMF_CSMFReader)->Unit(benchmark::kMillisecond);

void BM_ReadSMF_libsmf(benchmark::State& state) {
  const SampleFile& sample = GetSampleFile();
  const std::string path = sample.path.string();
  std::size_t events = 0;
  for (auto _ : state) {
    smf_t* smf = smf_load(path.c_str());
    if (smf == nullptr) {
      state.SkipWithError("libsmf could not load the file");
      return;
    }
    std::size_t count = 0;
    while (smf_event_t* event = smf_get_next_event(smf)) {
      benchmark::DoNotOptimize(event->midi_buffer[0]);
      ++count;
    }
    smf_delete(smf);
    if (count != sample.eventCount) {
      state.SkipWithError("libsmf read a different number of events");
      return;
    }
    events += count;
  }
  ReportRates(state, events);
}
BENCHMARK(BM_ReadSMF_libsmf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove(GetSampleFile().path, ignored);
  return 0;
}
