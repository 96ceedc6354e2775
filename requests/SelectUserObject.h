#pragma once
// Choosing one object of the user object list: opens the list window on the
// program's list, in select mode when extensionFormat is given and in edit
// mode when editable. True when the window was closed with "Выбрать" (and,
// in select mode, an object was chosen: its extension format is then in
// extensionFormat).
#include "platform/runtime/TCString.h"

bool selectUserObject(TCString* extensionFormat, bool editable);
