// Registry helpers over the framework's registry object (its current key
// open). Results: 0 for success, -1 for failure; registry errors never escape.
#pragma once

#include <cstdint>
#include <string>

#include "platform/framework/Classes.h"
#include "platform/framework/TRegistry.h"

int regWriteString(TRegistry* reg, const char* valueName, const char* text);
// Missing value: `def` (when given) is copied, truncated to the buffer, and
// the result is -1. A value of another type gives -1 and leaves the buffer
// alone. Otherwise at most size - 1 bytes are copied (never half a UTF-8
// character) and the buffer is always terminated.
int regReadString(TRegistry* reg, const char* valueName, char* buf, int size, const char* def);
// The whole text, whatever its length (same results as above).
int regReadString(TRegistry* reg, const char* valueName, std::string& out, const char* def);

int regReadInt(TRegistry* reg, const char* valueName, int32_t* value, int32_t def);
int regWriteInt(TRegistry* reg, const char* valueName, int32_t value);
// Reads at most `size` bytes; the result is the number of bytes read or -1.
int regReadBin(TRegistry* reg, const char* valueName, void* buf, int size);
int regWriteBin(TRegistry* reg, const char* valueName, const void* data, int size);
bool existRegistryEntry(TRegistry* reg, const char* valueName);
// A list is a count value "<name>_Count" and items "<name>_Value_<i>".
int regReadStringList(TRegistry* reg, const char* name, TStrings* list);
int regWriteStringList(TRegistry* reg, const char* name, const TStrings* list);
