// The history edit for object identifiers in dotted decimal form.
#pragma once

#include "components/CompoundEdit.h"

// A full dotted-decimal check: at least two arcs, each a non-empty run of
// digits, the first 0 to 2, the second at most 39 under the first arcs 0 and 1.
bool isValidOidText(const String& text);

class TCOIDEdit : public TCompoundHistoryEdit {
    DECLARE_CLASS(TCOIDEdit)
    explicit TCOIDEdit(TComponent* AOwner);
    // Lets digits, '.' and control keys pass; any other character is dropped.
    static void filterKey(char32_t& Key);
    // The trimmed text is a dotted-decimal identifier.
    bool validate() const { return isValidOidText(getTextValue()); }
    void KeyPress(char32_t& Key) override;

protected:
    // Text that arrives otherwise (pasted, set) is filtered as well.
    void Change() override;

private:
    bool FFiltering = false;
};
