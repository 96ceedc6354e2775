#include "update/UpdateOutcome.h"

#include <mutex>
#include <thread>

#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"

namespace {

constexpr KResult kCopied = 0x40800016u;
constexpr KResult kAvailable = 0x40800022u;

struct State {
    std::mutex lock;
    TCString* text = nullptr;
    std::thread::id thread;
    KV_HLogOutFunc previous = nullptr;
};

State& state() {
    static State s;
    return s;
}

int outcomeOutput(uint32_t code, const char* text) {
    State& s = state();
    KV_HLogOutFunc previous;
    {
        std::lock_guard<std::mutex> g(s.lock);
        previous = s.previous;
        // Records of other threads are no part of the run.
        if (s.text && std::this_thread::get_id() == s.thread &&
            (isFailure(code) || code == kCopied || code == kAvailable))
            addOutcomeLine(*s.text, text);
    }
    return previous ? previous(code, text) : 0;
}

}  // namespace

void addOutcomeLine(TCString& text, const char* line) {
    if (!text.isEmpty()) text += "\n";
    text += line ? line : "";
}

TUpdateOutcome::TUpdateOutcome(TCString& text) {
    State& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    if (s.text) return;
    installed_ = true;
    s.text = &text;
    s.thread = std::this_thread::get_id();
    s.previous = csSetKV_HLogOutFunc(outcomeOutput);
}

TUpdateOutcome::~TUpdateOutcome() {
    if (!installed_) return;
    State& s = state();
    std::lock_guard<std::mutex> g(s.lock);
    // An output installed over this one meanwhile stays.
    if (csGetHLogOutFunc() == outcomeOutput) csSetKV_HLogOutFunc(s.previous);
    s.text = nullptr;
    s.previous = nullptr;
}
