#pragma once
// Shell execution: opening a document or address with the program the
// desktop registers for it (xdg-open), behind a replaceable opener.
#include <functional>

// Opens `target` without waiting; 0 when the opener was started, else an
// error number.
using TShellOpener = std::function<int(const char* target)>;
// Puts another opener in place (tests); null restores xdg-open. Answers the
// previous one.
TShellOpener setShellOpener(TShellOpener opener);
int shellOpen(const char* target);
