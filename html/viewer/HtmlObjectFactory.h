#pragma once
// The object factory the viewer gives its document: forms, form controls,
// panels, progress bars and meters of html/viewer. Controls are made by
// makers registered per kind (RegisterTypedFormControls fills the typed
// ones); a kind without a maker makes nothing.
#include <array>
#include <cstddef>
#include <functional>
#include <memory>

#include "html/layout/ObjectFactory.h"

using TFormControlMaker =
    std::function<TFormControlObjBase*(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)>;
// The browse button of a file input, bound to its edit.
using TBrowseButtonMaker = std::function<TFormControlObjBase*(TFormControlObjBase* Edit, TCellBasic* Parent,
                                                              int32_t Position, TAttributeList* L, TProperties* Prop)>;

constexpr size_t FormControlKindCount = size_t(ThtFormControlKind::TextArea) + 1;

struct ThtFormControlMakers {
    std::array<TFormControlMaker, FormControlKindCount> ByKind;
    TBrowseButtonMaker Browse;
};

// Puts the makers of the typed controls (edits, buttons, hidden fields,
// check boxes, lists, drop-downs, text areas, browse buttons) in the table.
void RegisterTypedFormControls(ThtFormControlMakers& Makers);

class ThtmlObjectFactory : public ThtObjectFactory {
public:
    ThtmlObjectFactory();

    std::unique_ptr<ThtmlFormBase> CreateForm(ThtDocument* Document, TAttributeList* Attributes) override;
    TFormControlObjBase* CreateFormControl(ThtFormControlKind Kind, TCellBasic* Parent, int32_t Position,
                                           TAttributeList* L, TProperties* Prop) override;
    TFormControlObjBase* CreateBrowseButton(TFormControlObjBase* Edit, TCellBasic* Parent, int32_t Position,
                                            TAttributeList* L, TProperties* Prop) override;
    std::unique_ptr<TControlObj> CreatePanel(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                             bool ObjectTag) override;
    std::unique_ptr<TControlObj> CreateProgress(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                TProperties* Prop) override;
    std::unique_ptr<TControlObj> CreateMeter(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                             TProperties* Prop) override;

    const ThtFormControlMakers& Makers() const { return FMakers; }

private:
    ThtFormControlMakers FMakers;
};
