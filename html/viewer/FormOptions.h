#pragma once
// The options of a select element: each line's text is what the list shows,
// its object the option's value, selection and tag attributes.
#include <memory>
#include <string>
#include <string_view>

#include "platform/framework/Classes.h"

class TOptionObj : public TObject {
public:
    std::u16string Value;
    bool Selected = false;
    std::unique_ptr<TStringList> Attributes;  // "NAME=value" lines of the option tag
};

class ThtOptionStringList : public TStringList {
public:
    ThtOptionStringList() { OwnsObjects = true; }

    // Adds a line for the option (the list takes it).
    int AddOption(std::u16string_view Text, std::unique_ptr<TOptionObj> Option);
    // Answers for an index outside the list are empty or false.
    std::u16string GetText(int Index) const;
    std::u16string GetValue(int Index) const;
    bool GetSelected(int Index) const;
    void SetSelected(int Index, bool Value);
    // The value of the option tag's attribute (by name, without regard to case).
    std::u16string GetAttribute(int Index, std::u16string_view Name) const;

private:
    TOptionObj* Option(int Index) const;
};
