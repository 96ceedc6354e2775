#include "html/viewer/HtmlObjectFactory.h"

#include "html/layout/ControlObjs.h"
#include "html/viewer/HtmlForms.h"
#include "html/viewer/PanelObjs.h"

ThtmlObjectFactory::ThtmlObjectFactory() {
    FMakers.ByKind[size_t(ThtFormControlKind::Radio)] = [](TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                           TProperties* Prop) -> TFormControlObjBase* {
        return new TRadioButtonFormControlObj(Parent, Position, L, Prop);
    };
    FMakers.ByKind[size_t(ThtFormControlKind::Image)] = [](TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                           TProperties* Prop) -> TFormControlObjBase* {
        return new TImageFormControlObj(Parent, Position, L, Prop);
    };
    RegisterTypedFormControls(FMakers);
}

std::unique_ptr<ThtmlFormBase> ThtmlObjectFactory::CreateForm(ThtDocument* Document, TAttributeList* Attributes) {
    return std::make_unique<ThtmlForm>(Document, Attributes);
}

TFormControlObjBase* ThtmlObjectFactory::CreateFormControl(ThtFormControlKind Kind, TCellBasic* Parent,
                                                           int32_t Position, TAttributeList* L, TProperties* Prop) {
    const size_t index = size_t(Kind);
    if (index >= FMakers.ByKind.size() || !FMakers.ByKind[index]) return nullptr;
    // The control joins its form, which frees it.
    return FMakers.ByKind[index](Parent, Position, L, Prop);
}

TFormControlObjBase* ThtmlObjectFactory::CreateBrowseButton(TFormControlObjBase* Edit, TCellBasic* Parent,
                                                            int32_t Position, TAttributeList* L, TProperties* Prop) {
    return FMakers.Browse ? FMakers.Browse(Edit, Parent, Position, L, Prop) : nullptr;
}

std::unique_ptr<TControlObj> ThtmlObjectFactory::CreatePanel(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                             TProperties* Prop, bool ObjectTag) {
    return std::make_unique<TPanelObj>(Parent, Position, L, Prop, ObjectTag);
}

std::unique_ptr<TControlObj> ThtmlObjectFactory::CreateProgress(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                                TProperties* Prop) {
    return std::make_unique<TProgressObj>(Parent, Position, L, Prop);
}

std::unique_ptr<TControlObj> ThtmlObjectFactory::CreateMeter(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                             TProperties* Prop) {
    return std::make_unique<TMeterObj>(Parent, Position, L, Prop);
}
