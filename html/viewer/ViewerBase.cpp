#include "html/viewer/ViewerBase.h"

#include <algorithm>
#include <cmath>

#include "html/text/HtmlStrings.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Utf16.h"

const TEnumInfo HtQuirksModeInfo{"THtQuirksMode", {"qmDetect", "qmStandards", "qmQuirks"}};

IMPLEMENT_CLASS(ThtControlBase, TCustomControl) {}

ThtControlBase::ThtControlBase(TComponent* AOwner) : TCustomControl(AOwner) {}

IMPLEMENT_CLASS(TViewerBase, ThtControlBase) {
    r.Integer("CharSet", &TViewerBase::CharSet, &TViewerBase::SetCharSet);
    r.Integer("Cursor", &TViewerBase::Cursor, &TViewerBase::SetCursor);
    r.Integer("DefBackground", &TViewerBase::DefBackground, &TViewerBase::SetDefBackground);
    r.Integer("DefFontColor", &TViewerBase::DefFontColor, &TViewerBase::SetDefFontColor);
    r.Str("DefFontName", &TViewerBase::DefFontName, &TViewerBase::SetDefFontName);
    r.Integer("DefFontSize", &TViewerBase::DefFontSize, &TViewerBase::SetDefFontSize);
    r.Integer("DefHotSpotColor", &TViewerBase::DefHotSpotColor, &TViewerBase::SetDefHotSpotColor);
    r.Integer("DefOverLinkColor", &TViewerBase::DefOverLinkColor, &TViewerBase::SetDefOverLinkColor);
    r.Str("DefPreFontName", &TViewerBase::DefPreFontName, &TViewerBase::SetDefPreFontName);
    r.Integer("DefVisitedLinkColor", &TViewerBase::DefVisitedLinkColor, &TViewerBase::SetDefVisitedLinkColor);
    r.Integer("HistoryMaxCount", &TViewerBase::HistoryMaxCount, &TViewerBase::SetHistoryMaxCount);
    r.Integer("ImageCacheCount", &TViewerBase::ImageCacheCount, &TViewerBase::SetImageCacheCount);
    r.Integer("LoadCursor", &TViewerBase::LoadCursor, &TViewerBase::SetLoadCursor);
    r.Integer("MarginHeight", &TViewerBase::MarginHeight, &TViewerBase::SetMarginHeight);
    r.Integer("MarginWidth", &TViewerBase::MarginWidth, &TViewerBase::SetMarginWidth);
    r.Boolean("NoSelect", &TViewerBase::NoSelect, &TViewerBase::SetNoSelect);
    r.Float("PrintMarginBottom", &TViewerBase::PrintMarginBottom, &TViewerBase::SetPrintMarginBottom);
    r.Float("PrintMarginLeft", &TViewerBase::PrintMarginLeft, &TViewerBase::SetPrintMarginLeft);
    r.Float("PrintMarginRight", &TViewerBase::PrintMarginRight, &TViewerBase::SetPrintMarginRight);
    r.Float("PrintMarginTop", &TViewerBase::PrintMarginTop, &TViewerBase::SetPrintMarginTop);
    r.Integer("PrintMaxHPages", &TViewerBase::PrintMaxHPages, &TViewerBase::SetPrintMaxHPages);
    r.Float("PrintScale", &TViewerBase::PrintScale, &TViewerBase::SetPrintScale);
    r.Enum("QuirksMode", HtQuirksModeInfo, &TViewerBase::QuirksMode, &TViewerBase::SetQuirksMode);
    r.Str(
        "ServerRoot", [](TViewerBase* v) { return wc2ch(v->ServerRoot().c_str(), int(v->ServerRoot().size())).str(); },
        [](TViewerBase* v, const String& s) { v->SetServerRoot(zrx_utf8::toUtf16(s)); });
    r.Integer("VisitedMaxCount", &TViewerBase::VisitedMaxCount, &TViewerBase::SetVisitedMaxCount);
}

TViewerBase::TViewerBase(TComponent* AOwner) : ThtControlBase(AOwner) {
    SetPrintMarginLeft(2.0);
    SetPrintMarginRight(2.0);
    SetPrintMarginTop(2.0);
    SetPrintMarginBottom(2.0);
    SetPrintMaxHPages(2);
    SetPrintScale(1.0);
    SetCharSet(1);  // the default character set
    SetMarginHeight(5);
    SetMarginWidth(10);
    SetDefBackground(clBtnFace);
    SetDefFontColor(clBtnText);
    SetDefHotSpotColor(clBlue);
    SetDefVisitedLinkColor(clPurple);
    SetDefOverLinkColor(clBlue);
    SetVisitedMaxCount(50);
    SetDefFontSize(12);
    SetDefFontName("Times New Roman");
    SetDefPreFontName("Courier New");
    SetImageCacheCount(5);
    SetQuirksMode(qmStandards);
    SetLoadCursor(crHourGlass);
}

void TViewerBase::SetCursor(TCursor Value) { TControl::SetCursor(Value == 2 ? crIBeam : Value); }

void TViewerBase::SetHistoryMaxCount(int Value) {
    if (Value < 0) return;
    FHistoryMaxCount = Value;
}

void TViewerBase::SetImageCacheCount(int Value) { FImageCacheCount = std::clamp(Value, 0, 20); }

void TViewerBase::SetDefPreFontName(const String& Value) {
    if (SameText(Value, FPreFontName)) return;
    FPreFontName = Value;
}

void TViewerBase::SetPrintScale(double Value) {
    if (std::isnan(Value) || Value > 8.0) Value = 8.0;
    else if (Value < 0.125) Value = 0.125;
    FPrintScale = Value;
}

void TViewerBase::SetServerRoot(const std::u16string& Value) {
    std::u16string root = TrimString(Value);
    if (!root.empty() && (root.back() == u'/' || root.back() == u'\\')) root.pop_back();
    FServerRoot = std::move(root);
}

void TViewerBase::SetVisitedMaxCount(int Value) { FVisitedMaxCount = std::max(Value, 0); }

void TViewerBase::CopyViewerBase(const TViewerBase& Source) {
    SetCharSet(Source.CharSet());
    SetCodePage(Source.CodePage());
    SetDefBackground(Source.DefBackground());
    SetDefFontColor(Source.DefFontColor());
    SetDefFontName(Source.DefFontName());
    SetDefFontSize(Source.DefFontSize());
    SetDefHotSpotColor(Source.DefHotSpotColor());
    SetDefOverLinkColor(Source.DefOverLinkColor());
    SetDefPreFontName(Source.DefPreFontName());
    SetDefVisitedLinkColor(Source.DefVisitedLinkColor());
    SetLoadCursor(Source.LoadCursor());
    SetNoSelect(Source.NoSelect());
    SetServerRoot(Source.ServerRoot());
    SetMarginHeight(Source.MarginHeight());
    SetMarginWidth(Source.MarginWidth());
    SetPrintMarginBottom(Source.PrintMarginBottom());
    SetPrintMarginLeft(Source.PrintMarginLeft());
    SetPrintMarginRight(Source.PrintMarginRight());
    SetPrintMarginTop(Source.PrintMarginTop());
    SetPrintMaxHPages(Source.PrintMaxHPages());
    SetPrintScale(Source.PrintScale());
    FQuirksMode = Source.FQuirksMode;
    SetHistoryMaxCount(Source.HistoryMaxCount());
    SetImageCacheCount(Source.ImageCacheCount());
    SetVisitedMaxCount(Source.VisitedMaxCount());

    SetOnBitmapRequest(Source.OnBitmapRequest());
    SetOnDragDrop(Source.OnDragDrop());
    SetOnDragOver(Source.OnDragOver());
    SetOnHistoryChange(Source.OnHistoryChange());
    SetOnHotSpotTargetClick(Source.OnHotSpotTargetClick());
    SetOnHotSpotTargetCovered(Source.OnHotSpotTargetCovered());
    SetOnImageClick(Source.OnImageClick());
    SetOnImageOver(Source.OnImageOver());
    SetOnImageRequest(Source.OnImageRequest());
    SetOnImageRequested(Source.OnImageRequested());
    SetOnInclude(Source.OnInclude());
    SetOnLink(Source.OnLink());
    SetOnMeta(Source.OnMeta());
    SetOnMouseDouble(Source.OnMouseDouble());
    SetOnObjectBlur(Source.OnObjectBlur());
    SetOnObjectChange(Source.OnObjectChange());
    SetOnObjectClick(Source.OnObjectClick());
    SetOnObjectFocus(Source.OnObjectFocus());
    SetOnObjectTag(Source.OnObjectTag());
    SetOnPanelCreate(Source.OnPanelCreate());
    SetOnPanelDestroy(Source.OnPanelDestroy());
    SetOnPanelPrint(Source.OnPanelPrint());
    SetOnParseBegin(Source.OnParseBegin());
    SetOnParseEnd(Source.OnParseEnd());
    SetOnPrinted(Source.OnPrinted());
    SetOnPrintFooter(Source.OnPrintFooter());
    SetOnPrintHeader(Source.OnPrintHeader());
    SetOnPrinting(Source.OnPrinting());
    SetOnProcessing(Source.OnProcessing());
    SetOnProgress(Source.OnProgress());
    SetOnScript(Source.OnScript());
    SetOnSoundRequest(Source.OnSoundRequest());

    SetCursor(Source.Cursor());
    OnKeyDown = Source.OnKeyDown;
    OnKeyPress = Source.OnKeyPress;
    OnKeyUp = Source.OnKeyUp;
    OnMouseDown = Source.OnMouseDown;
    OnMouseMove = Source.OnMouseMove;
    OnMouseUp = Source.OnMouseUp;
}

IMPLEMENT_CLASS(THtmlViewerBase, TViewerBase) {}

THtmlViewerBase::THtmlViewerBase(TComponent* AOwner) : TViewerBase(AOwner) {}

IMPLEMENT_CLASS(THtmlFrameBase, ThtControlBase) {}

THtmlFrameBase::THtmlFrameBase(TComponent* AOwner) : ThtControlBase(AOwner) {}
