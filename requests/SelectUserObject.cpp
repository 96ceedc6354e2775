#include "requests/SelectUserObject.h"

#include "components/FormsTranslation.h"
#include "requests/ObjectIdList.h"
#include "requests/ObjectListForm.h"

bool selectUserObject(TCString* extensionFormat, bool editable) {
    auto* form = CreateComponent<TEditObjListForm>(Application);
    translateComponentProperties(form);
    bool ready = false;
    try {
        ready = form->setup(extensionFormat != nullptr, editable);
    } catch (...) {
        form->Free();
        throw;
    }
    if (!ready) {
        form->Free();
        return false;
    }
    TCString chosen;
    bool picked = false;
    const int result = ShowModalAndFree(form, {}, [&](int r) {
        if (r != mrOk) return;
        if (TZrXOIDNode* node = form->selectedNode()) {
            chosen = node->extensionFormat();
            picked = true;
        }
    });
    if (result != mrOk) return false;
    if (!extensionFormat) return true;
    // "Выбрать" without a chosen row hands the caller nothing to add.
    if (!picked) return false;
    *extensionFormat = chosen;
    return true;
}
