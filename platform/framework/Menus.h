// Main and pop-up menus over QMenuBar / QMenu.
#pragma once

#include <initializer_list>
#include <vector>

#include "platform/framework/ActnList.h"
#include "platform/framework/Classes.h"

class QAction;
class QMenu;
class QMenuBar;
class TMenu;

class TMenuItem : public TComponent, public TActionClient {
    DECLARE_CLASS(TMenuItem)
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the other radio items of its group.
    void SetChecked(bool v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool v);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; }
    int ShortCut() const { return FShortCut; }
    void SetShortCut(int v);
    String Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    TBasicAction* Action() const { return FAction; }
    void SetAction(TBasicAction* a);
    bool IsLine() const { return FCaption == "-"; }

    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int i) const { return FItems.at(size_t(i)); }
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    void Delete(int index);  // removes and frees
    void Clear();            // frees every sub-item
    // Creates a sub-item at run time, bound to an action, at the end; it
    // belongs to this item's owner and goes with Clear or Delete.
    TMenuItem* AddActionItem(TBasicAction* action, int imageIndex = -1);
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Find(const String& caption) const;  // without '&', case-insensitive
    TMenu* GetParentMenu() const;

    virtual void Click();
    TNotifyEvent OnClick;
    // Runs OnUpdate of the sub-items' actions (before the sub-menu shows).
    void UpdateItemActions();

    void ActionChanged(TBasicAction* a) override;
    void ActionDestroyed(TBasicAction* a) override;
    // Qt side (platform code).
    QAction* QtAction() const { return FQAction; }
    QMenu* QtMenu() const { return FQMenu; }

private:
    friend class TMenu;
    void Changed();
    void Rebuild();
    void ApplyCheck();
    String FCaption, FHint;
    bool FChecked = false, FEnabled = true, FVisible = true, FRadioItem = false, FAutoCheck = false, FDefault = false;
    int FGroupIndex = 0, FShortCut = 0, FImageIndex = -1;
    TBasicAction* FAction = nullptr;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;  // set on a menu's root item
    std::vector<TMenuItem*> FItems;
    QAction* FQAction;
    QMenu* FQMenu = nullptr;
};

// Fills menu with one item per action, each owned by owner; a null action
// gives a separator. Appended, or inserted from index at on.
void addActionItems(TComponent* owner, TMenuItem* menu, std::initializer_list<TAction*> actions, int at = -1);

class TMenu : public TComponent {
    DECLARE_CLASS(TMenu)
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    TMenuItem* Items() const { return FItems; }
    // Called when the item tree changed, so that the window can refresh.
    virtual void MenuChanged() {}

protected:
    TMenuItem* FItems;
};

class TMainMenu : public TMenu {
    DECLARE_CLASS(TMainMenu)
    explicit TMainMenu(TComponent* AOwner);
    void MenuChanged() override;
    void FillMenuBar(QMenuBar* bar);
};

class TPopupMenu : public TMenu {
    DECLARE_CLASS(TPopupMenu)
    explicit TPopupMenu(TComponent* AOwner);
    // Shows the menu at screen coordinates; with a modal hook set, the hook
    // receives the menu instead (it may Click an item) and nothing is shown.
    virtual void Popup(int X, int Y);
    TComponent* PopupComponent = nullptr;
    bool AutoPopup = true;
    TNotifyEvent OnPopup;
};

// Strips the '&' accelerator marks of a caption ("&&" stays one '&').
String StripHotkey(const String& caption);
