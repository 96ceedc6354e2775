#pragma once
// Small helpers the program's dialogs use to place their controls by code.
#include "platform/framework/Placement.h"

inline TLabel* placeLabel(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int left,
                          int top) {
    auto* l = placeControl<TLabel>(owner, parent, name, left, top, 100, 16);
    l->SetCaption(caption);
    return l;
}

inline TButton* placeButton(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int left,
                            int top, int width, TModalResult result) {
    auto* b = placeControl<TButton>(owner, parent, name, left, top, width, 25);
    b->SetCaption(caption);
    b->SetModalResult(result);
    return b;
}
