// Runs a harness over saved inputs without libFuzzer: each argument is an
// input's file or a folder of them. A failing input stops the run as it
// stops libFuzzer, with the harness's report; at the end the count of inputs
// run is printed.

#include "FuzzSupport.h"

#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        if (fs::is_directory(path)) {
            for (const auto& item : fs::recursive_directory_iterator(path))
                if (item.is_regular_file())
                    inputs.push_back(item.path());
        } else {
            inputs.push_back(path);
        }
    }
    for (const fs::path& input : inputs) {
        const std::string bytes = ReadWholeFile(input);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs run\n", inputs.size());
    return 0;
}
