#pragma once
// Choosing one object of the user object-identifier list: the list window's
// select mode. Answers true when an object was chosen; its extension format
// goes into extensionFormat (when given). Replaceable: until the list window
// is built the stand-in chooses nothing.
#include "platform/runtime/TCString.h"

using TSelectUserObjectFunc = bool (*)(TCString* extensionFormat, bool editable);
bool selectUserObject(TCString* extensionFormat, bool editable);
// Installs a chooser (null restores the stand-in); answers the previous one.
TSelectUserObjectFunc setSelectUserObject(TSelectUserObjectFunc func);
