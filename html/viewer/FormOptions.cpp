#include "html/viewer/FormOptions.h"

#include "html/text/HtmlText.h"

int ThtOptionStringList::AddOption(std::u16string_view Text, std::unique_ptr<TOptionObj> Option) {
    return AddObject(htmltext::toUtf8(Text), Option.release());
}

TOptionObj* ThtOptionStringList::Option(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return dynamic_cast<TOptionObj*>(GetObject(Index));
}

std::u16string ThtOptionStringList::GetText(int Index) const {
    return Index >= 0 && Index < Count() ? htmltext::fromUtf8(Get(Index)) : std::u16string();
}

std::u16string ThtOptionStringList::GetValue(int Index) const {
    const TOptionObj* o = Option(Index);
    return o ? o->Value : std::u16string();
}

bool ThtOptionStringList::GetSelected(int Index) const {
    const TOptionObj* o = Option(Index);
    return o && o->Selected;
}

void ThtOptionStringList::SetSelected(int Index, bool Value) {
    if (TOptionObj* o = Option(Index)) o->Selected = Value;
}

std::u16string ThtOptionStringList::GetAttribute(int Index, std::u16string_view Name) const {
    const TOptionObj* o = Option(Index);
    if (!o || !o->Attributes) return {};
    const int i = o->Attributes->IndexOfName(htmltext::toUtf8(Name));
    if (i < 0) return {};
    const String line = o->Attributes->Get(i);
    return htmltext::fromUtf8(String(line.substr(line.find('=') + 1)));
}
