// The library's folders form layers: a source under src/<folder> includes
// headers of its own folder and of lower ones only.  Reads every file under
// src/ and fails on an include that reaches up, or on a folder that has no
// place in the order.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

// From the lowest layer up.
constexpr std::array<std::string_view, 12> kLayers = {
    "runtime", "frame", "files", "factor", "lpmodel", "presolve", "simplex", "lp", "mip",
    "conflict", "feasopt", "tuning"};

int layer_of(const std::string &folder) {
  for (size_t k = 0; k < kLayers.size(); ++k) {
    if (kLayers[k] == folder) return static_cast<int>(k);
  }
  return -1;
}

TEST(Layers, SourcesIncludeOnlyTheirOwnAndLowerFolders) {
  const fs::path src = fs::path(TAVLO_SOURCE_DIR) / "src";
  const std::regex include(R"(^\s*#\s*include\s*"([A-Za-z0-9_]+)/[^"]*")");
  int files = 0;
  for (const fs::directory_entry &dir : fs::directory_iterator(src)) {
    if (!dir.is_directory()) continue;
    const std::string folder = dir.path().filename().string();
    const int own = layer_of(folder);
    EXPECT_GE(own, 0) << "src/" << folder << " has no place in the layer order";
    for (const fs::directory_entry &file : fs::recursive_directory_iterator(dir.path())) {
      if (!file.is_regular_file()) continue;
      ++files;
      std::ifstream in(file.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (!std::regex_search(line, m, include)) continue;
        const int target = layer_of(m[1].str());
        EXPECT_TRUE(target >= 0 && target <= own)
            << fs::relative(file.path(), src).string() << ":" << number << " includes "
            << m[1].str() << "/ from " << folder << "/";
      }
    }
  }
  EXPECT_GT(files, 100);  // the tree was found
}

}  // namespace
