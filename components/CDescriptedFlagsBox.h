// A flags box whose items come from the core library's flag descriptor
// named like the component.
#pragma once

#include "components/CFlagsBox.h"

class TCDescriptedFlagsBox : public TCFlagsBox {
    DECLARE_CLASS(TCDescriptedFlagsBox)
    explicit TCDescriptedFlagsBox(TComponent* AOwner);
    // Sets the component name, then adds the descriptor's items (existing
    // values are renamed, not duplicated).
    void SetName(const String& name);
    bool ConvertValue() const { return FConvertValue; }
    void SetConvertValue(bool v) { FConvertValue = v; }
    // The empty text sets 0 and answers true; an unreadable text leaves the
    // value and answers false.
    bool setTextValue(const String& text) override;
    String getTextValue() const override;

private:
    bool FConvertValue = false;
};
