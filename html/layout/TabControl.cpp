#include "html/layout/TabControl.h"

#include "platform/framework/Forms.h"

IMPLEMENT_CLASS(ThtTabControl, TCustomControl) {}

ThtTabControl::ThtTabControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(-4000, 0, 1, 1);
    SetTabStop(true);
}

ThtTabControl::~ThtTabControl() {
    // Leaving while focused: the form's active control becomes the parent.
    TWinControl* parent = Parent();
    if (parent && !parent->IsDestroying() && Focused())
        if (TCustomForm* form = ParentForm(); form && static_cast<TControl*>(form) != this)
            form->SetActiveControl(parent);
    if (OnGone) {
        auto gone = std::move(OnGone);
        OnGone = nullptr;
        gone(this);
    }
}
