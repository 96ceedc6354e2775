#include "html/layout/SizeableObjs.h"

#include <algorithm>
#include <cstdlib>

#include "html/layout/AttributeList.h"
#include "html/layout/Borders.h"
#include "html/layout/Document.h"
#include "html/layout/ImageSentinels.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"
#include "html/text/Margins.h"
#include "html/text/Properties.h"
#include "html/text/ScreenColors.h"
#include "platform/framework/Classes.h"
#include "platform/framework/DeviceContext.h"

using namespace htmltext;

namespace {

// a × b / c rounded (halves away from zero), saturated to 32 bits; c must not be 0.
int32_t mulDiv(int64_t A, int64_t B, int64_t C) {
    const int64_t p = A * B;
    const int64_t q = (std::llabs(p) + std::llabs(C) / 2) / std::llabs(C);
    const int64_t r = (p < 0) != (C < 0) ? -q : q;
    return int32_t(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

// The shared pending and broken pictures as the (non-owning) pointers objects hold.
ThtImagePtr sentinel(ThtImage& Image) { return ThtImagePtr(ThtImagePtr(), &Image); }
bool isPlaceholder(const ThtImage* Image) { return Image == &PendingImage() || Image == &BrokenImage(); }

std::u16string imageKey(std::u16string_view Name) { return UpperCaseString(trim(Name)); }

void startAnimation(ThtDocument* Doc, const std::shared_ptr<ThtGifImage>& Gif) {
    if (!Doc || !Gif || !Gif->Gif().IsAnimated()) return;
    Gif->Gif().SetAnimate(true);
    if (std::find(Doc->AGifList.begin(), Doc->AGifList.end(), Gif) == Doc->AGifList.end()) Doc->AGifList.push_back(Gif);
    if (Doc->Timer) Doc->Timer->SetEnabled(true);
}

void stopListing(ThtDocument* Doc, const std::shared_ptr<ThtGifImage>& Gif) {
    if (Doc && Gif) std::erase(Doc->AGifList, Gif);
}

}  // namespace

void AssignAltTextFont(TCanvas* Canvas) {
    static const std::u16string face = [] {
        std::u16string f = FindInstalledFont(u"Arial");
        return f.empty() ? std::u16string(u"Arial") : f;
    }();
    TFont* font = Canvas->Font();
    font->SetName(toUtf8(face));
    font->SetSize(8);
    font->SetStyle(0);
}

TColor DocumentThemedColor(const ThtDocument* Doc, TColor Color, TStyleElement Element) {
    const bool useTheme = !Doc || (Doc->FStyleElements & seSet(Element)) != 0;
    return TColor(uint32_t(ThemedColor(Color, useTheme)) | PalRelative);
}

// ---- sizeable objects

TSizeableObj::TSizeableObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TFloatingObj(Parent, Position, L, Prop) {
    bool hspace = false;
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case AlignSy: {
            const std::u16string s = UpperCaseString(trim(a->Name));
            if (s == u"TOP") {
                VertAlign = aTop;
            } else if (s == u"MIDDLE" || s == u"ABSMIDDLE") {
                VertAlign = aMiddle;
            } else if (s == u"LEFT" || s == u"RIGHT") {
                Floating = s == u"LEFT" ? aLeft : aRight;
                VertAlign = aNone;
            }
            break;
        }
        case HeightSy:
        case WidthSy: {
            const bool percent = a->Name.find(u'%') != std::u16string::npos;
            int32_t& spec = a->Which == HeightSy ? SpecHeight : SpecWidth;
            bool& isPercent = a->Which == HeightSy ? PercentHeight : PercentWidth;
            if (!percent) {
                spec = a->Value;
                isPercent = false;
            } else if (a->Value >= 0 && a->Value <= 100) {
                spec = a->Value;
                isPercent = true;
            }
            break;
        }
        case HSpaceSy:
            HSpaceL = int32_t(std::min<int64_t>(std::llabs(int64_t(a->Value)), 40));
            hspace = true;
            break;
        case VSpaceSy:
            // A negative space would lift the object over the text above it.
            VSpaceT = std::clamp(a->Value, 0, 40);
            break;
        default: break;
        }
    }
    const bool quirks = FDocument ? FDocument->UseQuirksMode() : Prop && Prop->UseQuirksMode();
    if (!hspace && quirks) {
        if (Floating == aLeft) {
            HSpaceL = 0;
            HSpaceR = 3;
        } else if (Floating == aRight) {
            HSpaceL = 3;
            HSpaceR = 0;
        }
    }
}

TSizeableObj::TSizeableObj(TCellBasic* Parent) : TFloatingObj(Parent, 0, nullptr, nullptr) { NoBorder = true; }

TSizeableObj::TSizeableObj(TCellBasic* Parent, const TSizeableObj& Source)
    : TFloatingObj(Parent, Source), FAlt(Source.FAlt), FClientHeight(Source.FClientHeight),
      FClientWidth(Source.FClientWidth), ClientSizeKnown(Source.ClientSizeKnown), SpecWidth(Source.SpecWidth),
      SpecHeight(Source.SpecHeight), Title(Source.Title), NoBorder(Source.NoBorder), BorderSize(Source.BorderSize) {}

void TSizeableObj::SetAlt(int, std::u16string_view Value) {
    while (!Value.empty() && (Value.back() == u'\n' || Value.back() == u'\r')) Value.remove_suffix(1);
    FAlt = Value;
}

void TSizeableObj::ProcessProperties(TProperties* Prop) {
    if (!Prop) return;
    ThtAlignmentStyle align = aNone;
    if (Prop->GetVertAlign(align)) VertAlign = align;
    ThtAlignmentStyle side = aNone;
    const bool floated = Prop->GetFloat(side) && (side == aLeft || side == aRight);
    if (floated) {
        Floating = side;
        VertAlign = aNone;
    }
    if (Title.empty()) Title = Prop->PropTitle;

    ThtVMarginArray values;
    Prop->GetVMarginArray(values);
    ThtMarginArray pixels;
    ConvertObjectMargins(values, 200, Prop->EmSize(), Prop->ExSize(), pixels);
    // A margin that was never set (or is "auto") keeps the space the
    // attributes gave.
    auto given = [](int32_t V) { return V != NoValueSentinel && V != AutoSentinel; };
    if (given(pixels[MarginLeft])) HSpaceL = pixels[MarginLeft];
    if (given(pixels[MarginRight])) HSpaceR = pixels[MarginRight];
    if (given(pixels[MarginTop])) VSpaceT = pixels[MarginTop];
    if (given(pixels[MarginBottom])) VSpaceB = pixels[MarginBottom];
    // A size set in the style replaces the attribute's; "auto" drops it; a
    // size the style leaves unset keeps it.
    auto size = [&](ThtPropertyIndex Index, int32_t& Spec, bool& Percent) {
        const ThtVariant& v = values[Index];
        if (VarIsStr(v) && lower(trim(VarStr(v))) == u"auto") {
            Percent = false;
            Spec = -1;
            return;
        }
        const int32_t px = pixels[Index];
        if (px == NoValueSentinel || px == AutoSentinel) return;
        Percent = VarIsStr(v) && VarStr(v).find(u'%') != std::u16string::npos;
        Spec = Percent ? mulDiv(px, 100, 200) : px;
    };
    size(piWidth, SpecWidth, PercentWidth);
    size(piHeight, SpecHeight, PercentHeight);
    if (floated) {
        Floating = side;
        VertAlign = aNone;
    }
    if (Prop->GetVertAlign(align)) VertAlign = align;

    if (Prop->BorderStyleNotBlank()) {
        NoBorder = true;
        BorderSize = 0;
    } else if (Prop->HasBorderStyle()) {
        HSpaceL += pixels[BorderLeftWidth];
        HSpaceR += pixels[BorderRightWidth];
        VSpaceT += pixels[BorderTopWidth];
        VSpaceB += pixels[BorderBottomWidth];
    }
    if (const ThtDisplayStyle d = Prop->GetDisplay(); d != pdUnassigned) FDisplay = d;
}

void TSizeableObj::CalcSize(int32_t AvailableWidth, int32_t AvailableHeight, bool SizeKnown, int32_t ImageHeight,
                            int32_t ImageWidth) {
    const bool hasWidth = SpecWidth >= 1, hasHeight = SpecHeight >= 1;
    // A picture without a width or a height has no shape to keep: a side
    // scaled from it is 0 (not known), never what a division by 0 gives.
    const bool shaped = ImageWidth > 0 && ImageHeight > 0;
    auto scaled = [&](int32_t Side, int32_t Num, int32_t Den) { return shaped ? mulDiv(Side, Num, Den) : 0; };
    int32_t w = 0, h = 0;
    if (PercentWidth && hasWidth) {
        w = mulDiv(AvailableWidth, SpecWidth, 100);
        if (!hasHeight) h = scaled(w, ImageHeight, ImageWidth);
        else if (PercentHeight) h = mulDiv(AvailableHeight, SpecHeight, 100);
        else h = SpecHeight;
    } else if (PercentHeight && hasHeight) {
        h = mulDiv(AvailableHeight, SpecHeight, 100);
        w = hasWidth ? SpecWidth : scaled(h, ImageWidth, ImageHeight);
    } else if (hasWidth && hasHeight) {
        w = SpecWidth;
        h = SpecHeight;
        ClientSizeKnown = true;
    } else {
        if (hasHeight) {
            h = SpecHeight;
            w = scaled(h, ImageWidth, ImageHeight);
        } else if (hasWidth) {
            w = SpecWidth;
            h = scaled(w, ImageHeight, ImageWidth);
        } else {
            w = std::max(ImageWidth, 0);
            h = std::max(ImageHeight, 0);
        }
        ClientSizeKnown = SizeKnown && shaped;
    }
    SetClientWidth(std::max(w, 0));
    SetClientHeight(std::max(h, 0));
}

bool TSizeableObj::PtInDrawRect(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) {
    if (FDisplay == pdNone) return false;
    const int64_t ix = int64_t(X) - DrawXX, iy = int64_t(Y) - DrawYY;
    if (ix < 0 || iy < 0 || ix >= int64_t(ClientWidth()) - 2 * BorderSize ||
        iy >= int64_t(ClientHeight()) - 2 * BorderSize)
        return false;
    IX = int32_t(ix);
    IY = int32_t(iy);
    return true;
}

void TSizeableObj::DrawInline(TCanvas*, int32_t X, int32_t, int32_t, TFontObj*) {
    if (!IsCopy()) DrawXX = X;
}

// ---- images

TImageObj::TImageObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TSizeableObj(Parent, Position, L, Prop) {
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case ActiveSy: FHoverImage = true; break;
        case AltSy:
            SetAlt(a->CodePage, a->Name);
            Title = FAlt;
            break;
        case BorderSy:
            NoBorder = a->Value == 0;
            BorderSize = std::clamp(a->Value, 0, 10);
            break;
        case IsMapSy: IsMap = true; break;
        case NameSy: RegisterName(trim(a->Name)); break;
        case SrcSy: FSource = trim(a->Name); break;
        case TranspSy: Transparent = LLCorner; break;
        case UseMapSy:
            UseMap = true;
            MapName = UpperCaseString(trim(a->Name));
            if (MapName.size() > 1 && MapName[0] == u'#') MapName.erase(0, 1);
            break;
        default: break;
        }
    }
    TAttribute* title = nullptr;
    if (L && L->Find(TitleSy, title) && title) Title = title->Name;
}

TImageObj::TImageObj(TCellBasic* Parent, std::u16string_view AnURL) : TSizeableObj(Parent), FSource(AnURL) {}

TImageObj::TImageObj(TCellBasic* Parent, const TImageObj& Source)
    : TSizeableObj(Parent, Source), FSource(Source.FSource), FImage(Source.FImage), OrigImage(Source.OrigImage),
      Transparent(Source.Transparent), FHover(Source.FHover), FHoverImage(Source.FHoverImage),
      AltHeight(Source.AltHeight), AltWidth(Source.AltWidth), ObjHeight(Source.ObjHeight), ObjWidth(Source.ObjWidth),
      IsMap(Source.IsMap), UseMap(Source.UseMap), MapName(Source.MapName), Swapped(Source.Swapped),
      Missing(Source.Missing) {}

TImageObj::~TImageObj() {
    // The document never keeps an image object that is gone.
    if (FDocument) {
        if (FDocument->ActiveImage == this) FDocument->ActiveImage = nullptr;
        std::erase_if(FDocument->MissingImages, [this](const ThtMissingImage& m) { return m.Image == this; });
        // Pictures themselves are shared and go with their last user.
        if (!IsCopy() && !FSource.empty() && OrigImage && FDocument->ImageCache)
            FDocument->ImageCache->DecUsage(toUtf8(imageKey(FSource)));
    }
}

std::unique_ptr<TSectionBase> TImageObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TImageObj(Parent, *this));
}

void TImageObj::TakeLoadedImage(ThtImagePtr Image, bool FromCache) {
    if (auto gif = std::dynamic_pointer_cast<ThtGifImage>(Image)) {
        // A cached GIF is shared: this object animates a copy of its own.
        if (FromCache) gif = gif->Clone();
        if (!FHoverImage) startAnimation(FDocument, gif);
        Image = gif;
    }
    FImage = Image;
    OrigImage = Image;
}

void TImageObj::DrawLogicInline(TCanvas* Canvas, TFontObj* FO, int32_t AvailableWidth, int32_t AvailableHeight) {
    if (FDisplay == pdNone) {
        ObjWidth = ObjHeight = 0;
        SetClientWidth(0);
        SetClientHeight(0);
        return;
    }
    ThtDocument* doc = FDocument;
    const bool showImages = !doc || doc->ShowImages;
    if (!showImages) {
        FImage = sentinel(PendingImage());
    } else if (!FImage && doc && !imageKey(FSource).empty()) {
        if (!doc->GetBitmap && !doc->GetImage) {
            if (doc->TheOwner) FSource = doc->TheOwner->HtmlExpandFilename(FSource);
        } else if (doc->ExpandName) {
            std::u16string expanded = FSource;
            doc->ExpandName(doc->Sender(), FSource, expanded);
            FSource = expanded;
        }
        const std::u16string name = imageKey(FSource);
        const bool waiting = std::any_of(doc->MissingImages.begin(), doc->MissingImages.end(),
                                         [&](const ThtMissingImage& m) { return m.Name == name; });
        ThtImagePtr loaded;
        if (!waiting) {
            bool fromCache = false, delay = false;
            loaded = doc->GetTheImage(FSource, Transparent, fromCache, delay);
            if (delay) Missing = true;
            if (loaded) TakeLoadedImage(loaded, fromCache);
        } else {
            Missing = true;
        }
        if (!loaded) {
            if (Missing) {
                FImage = sentinel(PendingImage());
                doc->MissingImages.push_back({name, this});
            } else {
                FImage = sentinel(BrokenImage());
            }
        }
    }
    const bool placeholder = isPlaceholder(FImage.get());

    if (!NoBorder && FO && !FO->URL().empty()) BorderSize = std::max(BorderSize, 1);
    if (!ClientSizeKnown || PercentWidth || PercentHeight) {
        const int32_t pw = FImage ? FImage->Width() : 0, ph = FImage ? FImage->Height() : 0;
        CalcSize(AvailableWidth, AvailableHeight, !placeholder, ph, pw);
        // A border wider than the object leaves no picture, never a negative one.
        ObjWidth = std::max(0, ClientWidth() - 2 * BorderSize);
        ObjHeight = std::max(0, ClientHeight() - 2 * BorderSize);
    }
    if (showImages && !placeholder) return;
    if (SpecWidth == -1 && SpecHeight == -1) {
        if (!FAlt.empty() && Canvas) {
            TFont saved;
            saved.Assign(Canvas->Font());
            AssignAltTextFont(Canvas);
            TRect r{0, 0, 0, 0};
            if (TDeviceContext* dc = Canvas->Handle()) dc->DrawText(FAlt + u"\r\n", r, DT_CALCRECT);
            Canvas->Font()->Assign(&saved);
            AltWidth = r.Width() + 26;
            AltHeight = std::max(24, r.Height());
        } else {
            AltWidth = std::max(ObjWidth, 24);
            AltHeight = std::max(ObjHeight, 24);
        }
        SetClientHeight(AltHeight + 2 * BorderSize);
        SetClientWidth(AltWidth + 2 * BorderSize);
    } else {
        AltWidth = ObjWidth;
        AltHeight = ObjHeight;
    }
}

void TImageObj::DoDraw(TCanvas* Canvas, int32_t XX, int32_t Y, ThtImage* ddImage) {
    if (!ddImage) return;
    int32_t w = ObjWidth, h = ObjHeight;
    const bool shared = isPlaceholder(ddImage);
    if (shared) {
        w = ddImage->Width();
        h = ddImage->Height();
    } else {
        ddImage->Transp = Transparent;  // the shared pictures keep their own
    }
    try {
        if (IsCopy()) ddImage->Print(Canvas, XX, Y, w, h, TColor(0xFFFFFF));
        else ddImage->Draw(Canvas, XX, Y, w, h);
    } catch (const Exception& e) {
        // A picture that cannot be drawn leaves its place empty; the failure is kept.
        LastDrawError() = ThtDrawError{e.Message(), ddImage};
    }
}

void TImageObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    ThtDocument* doc = FDocument;
    const int32_t yOff = doc ? doc->YOff : 0;
    Y -= yOff;
    YBaseline -= yOff;
    const bool showImages = !doc || doc->ShowImages;
    ThtImage* picture = showImages ? FImage.get() : &PendingImage();
    const bool placeholder = !showImages || isPlaceholder(picture);

    Canvas->Brush()->SetStyle(bsClear);
    AssignAltTextFont(Canvas);

    const int32_t descent = FO ? FO->Descent : 0, tmHeight = FO ? FO->tmHeight : 0;
    const int32_t midY = YBaseline + descent - tmHeight / 2 - (ClientHeight() + VSpaceB - VSpaceT) / 2;
    const bool isFloat = Floating == aLeft || Floating == aRight;
    const bool atMiddle = VertAlign == aMiddle, atBottom = VertAlign == aBaseline || VertAlign == aBottom;
    // The client area's top, by alignment (a float's picture is drawn at Y).
    const int32_t top = atMiddle ? midY : atBottom ? YBaseline - ClientHeight() - VSpaceB : Y + VSpaceT;
    DrawXX = X;
    DrawYY = isFloat ? Y : top;
    if (BorderSize > 0) {
        DrawXX += BorderSize;
        DrawYY += BorderSize;
    }
    if (!(placeholder && (AltWidth < 24 || AltHeight < 24))) {
        const int32_t d = placeholder ? 4 : 0;  // the small placeholder picture sits inside the alt box
        DoDraw(Canvas, DrawXX + d, DrawYY + d, picture);
    }
    DrawYY += yOff;
    TDeviceContext* dc = Canvas->Handle();
    if (dc) dc->SetTextAlign(0);

    const TColor fontColour = DocumentThemedColor(doc, FO ? FO->TheFont->Color() : clBlack, seFont);
    if (placeholder && BorderSize == 0) {
        const int32_t boxTop = atMiddle ? midY : atBottom ? YBaseline - VSpaceB - AltHeight : Y;
        Canvas->Font()->SetColor(fontColour);
        DrawWrappedText(Canvas, X + 24, boxTop + 4, X + AltWidth - 2, boxTop + AltHeight - 1, FAlt);
        RaisedRect(doc, Canvas, X, boxTop, X + AltWidth, boxTop + AltHeight, false, 1);
    }
    const TRect clientRect{X, top, X + ClientWidth(), top + ClientHeight()};
    if (BorderSize > 0) {
        TPen saved;
        saved.Assign(Canvas->Pen());
        Canvas->Pen()->SetColor(fontColour);
        Canvas->Pen()->SetWidth(BorderSize);
        Canvas->Pen()->SetStyle(psInsideFrame);
        Canvas->Font()->SetColor(fontColour);
        if (placeholder) {
            const int32_t canvasTop = DrawYY - yOff;
            DrawWrappedText(Canvas, DrawXX + 24, canvasTop + 4, DrawXX + AltWidth - 2, canvasTop + AltHeight - 1, FAlt);
        }
        Canvas->Rectangle(clientRect);
        Canvas->Pen()->Assign(&saved);
    }
    const bool linkDrawn = IsCopy() && doc && doc->LinkDrawnEvent && FO && !FO->URL().empty();
    if ((MyFormControl && MyFormControl->Active) || (FO && FO->Active) || linkDrawn) {
        const TColor savedText = dc ? dc->GetTextColor() : clBlack;
        if (dc) dc->SetTextColor(clBlack);
        Canvas->Brush()->SetColor(clWhite);
        if (IsCopy()) {
            if (linkDrawn)
                doc->LinkDrawnEvent(doc->Sender(), doc->LinkPage, FO->URL(), FO->UrlTarget->Target, clientRect);
        } else if (doc && doc->TheOwner && doc->TheOwner->ShowFocusRect()) {
            Canvas->DrawFocusRect(clientRect);
        }
        if (dc) dc->SetTextColor(savedText);
    }
}

void TImageObj::SetHover(ThtHover Value) {
    if (Value == FHover || !FHoverImage) return;
    auto gif = std::dynamic_pointer_cast<ThtGifImage>(FImage);
    if (!gif) return;
    TGIFImage& g = gif->Gif();
    if (Value != hvOff) {
        if (g.NumFrames() == 2) g.SetCurrentFrame(2);
        else if (g.NumFrames() == 3) g.SetCurrentFrame(Value == hvOverDown ? 3 : 2);
        else startAnimation(FDocument, gif);
    } else {
        g.SetAnimate(false);
        if (g.NumFrames() <= 3) g.SetCurrentFrame(1);
        stopListing(FDocument, gif);
    }
    FHover = Value;
    if (FDocument && FDocument->PPanel) FDocument->PPanel->Invalidate();
}

bool TImageObj::InsertImage(std::u16string_view UName, bool Error, bool& Reformat) {
    Reformat = false;
    if (FImage.get() != &PendingImage()) return false;
    if (Error) {
        FImage = sentinel(BrokenImage());
    } else {
        if (!FDocument) return true;
        bool fromCache = false, delay = false;
        ThtImagePtr loaded = FDocument->GetTheImage(UName, Transparent, fromCache, delay);
        if (!loaded) return true;
        TakeLoadedImage(loaded, fromCache);
    }
    Missing = false;
    Reformat = !ClientSizeKnown;
    return true;
}

void TImageObj::ReplaceImage(TStream& NewImage) {
    try {
        Transparent = NotTransp;
        ThtImagePtr fresh = LoadImageByContent(&NewImage, NotTransp);
        if (!fresh) return;
        stopListing(FDocument, std::dynamic_pointer_cast<ThtGifImage>(FImage));
        // The picture as loaded stays; a picture swapped in earlier goes.
        Swapped = true;
        FImage = fresh;
        if (auto gif = std::dynamic_pointer_cast<ThtGifImage>(fresh)) {
            if (FHoverImage) {
                gif->Gif().SetAnimate(false);
                FHover = hvOff;
            } else {
                startAnimation(FDocument, gif);
            }
        }
        if (Missing && FDocument) {
            auto it = std::find_if(FDocument->MissingImages.begin(), FDocument->MissingImages.end(),
                                   [this](const ThtMissingImage& m) { return m.Image == this; });
            if (it != FDocument->MissingImages.end()) FDocument->MissingImages.erase(it);
        }
        Missing = false;
        if (FDocument && FDocument->PPanel) FDocument->PPanel->Invalidate();
    } catch (...) {
        // A picture that cannot replace the old one leaves it shown.
    }
}

TBitmap* TImageObj::Bitmap() const {
    if (!FImage) return nullptr;
    if (auto* b = dynamic_cast<ThtBitmapImage*>(FImage.get()); b && b->GetBitmap() == ErrorBitmap()) return nullptr;
    return FImage->GetBitmap();
}

TSizeableObj* TSizeableObjList::GetItem(int Index) const { return static_cast<TSizeableObj*>(Items(Index)); }
