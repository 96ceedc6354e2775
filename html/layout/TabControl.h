#pragma once
// The hidden 1 × 1 control that gives a link its keyboard tab stop: it sits
// at X -4000 on the document's paint panel, takes the focus by Tab and gets
// the arrow keys (Tab itself moves on). Its owner (a font run) frees it;
// when the panel frees it first, OnGone tells the owner.
#include <functional>

#include "platform/framework/Controls.h"

class ThtTabControl : public TCustomControl {
    DECLARE_CLASS(ThtTabControl)
    explicit ThtTabControl(TComponent* AOwner);
    ~ThtTabControl() override;

    std::function<void(ThtTabControl* Sender)> OnGone;
};
