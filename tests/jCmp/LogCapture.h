#pragma once
// Collects the runtime log's records while alive.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/Log.h"

namespace zrxtest {

struct LogRecord {
    uint32_t code;
    std::string text;
};

class LogCapture {
public:
    LogCapture() {
        previous_ = csSetKV_HLogOutFunc(&LogCapture::out);
        records().clear();
    }
    ~LogCapture() { csSetKV_HLogOutFunc(previous_); }
    static std::vector<LogRecord>& records() {
        static std::vector<LogRecord> r;
        return r;
    }
    static int out(uint32_t code, const char* text) {
        records().push_back({code, text ? text : ""});
        return 0;
    }

private:
    KV_HLogOutFunc previous_;
};

}  // namespace zrxtest
