// make_patch_seeds OUT_FOLDER JSON...: writes each patch given as JSON as the patch file
// OUT_FOLDER/NAME.mid, the seeds of the patch file target.
#include "document/CPatch.h"
#include "export/CPatchJSON.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: make_patch_seeds OUT_FOLDER JSON...\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  for (int arg = 2; arg < argc; ++arg) {
    std::ifstream in(argv[arg], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    CPatch patch;
    CPatchJSON::SError error;
    if (!in || !CPatchJSON::FromText(text.str(), patch, error)) {
      std::cerr << "make_patch_seeds: " << argv[arg] << ": " << error.Message() << '\n';
      return 1;
    }
    const std::vector<std::uint8_t> bytes = patch.MakeSMFData();
    const std::filesystem::path out = folder / std::filesystem::path(argv[arg]).stem();
    std::ofstream(out.string() + ".mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return 0;
}
