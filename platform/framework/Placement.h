#pragma once
// Placing controls by code: forms and frames that are built without a
// resource create each control, name it, parent it and set its bounds.
#include "platform/framework/Controls.h"
#include "platform/framework/StdCtrls.h"

template <class T>
T* placeControl(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
}

// A label whose size follows its caption: only its position is set.
inline TLabel* placeLabelAt(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int left,
                            int top) {
    auto* l = new TLabel(owner);
    l->SetName(name);
    l->SetParent(parent);
    l->SetCaption(caption);
    l->SetLeft(left);
    l->SetTop(top);
    return l;
}
