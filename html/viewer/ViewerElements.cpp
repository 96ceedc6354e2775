// The loaded page's elements by id, pictures inserted or replaced after the
// page was built, the image-display switch, and the viewers of inline frames.
#include <exception>

#include "html/layout/ControlObjs.h"
#include "html/layout/FormBase.h"
#include "html/layout/HtmlNodes.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/HtmlStrings.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "platform/framework/Forms.h"

namespace {

// The nested viewer of an inline frame. It frees the viewer control with
// itself, unless the control went first (with its owner, the paint panel).
class ThvFrameViewer : public TComponent, public ThtFrameViewer {
public:
    explicit ThvFrameViewer(TViewerBase* Viewer) : TComponent(nullptr), FViewer(Viewer) {
        FViewer->FreeNotification(this);
    }
    ~ThvFrameViewer() override {
        if (TViewerBase* viewer = FViewer) {
            FViewer = nullptr;
            viewer->RemoveFreeNotification(this);
            viewer->Free();
        }
    }
    TWinControl* Control() override { return FViewer; }
    void Load(const std::u16string& Url) override {
        if (!FViewer) return;
        try {
            FViewer->Load(Url);
        } catch (const EhtException&) {
            // A frame whose document cannot be loaded stays empty; the page around it is shown.
        }
    }
    TColor BackgroundColor() override {
        if (auto* html = dynamic_cast<THtmlViewer*>(FViewer)) return html->SectionList()->BackGround;
        return FViewer ? FViewer->DefBackground() : clNone;
    }
    bool DrawPicture(TCanvas* Canvas, int X, int Y, int W, int H) override {
        auto* html = dynamic_cast<THtmlViewer*>(FViewer);
        if (!html || !Canvas || W <= 0 || H <= 0) return false;
        TBitmap picture;
        picture.SetPixelFormat(pf24bit);
        picture.SetSize(W, H);
        picture.Canvas()->Brush()->SetColor(BackgroundColor());
        html->PaintDocument(picture.Canvas(), TRect(0, 0, W, H));
        picture.ReleaseCanvas();
        Canvas->Draw(X, Y, &picture);
        return true;
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FViewer) FViewer = nullptr;
    }

private:
    TViewerBase* FViewer;
};

// Processing on for the length of a scope, off on every way out.
class ProcessingScope {
public:
    explicit ProcessingScope(THtmlViewer& Viewer) : FViewer(Viewer) { FViewer.SetProcessing(true); }
    ~ProcessingScope() noexcept(false) {
        // An exception already on its way wins over one from the event.
        if (std::uncaught_exceptions() > FUncaught) {
            try {
                FViewer.SetProcessing(false);
            } catch (...) {}
        } else {
            FViewer.SetProcessing(false);
        }
    }
    ProcessingScope(const ProcessingScope&) = delete;
    ProcessingScope& operator=(const ProcessingScope&) = delete;

private:
    THtmlViewer& FViewer;
    int FUncaught = std::uncaught_exceptions();
};

// The object registered under ID, or null.
TIDObject* ObjectOf(const TIDObjectList* Names, const std::u16string& ID) {
    const int i = Names ? Names->IndexOf(ID) : -1;
    return i < 0 ? nullptr : Names->GetObject(i);
}

TSectionBase* SectionOf(const TIDObjectList* Names, const std::u16string& ID) {
    return dynamic_cast<TSectionBase*>(ObjectOf(Names, ID));
}

}  // namespace

// ---- elements by id

TIDObject* THtmlViewer::GetIDControl(const std::u16string& ID) const {
    TIDObject* obj = ObjectOf(NameList(), ID);
    if (dynamic_cast<TFormControlObjBase*>(obj) || dynamic_cast<TImageObj*>(obj)) return obj;
    return nullptr;
}

ThtDisplayStyle THtmlViewer::GetIDDisplay(const std::u16string& ID) const {
    const TSectionBase* section = SectionOf(NameList(), ID);
    return section ? section->Display() : pdUnassigned;
}

void THtmlViewer::SetIDDisplay(const std::u16string& ID, ThtDisplayStyle Value) {
    TSectionBase* section = SectionOf(NameList(), ID);
    if (!section || section->Display() == Value) return;
    // Controls of a part that is hidden must not stay on screen.
    FSectionList->HideControls();
    section->SetDisplay(Value);
}

void THtmlViewer::ToggleIDExpand(const std::u16string& URL, bool& Handled) {
    static constexpr std::u16string_view prefix = u"IDEXPAND_";
    if (URL.size() < prefix.size() || UpperCaseString(std::u16string_view(URL).substr(0, prefix.size())) != prefix)
        return;
    const std::u16string id = URL.substr(prefix.size());
    TSectionBase* plus = SectionOf(NameList(), id + u"Plus");
    TSectionBase* minus = SectionOf(NameList(), id + u"Minus");
    // With one of the pair missing there is nothing to exchange: the other
    // keeps its display rather than taking an unassigned one.
    if (plus && minus) {
        const ThtDisplayStyle plusDisplay = plus->Display(), minusDisplay = minus->Display();
        SetIDDisplay(id + u"Plus", minusDisplay);
        SetIDDisplay(id + u"Minus", plusDisplay);
    }
    Reformat();
    Handled = true;
}

// ---- inserted and replaced pictures

bool THtmlViewer::InsertImage(const std::u16string& Src, TStream* Stream) {
    if (IsProcessing()) {
        auto entry = std::make_unique<ThvInsertedImage>();
        entry->Src = Src;
        if (Stream) {
            entry->Stream = std::make_unique<TMemoryStream>();
            entry->Stream->LoadFromStream(*Stream);
        }
        FInsertedImages.push_back(std::move(entry));
        FImagesInserted->SetEnabled(true);
        return true;
    }
    bool reformat = false;
    {
        ProcessingScope processing(*this);
        FSectionList->InsertImage(Src, Stream, reformat);
    }
    if (reformat) {
        FImagesReformat = true;
        FImagesInserted->SetEnabled(true);
    } else {
        FPaintPanel->Invalidate();
    }
    return true;
}

bool THtmlViewer::InsertImage(const std::u16string& Src, TBitmap* Bitmap, TTransparency Transparent, TColor Color,
                              bool OwnsBitmap) {
    if (IsProcessing()) {
        auto entry = std::make_unique<ThvInsertedImage>();
        entry->Src = Src;
        entry->Bitmap = std::make_unique<ThtBitmapToInsert>(Bitmap, Transparent, Color, OwnsBitmap);
        FInsertedImages.push_back(std::move(entry));
        FImagesInserted->SetEnabled(true);
        return true;
    }
    bool reformat = false;
    {
        ProcessingScope processing(*this);
        FSectionList->InsertImage(Src, Bitmap, Color, Transparent, OwnsBitmap, reformat);
    }
    if (reformat) {
        FImagesReformat = true;
        FImagesInserted->SetEnabled(true);
    } else {
        FPaintPanel->Invalidate();
    }
    return true;
}

void THtmlViewer::ApplyInsertedImages() {
    // A load or layout still runs: the next tick tries again.
    if (IsProcessing()) return;
    FImagesInserted->SetEnabled(false);
    bool reformat = FImagesReformat;
    FImagesReformat = false;
    try {
        ProcessingScope processing(*this);
        while (!FInsertedImages.empty()) {
            // Out of the queue before it is applied: one that fails is not tried again.
            const std::unique_ptr<ThvInsertedImage> entry = std::move(FInsertedImages.front());
            FInsertedImages.erase(FInsertedImages.begin());
            bool r = false;
            if (ThtBitmapToInsert* b = entry->Bitmap.get()) {
                // The document takes an owned bitmap over from here on.
                const bool owns = b->OwnsBitmap;
                b->OwnsBitmap = false;
                FSectionList->InsertImage(entry->Src, b->Bitmap, b->Color, b->Transp, owns, r);
            } else {
                FSectionList->InsertImage(entry->Src, entry->Stream.get(), r);
            }
            reformat = reformat || r;
        }
        FSectionList->GetBackgroundBitmap();
        if (reformat) RelayoutForImages();
        reformat = false;
        Invalidate();
        FPaintPanel->Invalidate();
    } catch (...) {
        // What is left waits for the next tick, with the layout it still needs.
        FImagesReformat = FImagesReformat || reformat;
        if (!FInsertedImages.empty() || FImagesReformat) FImagesInserted->SetEnabled(true);
        throw;
    }
    // Insertions made meanwhile (from the events of this one) come next.
    if (!FInsertedImages.empty() || FImagesReformat) FImagesInserted->SetEnabled(true);
}

void THtmlViewer::RelayoutForImages() {
    if (FSectionList->Count() == 0) return;
    const ThvPosition pos = Position();
    DoLayout();
    SetPosition(pos);
}

void THtmlViewer::ReplaceImage(const std::u16string& NameID, TStream* NewImage) {
    TIDObjectList* names = NameList();
    const int i = names && NewImage ? names->IndexOf(NameID) : -1;
    if (i < 0) return;
    auto* image = dynamic_cast<TImageObj*>(names->GetObject(i));
    if (!image) return;
    const bool sizeKnown = image->ClientSizeKnown;
    image->ReplaceImage(*NewImage);
    if (!sizeKnown && FSectionList->Count() > 0) {
        FSectionList->GetBackgroundBitmap();
        RelayoutForImages();
    }
    FPaintPanel->Invalidate();
}

void THtmlViewer::SetViewImages(bool Value) {
    if (IsProcessing() || Value == FSectionList->ShowImages) return;
    const TCursor oldCursor = Screen ? Screen->Cursor() : crDefault;
    if (Screen) Screen->SetCursor(crHourGlass);
    struct CursorBack {
        TCursor Cursor;
        ~CursorBack() {
            if (Screen) Screen->SetCursor(Cursor);
        }
    } cursorBack{oldCursor};
    ProcessingScope processing(*this);
    FSectionList->ShowImages = Value;
    if (FSectionList->Count() > 0) {
        FSectionList->GetBackgroundBitmap();
        RelayoutForImages();
        Invalidate();
        FPaintPanel->Invalidate();
    }
}

void THtmlViewer::SetImageCache(std::shared_ptr<ThtImageCache> ImageCache) {
    FSectionList->ImageCache = std::move(ImageCache);
    FViewerState &= ~vsSet(vsLocalImageCache);
}

void THtmlViewer::StopTimers() {
    FHTMLTimer->SetEnabled(false);
    FImagesInserted->SetEnabled(false);
}

// ---- inline frames

std::unique_ptr<ThtFrameViewer> THtmlViewer::CreateIFrameControl() {
    TViewerBase* viewer =
        OnCreateIFrameControl ? OnCreateIFrameControl(this, FPaintPanel) : new THtmlViewer(FPaintPanel, this);
    if (!viewer) return nullptr;
    // Outside the visible area until the frame object places it.
    viewer->SetLeft(-4000);
    viewer->SetParent(FPaintPanel);
    return std::make_unique<ThvFrameViewer>(viewer);
}
