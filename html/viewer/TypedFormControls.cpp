#include "html/viewer/HtmlObjectFactory.h"

void RegisterTypedFormControls(ThtFormControlMakers&) {
    // Still to come: edits, buttons, hidden fields, check boxes, lists, drop-downs, text areas and browse buttons.
}
