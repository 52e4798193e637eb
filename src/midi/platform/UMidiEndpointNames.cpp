#include "midi/platform/UMidiEndpointNames.h"

#include <bit>
#include <cstdint>
#include <map>
#include <regex>

namespace {

// FNV-1a, 32 bits: small, well spread and the same on every machine and run.
constexpr std::uint32_t kFnvOffset = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

std::uint32_t HashBytes(std::uint32_t hash, std::string_view bytes) {
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= kFnvPrime;
  }
  return hash;
}

std::string RemovePattern(std::string text, const std::regex& pattern) {
  return std::regex_replace(text, pattern, "");
}

}  // namespace

std::string UMidiEndpointNames::StableName(std::string_view systemName) {
  static const std::regex kAlsaAddress(R"( +\d+:\d+$)");
  static const std::regex kBracketNumber(R"( *\[\d+\])");
  static const std::regex kJackClashSuffix(R"(-\d\d$)");

  std::string name = RemovePattern(std::string(systemName), kAlsaAddress);
  name = RemovePattern(name, kBracketNumber);
  const auto colon = name.find(':');
  if (colon == std::string::npos) return name;
  const std::string client = RemovePattern(name.substr(0, colon), kJackClashSuffix);
  return client + name.substr(colon);
}

std::string UMidiEndpointNames::DisplayName(std::string_view stableName) {
  const auto colon = stableName.find(':');
  if (colon == std::string_view::npos) return std::string(stableName);
  const std::string_view client = stableName.substr(0, colon);
  const std::string_view port = stableName.substr(colon + 1);
  if (client.empty() || port.starts_with(client)) return std::string(port);
  return std::string(stableName);
}

MIDIUniqueID UMidiEndpointNames::MakeUniqueID(EMidiDirection direction,
                                              std::string_view stableName, unsigned occurrence) {
  std::uint32_t hash = HashBytes(kFnvOffset, direction == EMidiDirection::Source ? "src:" : "dst:");
  hash = HashBytes(hash, stableName);
  // A control character separates the counter, so that no name can imitate a counted one.
  if (occurrence > 0) hash = HashBytes(hash, "\x1f" + std::to_string(occurrence));
  if (hash == 0) hash = 1;
  return std::bit_cast<MIDIUniqueID>(hash);
}

std::vector<MIDIUniqueID> UMidiEndpointNames::AssignUniqueIDs(
    EMidiDirection direction, const std::vector<std::string>& stableNames) {
  std::map<std::string, unsigned> seen;
  std::vector<MIDIUniqueID> ids;
  ids.reserve(stableNames.size());
  for (const auto& name : stableNames) ids.push_back(MakeUniqueID(direction, name, seen[name]++));
  return ids;
}
