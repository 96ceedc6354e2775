#pragma once
// The updates folder on the operator's request: emptying it (the update
// log stays), and the information page built from the versions file.
#include "platform/runtime/TCString.h"

// True when the folder was listed; entries that could not be deleted are
// reported one by one.
bool cleanUpdateCache();
// The HTML page of the installed revisions; left as it was when the
// versions file has a date but no modules.
void updateInfoHtml(TCString& out);
