#pragma once
// Calls posted to the user-interface thread: run later by the event loop,
// once the event being handled has finished, in the order they were posted.
// A call belongs to a component; when the component goes first, its pending
// calls are dropped and what they captured is freed.
#include <functional>

class TComponent;

// Runs Call for Target later; an exception from it goes to the
// application's exception handler.
void PostCall(TComponent* Target, std::function<void()> Call);
// Calls posted for Target and not run yet.
int PendingPostedCalls(const TComponent* Target);
