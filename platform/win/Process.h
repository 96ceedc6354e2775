#pragma once
// Starting programs: the stand-in for CreateProcess as the updater uses it.
#include "platform/runtime/TCString.h"

// Makes the file executable for its owner and starts it with the caller's
// environment and folder, without waiting for it. 0 on success, else the
// system's error number with its text in errorText.
int startDetachedProcess(const char* path, TCString& errorText);
