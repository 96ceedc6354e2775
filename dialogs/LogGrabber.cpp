#include "dialogs/LogGrabber.h"

namespace {

TCLogGrabber* g_current = nullptr;
// The output that was installed when the chain's first grabber started.
KV_HLogOutFunc g_chainOutput = nullptr;

}  // namespace

TCLogGrabber* currentLogGrabber() { return g_current; }

int logGrabberHook(uint32_t code, const char* text) {
    if (g_current) return g_current->record(code, text);
    // No grabber left but the hook still installed (another output chained
    // above it): records still reach the replaced output.
    if (g_chainOutput && g_chainOutput != logGrabberHook) return g_chainOutput(code, text);
    return 0;
}

TCLogGrabber::TCLogGrabber() { start(true); }

TCLogGrabber::~TCLogGrabber() { stop(true); }

KV_HLogOutFunc TCLogGrabber::replacedOutput() const { return g_chainOutput; }

void TCLogGrabber::start(bool clear) {
    if (active_) return;
    if (clear) lines_.freeAll();
    prev_ = g_current;
    g_current = this;
    active_ = true;
    if (!prev_) {
        KV_HLogOutFunc old = csSetKV_HLogOutFunc(logGrabberHook);
        if (old != logGrabberHook) g_chainOutput = old;
    }
}

void TCLogGrabber::stop(bool clear) {
    if (clear) lines_.freeAll();
    if (!active_) return;
    active_ = false;
    if (g_current == this) {
        g_current = prev_;
    } else {
        // Stopped out of order: unlink from the grabber above.
        for (TCLogGrabber* g = g_current; g; g = g->prev_)
            if (g->prev_ == this) {
                g->prev_ = prev_;
                break;
            }
    }
    prev_ = nullptr;
    if (!g_current) {
        // The chain is empty: give the replaced output back, unless some other
        // output has been installed above the hook meanwhile (it keeps
        // chaining into the hook, which forwards to the replaced output).
        KV_HLogOutFunc installed = csSetKV_HLogOutFunc(g_chainOutput);
        if (installed != logGrabberHook) csSetKV_HLogOutFunc(installed);
        else g_chainOutput = nullptr;
    }
}

int TCLogGrabber::record(uint32_t code, const char* text) {
    lines_.add(text ? text : "", static_cast<uintptr_t>(code));
    if (prev_) return prev_->record(code, text);
    if (g_chainOutput && g_chainOutput != logGrabberHook) return g_chainOutput(code, text);
    return 0;
}
