// Runs a libFuzzer-style target over files, for compilers without libFuzzer:
// every argument is a file or a folder whose files are fed one by one.
// A file that cannot be read, or no input at all, fails the run: a corpus
// that went missing must not pass as tested.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", p.string().c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(arg)) {
                if (!e.is_regular_file()) continue;
                if (runFile(e.path())) ++count;
                else ok = false;
            }
        } else if (runFile(arg)) {
            ++count;
        } else {
            ok = false;
        }
    }
    std::printf("%d inputs run\n", count);
    return ok && count > 0 ? 0 : 1;
}
