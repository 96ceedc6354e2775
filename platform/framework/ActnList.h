// Actions: one command shared by menu items and buttons.
#pragma once

#include <vector>

#include "platform/framework/Classes.h"

class TBasicAction;

// Something that shows an action (a menu item, a button).
class TActionClient {
public:
    virtual ~TActionClient() = default;
    virtual void ActionChanged(TBasicAction* a) = 0;
    virtual void ActionDestroyed(TBasicAction* a) = 0;

protected:
    // Points `link` at `a`: the client leaves the old action, joins the new
    // one and takes its state.
    void LinkAction(TBasicAction*& link, TBasicAction* a);
};

class TCustomActionList;

class TBasicAction : public TComponent {
    DECLARE_CLASS(TBasicAction)
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;
    // OnExecute (the sender is the action); false when there is none.
    virtual bool Execute();
    virtual bool Update();
    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
    void RegisterClient(TActionClient* c);
    void UnregisterClient(TActionClient* c);
    TComponent* ActionComponent = nullptr;  // the component that fired it last
protected:
    void Changed();

private:
    std::vector<TActionClient*> FClients;
};

class TAction : public TBasicAction {
    DECLARE_CLASS(TAction)
    explicit TAction(TComponent* AOwner);
    ~TAction() override;
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    String Hint() const { return FHint; }
    void SetHint(const String& v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    int ShortCut() const { return FShortCut; }
    void SetShortCut(int v);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v) { FGroupIndex = v; }
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; }
    String Category() const { return FCategory; }
    void SetCategory(const String& v) { FCategory = v; }
    TCustomActionList* ActionList() const { return FList; }
    void SetActionList(TCustomActionList* l);
    bool Execute() override;
    // The list's OnUpdate first; OnUpdate of the action when the list did not handle it.
    bool Update() override;

private:
    friend class TCustomActionList;
    String FCaption, FHint, FCategory;
    bool FEnabled = true, FChecked = false, FVisible = true, FAutoCheck = false;
    int FImageIndex = -1, FShortCut = 0, FGroupIndex = 0;
    TCustomActionList* FList = nullptr;
};

class TCustomActionList : public TComponent {
    DECLARE_CLASS(TCustomActionList)
    explicit TCustomActionList(TComponent* AOwner);
    ~TCustomActionList() override;
    int ActionCount() const { return int(FActions.size()); }
    TAction* Actions(int i) const { return FActions.at(size_t(i)); }
    // Runs OnUpdate of every action (the application does this when idle,
    // for the lists and action clients of every shown form).
    void UpdateActions();
    std::function<void(TBasicAction* Action, bool& Handled)> OnExecute;
    std::function<void(TBasicAction* Action, bool& Handled)> OnUpdate;

private:
    friend class TAction;
    std::vector<TAction*> FActions;
};

class TActionList : public TCustomActionList {
    DECLARE_CLASS(TActionList)
    using TCustomActionList::TCustomActionList;
};

// A new action in list, owned by the list's owner: its name, caption, hint
// (none when null) and handlers (those given). How the program's windows
// make their actions.
TAction* makeAction(TCustomActionList* list, const char* name, const char* caption, const char* hint = nullptr,
                    TNotifyEvent execute = nullptr, TNotifyEvent update = nullptr);

// Shortcut as the framework encodes it: virtual key | scShift | scCtrl | scAlt.
constexpr int scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
int ShortCut(uint16_t Key, uint32_t Shift);  // Shift: ssShift/ssAlt/ssCtrl bits
String ShortCutToText(int sc);
int TextToShortCut(const String& text);
