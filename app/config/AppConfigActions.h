#pragma once
// One action per new-key item of the application configuration, for the
// main window's "Создать ключи" menu.
#include "platform/framework/ActnList.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Menus.h"

class TCXProfileDescriptor;

// An action list owned by the main form (the application while there is
// none) with one action per new-key item: caption = the item's caption, Tag =
// the item (TCXProfileDescriptor*), hint "Создать стартовый контекст для нового %s".
TActionList* makeNewKeysActions(TNotifyEvent onExecute, TNotifyEvent onUpdate);
// One menu item per action under the item.
void addActionMenuItems(TActionList* list, TMenuItem* item);
// The menu items of the actions and, with a tool button, its drop-down menu
// (owned by the button) of the same actions; an empty list hides the menu
// item and disables the button.
void attachNewKeysActions(TActionList* list, TMenuItem* item, TToolButton* button = nullptr);
// The new-key item an action's Tag holds (null for another sender).
TCXProfileDescriptor* newKeysItemOf(TObject* sender);
