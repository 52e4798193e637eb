#include "device/UKVXMidiSystem.h"

#include "device/CKVXDevice.h"
#include "midi/platform/CMidiSystem.h"

std::unique_ptr<CMidiSystem> UKVXMidiSystem::Create(CMidiErrorRelay::Handler errorHandler) {
  CMidiSystem::Options options;
  options.builtInDevice = [] { return std::make_unique<CKVXDevice>(); };
  options.errorHandler = std::move(errorHandler);
  return std::make_unique<CMidiSystem>(std::move(options));
}
