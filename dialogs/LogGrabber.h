#pragma once
// Collects the log records of one operation for the result window while
// still passing every record on to the output it replaced (the daily log).
//
// Grabbers nest: a grabber started while another is current passes its
// records on to that one, which passes them on in turn; stopping restores
// the previous grabber (or, for the last one, the replaced output) whatever
// the order of the stops, so the daily log never loses a record.
#include <cstdint>

#include "platform/runtime/Log.h"
#include "platform/runtime/TCStringList.h"

class TCLogGrabber {
public:
    // Constructs and starts collecting (start with true).
    TCLogGrabber();
    // stop with true.
    ~TCLogGrabber();
    TCLogGrabber(const TCLogGrabber&) = delete;
    TCLogGrabber& operator=(const TCLogGrabber&) = delete;

    // Makes this grabber current (nothing when it already is active); with
    // clear the collected lines are dropped first.
    void start(bool clear);
    // With clear the lines are dropped; an active grabber leaves the chain.
    void stop(bool clear);
    // Keeps one record (its code attached to the line) and passes it on.
    int record(uint32_t code, const char* text);

    bool isActive() const { return active_; }
    const TCStringList& lines() const { return lines_; }
    TCStringList& lines() { return lines_; }
    // The output replaced when the first grabber of a chain started.
    KV_HLogOutFunc replacedOutput() const;

private:
    TCStringList lines_;
    TCLogGrabber* prev_ = nullptr;  // the grabber below this one in the chain
    bool active_ = false;
};

// The runtime library's log output while a grabber is current.
int logGrabberHook(uint32_t code, const char* text);
// The current (most recently started, still active) grabber, or null.
TCLogGrabber* currentLogGrabber();
