// Shared pieces of the component tests that build forms of edits.
#pragma once

#include <vector>

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"

// Message dialogs shown meanwhile: their texts, each answered with OK.
struct MessageCatcher {
    std::vector<String> texts;
    TModalHook old;
    MessageCatcher() {
        old = SetModalHook([this](TObject* w) {
            auto* f = dynamic_cast<TCustomForm*>(w);
            TComponent* m = f ? f->FindComponent("Message") : nullptr;
            texts.push_back(m ? static_cast<TControl*>(m)->Caption() : String("?"));
            return int(mrOk);
        });
    }
    ~MessageCatcher() { SetModalHook(old); }
};

// A named control of owner placed on parent.
template <class T> T* add(TComponent* owner, TWinControl* parent, const char* name) {
    T* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    return c;
}
