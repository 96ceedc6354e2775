// Any file reads without harm, and writing one key changes that key only:
// every other section reads back exactly as before.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win/NameFold.h"
#include "platform/win/PrivateProfile.h"

using namespace zrx::win;

namespace {

// One scratch folder per process, removed with everything in it (the file,
// and whatever the atomic writer leaves beside it) when the process ends.
struct ScratchFolder {
    std::string dir;
    ScratchFolder() {
        dir = "/tmp/zrx-profile-fuzz-XXXXXX";
        if (!mkdtemp(dir.data())) std::abort();
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

const std::string& scratchFile() {
    static const ScratchFolder folder;
    static const std::string path = folder.dir + "/fuzz.ini";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& file = scratchFile();
    {
        FILE* f = std::fopen(file.c_str(), "wb");
        if (!f) std::abort();
        if (size) std::fwrite(data, 1, size, f);  // data may be null when size is 0
        std::fclose(f);
    }
    const std::vector<std::string> names = profileSectionNames(file);
    std::vector<std::vector<std::pair<std::string, std::string>>> before;
    for (const std::string& n : names) {
        before.push_back(profileSectionValues(file, n));
        profileSectionHasKeys(file, n);
        char buf[16];
        GetPrivateProfileSectionA(n.c_str(), buf, sizeof buf, file.c_str());
        GetPrivateProfileStringA(n.c_str(), nullptr, "", buf, sizeof buf, file.c_str());
        unsigned char block[4];
        for (const auto& kv : before.back()) profileReadStruct(file, n, kv.first, block, sizeof block);
    }

    if (!profileWrite(file, "fuzz section", "fuzz key", "fuzz value")) std::abort();
    std::string v;
    if (!profileRead(file, "FUZZ SECTION", "FUZZ KEY", v) || v != "fuzz value") std::abort();
    for (size_t i = 0; i < names.size(); ++i) {
        if (sameName(names[i], "fuzz section")) continue;
        if (profileSectionValues(file, names[i]) != before[i]) std::abort();
    }
    return 0;
}
