#include "html/text/Properties.h"
#include "html/viewer/HtmlFormControls.h"
#include "html/viewer/HtmlObjectFactory.h"

namespace {

// A maker of the control class C for a kind of tag.
template <class C, class... Kind> TFormControlMaker maker(Kind... K) {
    return [K...](TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop) -> TFormControlObjBase* {
        return new C(Parent, Position, L, Prop, K...);
    };
}

}  // namespace

void RegisterTypedFormControls(ThtFormControlMakers& Makers) {
    using K = ThtFormControlKind;
    auto at = [&Makers](K Kind) -> TFormControlMaker& { return Makers.ByKind[size_t(Kind)]; };
    at(K::Edit) = maker<TEditFormControlObj>(K::Edit);
    at(K::FileEdit) = maker<TEditFormControlObj>(K::FileEdit);
    at(K::Button) = maker<TButtonFormControlObj>(K::Button);
    at(K::Browse) = maker<TButtonFormControlObj>(K::Browse);
    at(K::Hidden) = maker<THiddenFormControlObj>();
    at(K::CheckBox) = maker<TCheckBoxFormControlObj>();
    at(K::ListBox) = maker<TListBoxFormControlObj>();
    at(K::Combo) = maker<TComboFormControlObj>();
    at(K::TextArea) = maker<TTextAreaFormControlObj>();
    Makers.Browse = [](TFormControlObjBase* Edit, TCellBasic* Parent, int32_t Position, TAttributeList* L,
                       TProperties* Prop) -> TFormControlObjBase* {
        auto* button = new TButtonFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::Browse);
        button->MyEdit = dynamic_cast<TEditFormControlObj*>(Edit);
        return button;
    };
}
