#include "platform/framework/Buttons.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include "platform/framework/QtBridge.h"
#include "platform/runtime/Translation.h"

const TEnumInfo BitBtnKindInfo{
    "TBitBtnKind",
    {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"}};
const TEnumInfo ButtonLayoutInfo{"TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}};

IMPLEMENT_CLASS(TBitBtn, TButton) {
    r.Object<TBitmap>("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    r.Enum("Kind", BitBtnKindInfo, &TBitBtn::Kind, &TBitBtn::SetKind);
    r.Enum("Layout", ButtonLayoutInfo, &TBitBtn::Layout, &TBitBtn::SetLayout);
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap) {
    FGlyph->OnChange = [this](TObject*) { GlyphChanged(); };
}

TBitBtn::~TBitBtn() {
    FGlyph->OnChange = nullptr;
    delete FGlyph;
}

void TBitBtn::GlyphChanged() {
    auto* b = static_cast<QPushButton*>(Handle());
    if (!b) return;
    if (FGlyph->Empty()) {
        b->setIcon(QIcon());
        return;
    }
    b->setIcon(QIcon(QPixmap::fromImage(FGlyph->Image())));
    b->setIconSize(QSize(FGlyph->Width(), FGlyph->Height()));
}

void TBitBtn::SetKind(TBitBtnKind v) {
    FKind = v;
    struct K {
        const char* caption;
        TModalResult result;
    };
    static const K kinds[] = {
        {"", mrNone},   {"OK", mrOk},         {"Отмена", mrCancel},  {"&Справка", mrNone},    {"&Да", mrYes},
        {"&Нет", mrNo}, {"&Закрыть", mrNone}, {"Прервать", mrAbort}, {"&Повторить", mrRetry}, {"&Пропустить", mrIgnore},
        {"&Все", mrAll}};
    if (v == bkCustom) return;
    SetCaption(zrnTranslateString(kinds[v].caption).str());
    SetModalResult(kinds[v].result);
    if (v == bkOK || v == bkYes) SetDefault(true);
    if (v == bkCancel || v == bkNo) SetCancel(true);
}
