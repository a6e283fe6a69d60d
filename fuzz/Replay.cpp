// Feeds every file in the given folders to a harness's LLVMFuzzerTestOneInput, once each, in
// name order: linked with a harness instead of libFuzzer, it replays the committed seeds and
// past findings under the test build's sanitizers, so that a fixed finding stays fixed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : fs::directory_iterator(argv[i])) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  if (inputs.empty()) {
    std::cerr << "no inputs to replay\n";
    return 1;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::ifstream file(input, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    if (!file.eof() && file.fail()) {
      std::cerr << input << ": cannot be read\n";
      return 1;
    }
    std::cout << input.filename().string() << " (" << bytes.size() << " bytes)\n";
    // A copy of exactly its size, so that the sanitizers see any read past the end.
    const auto data = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
  }
  std::cout << inputs.size() << " inputs replayed\n";
  return 0;
}
