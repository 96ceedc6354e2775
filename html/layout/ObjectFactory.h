#pragma once
// How text sections and the parser make the objects whose classes live above
// the document model (html/viewer): forms, form controls, panels, progress
// bars and meters. The viewer gives its document a factory that makes the
// real ones; the default makes none, so a document without it simply has no
// forms or control objects.
#include <cstdint>
#include <memory>

#include "html/layout/FormBase.h"

class TAttributeList;
class TCellBasic;
class TControlObj;
class TProperties;
class ThtDocument;

class ThtObjectFactory {
public:
    virtual ~ThtObjectFactory() = default;

    // A form for a FORM tag (Attributes may be null for the automatic form of
    // a control outside any form). The document keeps it (AddForm).
    virtual std::unique_ptr<ThtmlFormBase> CreateForm(ThtDocument* Document, TAttributeList* Attributes);
    // The control of a tag; it joins its form, which frees it. Null when none is made.
    virtual TFormControlObjBase* CreateFormControl(ThtFormControlKind Kind, TCellBasic* Parent, int32_t Position,
                                                   TAttributeList* L, TProperties* Prop);
    // The browse button that fills the edit of a file input.
    virtual TFormControlObjBase* CreateBrowseButton(TFormControlObjBase* Edit, TCellBasic* Parent, int32_t Position,
                                                    TAttributeList* L, TProperties* Prop);
    // Objects that sit in the text; the section that adds them owns them.
    // ObjectTag: the panel stands for an OBJECT element.
    virtual std::unique_ptr<TControlObj> CreatePanel(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                     TProperties* Prop, bool ObjectTag);
    virtual std::unique_ptr<TControlObj> CreateProgress(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                        TProperties* Prop);
    virtual std::unique_ptr<TControlObj> CreateMeter(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                     TProperties* Prop);
};

// The factory that makes nothing.
ThtObjectFactory& NoObjectFactory();
