#pragma once
// The main window's key-generation flags, which the request pages set
// before the keys are made.
#include "platform/runtime/TCFlags.h"

extern TCFlags<unsigned int> genFlags;

enum : unsigned int {
    kGenExcludeNonStandard = 0x80000,  // non-standard extensions are left out
    kGenSelfIssuedCert = 0x100000,     // a self-issued certificate is made
};
