#include "html/layout/ObjectFactory.h"

#include "html/layout/ControlObjs.h"

std::unique_ptr<ThtmlFormBase> ThtObjectFactory::CreateForm(ThtDocument*, TAttributeList*) { return nullptr; }

TFormControlObjBase* ThtObjectFactory::CreateFormControl(ThtFormControlKind, TCellBasic*, int32_t, TAttributeList*,
                                                         TProperties*) {
    return nullptr;
}

TFormControlObjBase* ThtObjectFactory::CreateBrowseButton(TFormControlObjBase*, TCellBasic*, int32_t, TAttributeList*,
                                                          TProperties*) {
    return nullptr;
}

std::unique_ptr<TControlObj> ThtObjectFactory::CreatePanel(TCellBasic*, int32_t, TAttributeList*, TProperties*, bool) {
    return nullptr;
}

std::unique_ptr<TControlObj> ThtObjectFactory::CreateProgress(TCellBasic*, int32_t, TAttributeList*, TProperties*) {
    return nullptr;
}

std::unique_ptr<TControlObj> ThtObjectFactory::CreateMeter(TCellBasic*, int32_t, TAttributeList*, TProperties*) {
    return nullptr;
}

ThtObjectFactory& NoObjectFactory() {
    static ThtObjectFactory factory;
    return factory;
}
