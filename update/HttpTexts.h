#pragma once
// Names of WinHTTP error numbers and reason texts of HTTP statuses, for the
// download client's messages.
#include <cstdint>

// The SDK's constant name of a WinHTTP error number, "Unkn" for others.
const char* winHttpErrorName(int32_t number);
// The reason text of an HTTP status ("Not Found"), "Unknown Status" outside the table.
const char* httpStatusText(int status);
