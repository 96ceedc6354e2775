#pragma once
// SoftHSM2 tokens made for one test in a temporary folder. The module reads
// SOFTHSM2_CONF when it is first initialised, so a test process uses one
// folder for its whole life (each test case runs as its own process).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/TempDir.h"

namespace zrxtest {

class SoftHsm {
public:
    SoftHsm() {
        std::filesystem::create_directories(dir_.path() / "tokens");
        writeFile(dir_.file("softhsm2.conf"), "directories.tokendir = " + dir_.file("tokens") +
                                                  "\nobjectstore.backend = file\nlog.level = ERROR\n"
                                                  "slots.removable = false\n");
        setenv("SOFTHSM2_CONF", dir_.file("softhsm2.conf").c_str(), 1);
    }

    // Initialises the free slot's token; answers false when softhsm2-util fails.
    bool initToken(const std::string& label, const std::string& soPin, const std::string& userPin) {
        return run("softhsm2-util --init-token --free --label " + quote(label) + " --so-pin " + quote(soPin) +
                   " --pin " + quote(userPin));
    }

    static bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

    static std::string quote(const std::string& s) {
        std::string out = "'";
        for (char c : s) {
            if (c == '\'') out += "'\\''";
            else out += c;
        }
        return out + "'";
    }

    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
};

}  // namespace zrxtest
