#include "platform/framework/ActnList.h"

#include <QKeySequence>

#include <algorithm>

#include "platform/framework/QtBridge.h"

IMPLEMENT_CLASS(TBasicAction, TComponent) {}

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
TBasicAction::~TBasicAction() {
    auto clients = std::move(FClients);
    FClients.clear();
    for (auto* c : clients) c->ActionDestroyed(this);
}
bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}
bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}
void TActionClient::LinkAction(TBasicAction*& link, TBasicAction* a) {
    if (a == link) return;
    if (link) link->UnregisterClient(this);
    link = a;
    if (a) {
        a->RegisterClient(this);
        ActionChanged(a);
    }
}

void TBasicAction::RegisterClient(TActionClient* c) {
    if (c && std::find(FClients.begin(), FClients.end(), c) == FClients.end()) FClients.push_back(c);
}
void TBasicAction::UnregisterClient(TActionClient* c) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), c), FClients.end());
}
void TBasicAction::Changed() {
    auto clients = FClients;
    for (auto* c : clients)
        if (std::find(FClients.begin(), FClients.end(), c) != FClients.end()) c->ActionChanged(this);
}

IMPLEMENT_CLASS(TAction, TBasicAction) {
    r.Boolean("AutoCheck", &TAction::AutoCheck, &TAction::SetAutoCheck);
    r.Str("Caption", &TAction::Caption, &TAction::SetCaption);
    r.Str("Category", &TAction::Category, &TAction::SetCategory);
    r.Boolean("Checked", &TAction::Checked, &TAction::SetChecked);
    r.Boolean("Enabled", &TAction::Enabled, &TAction::SetEnabled);
    r.Integer("GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex);
    r.Str("Hint", &TAction::Hint, &TAction::SetHint);
    r.Integer("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex);
    r.Integer("ShortCut", &TAction::ShortCut, &TAction::SetShortCut);
    r.Boolean("Visible", &TAction::Visible, &TAction::SetVisible);
}

TAction* makeAction(TCustomActionList* list, const char* name, const char* caption, const char* hint,
                    TNotifyEvent execute, TNotifyEvent update) {
    auto* a = new TAction(list->Owner());
    a->SetName(name);
    a->SetCaption(caption);
    if (hint) a->SetHint(hint);
    a->SetActionList(list);
    if (execute) a->OnExecute = std::move(execute);
    if (update) a->OnUpdate = std::move(update);
    return a;
}

TAction::TAction(TComponent* AOwner) : TBasicAction(AOwner) {
    if (auto* l = dynamic_cast<TCustomActionList*>(AOwner)) SetActionList(l);
}
TAction::~TAction() { SetActionList(nullptr); }
void TAction::SetActionList(TCustomActionList* l) {
    if (l == FList) return;
    if (FList) {
        auto& v = FList->FActions;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FList = l;
    if (l) l->FActions.push_back(this);
}
void TAction::SetCaption(const String& v) {
    if (v != FCaption) {
        FCaption = v;
        Changed();
    }
}
void TAction::SetHint(const String& v) {
    if (v != FHint) {
        FHint = v;
        Changed();
    }
}
void TAction::SetEnabled(bool v) {
    if (v != FEnabled) {
        FEnabled = v;
        Changed();
    }
}
void TAction::SetVisible(bool v) {
    if (v != FVisible) {
        FVisible = v;
        Changed();
    }
}
void TAction::SetImageIndex(int v) {
    if (v != FImageIndex) {
        FImageIndex = v;
        Changed();
    }
}
void TAction::SetShortCut(int v) {
    if (v != FShortCut) {
        FShortCut = v;
        Changed();
    }
}
void TAction::SetChecked(bool v) {
    if (v == FChecked) return;
    FChecked = v;
    // Checking one action of a group unchecks the others.
    if (v && FGroupIndex > 0 && FList)
        for (TAction* a : FList->FActions)
            if (a != this && a->FGroupIndex == FGroupIndex && a->FChecked) {
                a->FChecked = false;
                a->Changed();
            }
    Changed();
}
bool TAction::Execute() {
    if (!FEnabled) return false;
    if (FAutoCheck) SetChecked(!FChecked);
    if (FList && FList->OnExecute) {
        bool handled = false;
        FList->OnExecute(this, handled);
        if (handled) return true;
    }
    return TBasicAction::Execute();
}

IMPLEMENT_CLASS(TCustomActionList, TComponent) {}
IMPLEMENT_CLASS(TActionList, TCustomActionList) {}

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
TCustomActionList::~TCustomActionList() {
    for (TAction* a : FActions) a->FList = nullptr;
    FActions.clear();
}
bool TAction::Update() {
    if (FList && FList->OnUpdate) {
        bool handled = false;
        FList->OnUpdate(this, handled);
        if (handled) return true;
    }
    return TBasicAction::Update();
}

void TCustomActionList::UpdateActions() {
    auto actions = FActions;
    for (TAction* a : actions) a->Update();
}

int ShortCut(uint16_t Key, uint32_t Shift) {
    int sc = Key;
    if (Shift & 1) sc |= scShift;
    if (Shift & 2) sc |= scAlt;
    if (Shift & 4) sc |= scCtrl;
    return sc;
}

static int vkToQtKey(int vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
    if (vk >= 0x70 && vk <= 0x7B) return Qt::Key_F1 + (vk - 0x70);
    switch (vk) {
    case 8: return Qt::Key_Backspace;
    case 9: return Qt::Key_Tab;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 32: return Qt::Key_Space;
    case 33: return Qt::Key_PageUp;
    case 34: return Qt::Key_PageDown;
    case 35: return Qt::Key_End;
    case 36: return Qt::Key_Home;
    case 37: return Qt::Key_Left;
    case 38: return Qt::Key_Up;
    case 39: return Qt::Key_Right;
    case 40: return Qt::Key_Down;
    case 45: return Qt::Key_Insert;
    case 46: return Qt::Key_Delete;
    case 0x6B: return Qt::Key_Plus;
    case 0x6D: return Qt::Key_Minus;
    default: return 0;
    }
}

String ShortCutToText(int sc) {
    int k = vkToQtKey(sc & 0xFF);
    if (!k) return String();
    int mods = 0;
    if (sc & scShift) mods |= Qt::SHIFT;
    if (sc & scCtrl) mods |= Qt::CTRL;
    if (sc & scAlt) mods |= Qt::ALT;
    return fromQ(QKeySequence(k | mods).toString(QKeySequence::PortableText));
}

int TextToShortCut(const String& text) {
    QKeySequence seq = QKeySequence::fromString(toQ(text), QKeySequence::PortableText);
    if (seq.isEmpty()) return 0;
    QKeyCombination kc = seq[0];
    int key = kc.key();
    for (int vk = 1; vk < 256; ++vk)
        if (vkToQtKey(vk) == key) {
            int sc = vk;
            auto m = kc.keyboardModifiers();
            if (m & Qt::ShiftModifier) sc |= scShift;
            if (m & Qt::ControlModifier) sc |= scCtrl;
            if (m & Qt::AltModifier) sc |= scAlt;
            return sc;
        }
    return 0;
}
