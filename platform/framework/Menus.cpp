#include "platform/framework/Menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

String StripHotkey(const String& caption) {
    String out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

IMPLEMENT_CLASS(TMenuItem, TComponent) {
    r.Object<TBasicAction>("Action", &TMenuItem::Action, &TMenuItem::SetAction);
    r.Boolean("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck);
    r.Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    r.Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
    r.Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault);
    r.Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
    r.Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex);
    r.Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    r.Integer("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex);
    r.Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem);
    r.Integer("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut);
    r.Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    EnsureApplication();
    FQAction = new QAction;
    QObject::connect(FQAction, &QAction::triggered, FQAction, [this] {
        // Qt toggles checkable actions itself; the framework leaves Checked alone.
        ApplyCheck();
        dispatchGuarded(this, [this] { Click(); });
    });
}

TMenuItem::~TMenuItem() {
    Destroying();
    SetAction(nullptr);
    while (!FItems.empty()) {
        TMenuItem* c = FItems.back();
        c->Free();
        if (!FItems.empty() && FItems.back() == c) FItems.pop_back();
    }
    if (FParent) FParent->Remove(this);
    if (insideDispatch()) {
        FQAction->deleteLater();
        if (FQMenu) FQMenu->deleteLater();
    } else {
        delete FQAction;
        delete FQMenu;
    }
}

void TMenuItem::Changed() {
    // A separator is a line: a text would make it a titled section.
    FQAction->setText(IsLine() ? QString() : toQ(FCaption));
    FQAction->setSeparator(IsLine());
    FQAction->setEnabled(FEnabled);
    FQAction->setVisible(FVisible);
    FQAction->setStatusTip(toQ(GetLongHint(FHint)));
    QFont f = FQAction->font();
    f.setBold(FDefault);
    FQAction->setFont(f);
    FQAction->setShortcut(FShortCut
                              ? QKeySequence::fromString(toQ(ShortCutToText(FShortCut)), QKeySequence::PortableText)
                              : QKeySequence());
    ApplyCheck();
}

void TMenuItem::ApplyCheck() {
    FQAction->setCheckable(FChecked || FRadioItem || FAutoCheck);
    FQAction->setChecked(FChecked);
}

void TMenuItem::SetCaption(const String& v) {
    FCaption = v;
    Changed();
    if (FParent) FParent->Rebuild();
}
void TMenuItem::SetEnabled(bool v) {
    FEnabled = v;
    Changed();
}
void TMenuItem::SetVisible(bool v) {
    FVisible = v;
    Changed();
}
void TMenuItem::SetGroupIndex(int v) { FGroupIndex = v; }
void TMenuItem::SetRadioItem(bool v) {
    FRadioItem = v;
    ApplyCheck();
}
void TMenuItem::SetShortCut(int v) {
    FShortCut = v;
    Changed();
}
void TMenuItem::SetDefault(bool v) {
    FDefault = v;
    Changed();
}

void TMenuItem::SetChecked(bool v) {
    FChecked = v;
    if (v && FRadioItem && FParent)
        for (TMenuItem* s : FParent->FItems)
            if (s != this && s->FRadioItem && s->FGroupIndex == FGroupIndex && s->FChecked) {
                s->FChecked = false;
                s->ApplyCheck();
            }
    ApplyCheck();
}

void TMenuItem::SetAction(TBasicAction* a) { LinkAction(FAction, a); }

void TMenuItem::ActionChanged(TBasicAction* a) {
    auto* act = dynamic_cast<TAction*>(a);
    if (!act) return;
    FCaption = act->Caption();
    FChecked = act->Checked();
    FEnabled = act->Enabled();
    FVisible = act->Visible();
    FHint = act->Hint();
    FShortCut = act->ShortCut();
    FAutoCheck = act->AutoCheck();
    Changed();
}

void TMenuItem::ActionDestroyed(TBasicAction* a) {
    if (FAction == a) FAction = nullptr;
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->FParent) throw EComponentError("Menu item is already inserted");
    index = std::clamp(index, 0, Count());
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    if (FQMenu && !IsDestroying()) {
        // The menu is there: the one item goes in at its place, instead of
        // every item being added again (menus are filled item by item).
        const size_t next = size_t(index) + 1;
        FQMenu->insertAction(next < FItems.size() ? FItems[next]->FQAction : nullptr, item->FQAction);
        if (TMenu* m = GetParentMenu())
            if (!FParent) m->MenuChanged();
        return;
    }
    Rebuild();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FParent = nullptr;
    if (!IsDestroying()) Rebuild();
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = FItems.at(size_t(index));
    item->Free();
}

void TMenuItem::Clear() {
    while (!FItems.empty()) FItems.back()->Free();
}

TMenuItem* TMenuItem::AddActionItem(TBasicAction* action, int imageIndex) {
    auto* item = new TMenuItem(Owner());
    item->SetAction(action);
    item->SetImageIndex(imageIndex);
    Add(item);
    return item;
}

void addActionItems(TComponent* owner, TMenuItem* menu, std::initializer_list<TAction*> actions, int at) {
    for (TAction* a : actions) {
        auto* mi = new TMenuItem(owner);
        if (a) mi->SetAction(a);
        else mi->SetCaption("-");
        if (at < 0) menu->Add(mi);
        else menu->Insert(at++, mi);
    }
}

TMenuItem* TMenuItem::Find(const String& caption) const {
    String want = StripHotkey(caption);
    for (TMenuItem* i : FItems)
        if (SameText(StripHotkey(i->FCaption), want)) return i;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* i = this;
    while (i->FParent) i = i->FParent;
    return i->FMenu;
}

void TMenuItem::Rebuild() {
    if (IsDestroying()) return;
    if (FItems.empty()) {
        if (FQMenu) {
            FQAction->setMenu(nullptr);
            FQMenu->deleteLater();
            FQMenu = nullptr;
        }
    } else {
        if (!FQMenu) {
            FQMenu = new QMenu;
            // Hidden items take their separators with them: no separator
            // opens or ends the menu, and no two follow each other.
            FQMenu->setSeparatorsCollapsible(true);
            FQMenu->setTitle(toQ(FCaption));
            QObject::connect(FQMenu, &QMenu::aboutToShow, FQMenu, [this] {
                // Opening a sub-menu counts as clicking its item, as in the
                // framework; its items' actions are brought up to date.
                dispatchGuarded(this, [this] {
                    fire(OnClick, this);
                    UpdateItemActions();
                });
            });
            FQAction->setMenu(FQMenu);
        }
        FQMenu->setTitle(toQ(FCaption));
        FQMenu->clear();
        for (TMenuItem* i : FItems) FQMenu->addAction(i->FQAction);
    }
    if (TMenu* m = GetParentMenu())
        if (!FParent) m->MenuChanged();
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck && !FAction) SetChecked(!FChecked);
    if (FAction) {
        FAction->ActionComponent = this;
        if (FAction->Execute()) return;
    }
    fire(OnClick, this);
}

// ---- menus

IMPLEMENT_CLASS(TMenu, TComponent) { r.Object<TMenuItem>("Items", &TMenu::Items, nullptr); }

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }
TMenu::~TMenu() {
    Destroying();
    FItems->FMenu = nullptr;
    FItems->Free();
}

IMPLEMENT_CLASS(TMainMenu, TMenu) {}
TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TMainMenu::MenuChanged() {
    if (IsDestroying() || !Screen) return;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Menu() == this) Screen->Forms(i)->MenuChanged();
}

void TMainMenu::FillMenuBar(QMenuBar* bar) {
    bar->clear();
    for (int i = 0; i < FItems->Count(); ++i) bar->addAction(FItems->Items(i)->QtAction());
}

IMPLEMENT_CLASS(TPopupMenu, TMenu) {}
TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TMenuItem::UpdateItemActions() {
    for (TMenuItem* i : FItems)
        if (i->FAction) i->FAction->Update();
}

void TPopupMenu::Popup(int X, int Y) {
    FItems->UpdateItemActions();
    fire(OnPopup, this);
    int r = 0;
    if (RunModalHook(this, r)) return;
    QMenu m;
    m.setSeparatorsCollapsible(true);
    for (int i = 0; i < FItems->Count(); ++i) m.addAction(FItems->Items(i)->QtAction());
    m.exec(QPoint(X, Y));
}
