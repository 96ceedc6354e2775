#pragma once
// What one update run did, or why it did nothing, for the operator who asked
// for it: while a run is under way every failure logged on its thread, and
// every file copied or offered, is also kept as a line of the run's outcome.
#include "platform/runtime/TCString.h"

class TUpdateOutcome {
public:
    // Starts keeping lines in text, in front of the installed log output
    // (inside another run's outcome, the outer one goes on keeping them).
    explicit TUpdateOutcome(TCString& text);
    // Stops; the log output installed before is back.
    ~TUpdateOutcome();
    TUpdateOutcome(const TUpdateOutcome&) = delete;
    TUpdateOutcome& operator=(const TUpdateOutcome&) = delete;

private:
    bool installed_ = false;
};

// Appends a line to an outcome text.
void addOutcomeLine(TCString& text, const char* line);
