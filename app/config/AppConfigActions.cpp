#include "app/config/AppConfigActions.h"

#include "platform/core/config/Profiles.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Translation.h"

TActionList* makeNewKeysActions(TNotifyEvent onExecute, TNotifyEvent onUpdate) {
    EnsureApplication();
    TComponent* owner = Application->MainForm();
    if (!owner) owner = Application;
    auto* list = new TActionList(owner);
    const TCXProfilesList& items = _newKeysItemList();
    for (int i = 0; i < items.count(); ++i) {
        TCXProfileDescriptor* item = items.at(i);
        auto* a = new TAction(list);
        const TCString caption = item->getCaption();
        a->SetCaption(caption.str());
        a->SetTag(reinterpret_cast<intptr_t>(item));
        a->SetActionList(list);
        const TCString fmt = zrnTranslateString("Создать стартовый контекст для нового %s");
        a->SetHint(TCString::format(fmt.c_str(), caption.c_str()).str());
        a->OnExecute = onExecute;
        a->OnUpdate = onUpdate;
    }
    return list;
}

void addActionMenuItems(TActionList* list, TMenuItem* item) {
    if (!list || !item) return;
    for (int i = 0; i < list->ActionCount(); ++i) {
        auto* mi = new TMenuItem(item);
        mi->SetAction(list->Actions(i));
        item->Add(mi);
    }
}

void attachNewKeysActions(TActionList* list, TMenuItem* item, TToolButton* button) {
    if (list && list->ActionCount() > 0) {
        addActionMenuItems(list, item);
        if (button) {
            auto* menu = new TPopupMenu(button);
            addActionMenuItems(list, menu->Items());
            button->SetDropdownMenu(menu);
            button->SetStyle(tbsDropDown);
        }
    } else {
        if (item) item->SetVisible(false);
        if (button) button->SetEnabled(false);
    }
}

TCXProfileDescriptor* newKeysItemOf(TObject* sender) {
    auto* a = dynamic_cast<TAction*>(sender);
    if (!a) return nullptr;
    auto* p = reinterpret_cast<TCXProfileDescriptor*>(a->Tag());
    const TCXProfilesList& items = _newKeysItemList();
    for (int i = 0; i < items.count(); ++i)
        if (items.at(i) == p) return p;
    return nullptr;
}
