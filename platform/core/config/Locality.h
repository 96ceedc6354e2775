#pragma once
// Localities with a special status in the owner's address.
#include "platform/runtime/TCString.h"

// True for the capital, a city with the status of a region: "Київ", "Киев",
// "Kyiv", "Kiev" in any case, with or without a "м."/"г."/"місто"/"город"
// prefix and surrounding blanks. The region of such a locality stays empty.
bool strIsKiev(const char* locality);
