// Runs a fuzz target over the files of its corpus, for builds without libFuzzer.
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int RunFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    DIR* dir = opendir(argv[i]);
    if (dir == nullptr) {
      runs += RunFile(argv[i]);
      continue;
    }
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') runs += RunFile(std::string(argv[i]) + "/" + entry->d_name);
    }
    closedir(dir);
  }
  std::printf("%d inputs ran\n", runs);
  return runs > 0 ? 0 : 1;
}
