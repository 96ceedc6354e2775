#include "requests/SelectUserObject.h"

namespace {
// Stand-in until the object list window exists: nothing is chosen.
bool chooseNothing(TCString*, bool) { return false; }
TSelectUserObjectFunc gSelect = chooseNothing;
}  // namespace

bool selectUserObject(TCString* extensionFormat, bool editable) { return gSelect(extensionFormat, editable); }

TSelectUserObjectFunc setSelectUserObject(TSelectUserObjectFunc func) {
    TSelectUserObjectFunc old = gSelect;
    gSelect = func ? func : chooseNothing;
    return old;
}
