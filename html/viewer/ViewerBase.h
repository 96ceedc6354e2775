#pragma once
// The viewer's base classes. ThtControlBase is a window control; TViewerBase
// holds the published settings and events that the application's forms set
// and that the parser and the document read while a page is built, each
// written through its own virtual accessor (the application copies a
// template viewer's settings to new viewers that way); THtmlViewerBase is
// what the document model asks of its viewer. THtmlFrameBase is the owner a
// viewer made by a frame object has; nothing in the program derives from it.
// (The frame viewer's three operations belong to the parser's walk of frame
// documents, which needs them below the viewer.)
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "html/layout/Document.h"
#include "html/layout/DocumentOwner.h"
#include "html/layout/HtmlViewerTypes.h"
#include "html/parser/ParserEvents.h"
#include "platform/framework/Controls.h"

class TBuffer;
class TImageObj;
class TPanel;
class TSectionBase;
class TStream;
class TStringList;
class THistoryItem;
class TViewerBase;
class THtmlViewer;

// How the current document is rendered: detected from its doctype, or fixed.
enum THtQuirksMode { qmDetect, qmStandards, qmQuirks };
extern const TEnumInfo HtQuirksModeInfo;

enum TProgressStage { psStarting, psRunning, psEnding };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using THotSpotTargetClickEvent =
    std::function<void(TObject* Sender, const std::u16string& Target, const std::u16string& URL, bool& Handled)>;
using THotSpotTargetEvent =
    std::function<void(TObject* Sender, const std::u16string& Target, const std::u16string& URL)>;
using THotSpotClickEvent = std::function<void(TObject* Sender, const std::u16string& SRC, bool& Handled)>;
using THotSpotEvent = std::function<void(TObject* Sender, const std::u16string& SRC)>;
using TImageClickEvent =
    std::function<void(TObject* Sender, TImageObj* Obj, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TImageOverEvent = std::function<void(TObject* Sender, TImageObj* Obj, TShiftState Shift, int X, int Y)>;
using TMetaRefreshType = std::function<void(TObject* Sender, int32_t Delay, const std::u16string& URL)>;
// An OBJECT element: its panel, the tag's attributes and its PARAM values
// ("NAME=value" lines); WantPanel keeps the panel.
using TObjectTagEvent = std::function<void(TObject* Sender, TPanel* Panel, const TStringList& Attributes,
                                           const TStringList& Params, bool& WantPanel)>;
// Before a parse: the handler may replace the source (the viewer owns what it leaves there).
using TParseEvent = std::function<void(TObject* Sender, std::unique_ptr<TBuffer>& Source)>;
using TPagePrinted =
    std::function<void(TObject* Sender, TCanvas* Canvas, int NumPage, int W, int H, bool& StopPrinting)>;
using TPrintHtmlEvent = std::function<void(TObject* Sender, THtmlViewer* HFViewer, int NumPage, bool LastPage, int& XL,
                                           int& XR, bool& StopPrinting)>;
using TPageEvent = std::function<void(TObject* Sender, int NumPage, bool& StopPrinting)>;
using TProcessingEvent = std::function<void(TObject* Sender, bool ProcessingOn)>;
using ThtProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, int PercentDone)>;
// The stream of a linked file; it stays the handler's.
using TGetStreamEvent = TGetImageEvent;
using TFilenameExpanded = std::function<void(TObject* Sender, std::u16string& Filename)>;
// A viewer for an inline frame, or null.
using TCreateIFrameControlEvent = std::function<TViewerBase*(TObject* Sender, TComponent* Owner)>;
using TLoadHistoryItem = std::function<void(TObject* Sender, THistoryItem* HI, bool& Handled)>;

// What lies under the mouse at a right click.
struct TRightClickParameters {
    std::u16string URL;
    std::u16string Target;
    TImageObj* Image = nullptr;
    int32_t ImageX = 0, ImageY = 0;  // inside the image
    std::u16string ClickWord;
};
using TRightClickEvent = std::function<void(TObject* Sender, TRightClickParameters& Parameters)>;
using TSectionClickEvent = std::function<void(TObject* Sender, TSectionBase* Obj, TMouseButton Button,
                                              TShiftState Shift, int X, int Y, int IX, int IY)>;
using TSectionOverEvent =
    std::function<void(TObject* Sender, TSectionBase* Obj, TShiftState Shift, int X, int Y, int IX, int IY)>;

class ThtControlBase : public TCustomControl {
    DECLARE_CLASS(ThtControlBase)
    explicit ThtControlBase(TComponent* AOwner);
};

// One event of TViewerBase: read as Name(), written through the virtual SetName.
#define HT_VIEWER_EVENT(Type, Name)                                    \
public:                                                                \
    const Type& Name() const { return F##Name; }                       \
    virtual void Set##Name(Type Value) { F##Name = std::move(Value); } \
                                                                       \
private:                                                               \
    Type F##Name;

class TViewerBase : public ThtControlBase {
    DECLARE_CLASS(TViewerBase)
    // The defaults, set through the write accessors.
    explicit TViewerBase(TComponent* AOwner);

    // The published settings. A write stores the value (kept within its
    // range); THtmlViewer adds what a change does to the page.
    THtQuirksMode QuirksMode() const { return FQuirksMode; }
    virtual void SetQuirksMode(THtQuirksMode Value) { FQuirksMode = Value; }
    TColor DefOverLinkColor() const { return FOverColor; }
    virtual void SetDefOverLinkColor(TColor Value) { FOverColor = Value; }
    // A font character set (1: the default one).
    int CharSet() const { return FCharset; }
    virtual void SetCharSet(int Value) { FCharset = uint8_t(Value); }
    int CodePage() const { return FCodePage; }
    virtual void SetCodePage(int Value) { FCodePage = Value; }
    TColor DefBackground() const { return FBackGround; }
    virtual void SetDefBackground(TColor Value) { FBackGround = Value; }
    TColor DefFontColor() const { return FFontColor; }
    virtual void SetDefFontColor(TColor Value) { FFontColor = Value; }
    String DefFontName() const { return FFontName; }
    virtual void SetDefFontName(const String& Value) { FFontName = Value; }
    // Points.
    int DefFontSize() const { return FFontSize; }
    virtual void SetDefFontSize(int Value) { FFontSize = Value; }
    // A negative value changes nothing.
    int HistoryMaxCount() const { return FHistoryMaxCount; }
    virtual void SetHistoryMaxCount(int Value);
    TColor DefHotSpotColor() const { return FHotSpotColor; }
    virtual void SetDefHotSpotColor(TColor Value) { FHotSpotColor = Value; }
    // 0 to 20 loads.
    int ImageCacheCount() const { return FImageCacheCount; }
    virtual void SetImageCacheCount(int Value);
    TCursor LoadCursor() const { return FLoadCursor; }
    virtual void SetLoadCursor(TCursor Value) { FLoadCursor = Value; }
    // Pixels.
    int MarginHeight() const { return FMarginHeight; }
    virtual void SetMarginHeight(int Value) { FMarginHeight = Value; }
    int MarginWidth() const { return FMarginWidth; }
    virtual void SetMarginWidth(int Value) { FMarginWidth = Value; }
    bool NoSelect() const { return FNoSelect; }
    virtual void SetNoSelect(bool Value) { FNoSelect = Value; }
    // The same name in another letter case changes nothing.
    String DefPreFontName() const { return FPreFontName; }
    virtual void SetDefPreFontName(const String& Value);
    // Centimetres.
    double PrintMarginBottom() const { return FPrintMarginBottom; }
    virtual void SetPrintMarginBottom(double Value) { FPrintMarginBottom = Value; }
    double PrintMarginLeft() const { return FPrintMarginLeft; }
    virtual void SetPrintMarginLeft(double Value) { FPrintMarginLeft = Value; }
    double PrintMarginRight() const { return FPrintMarginRight; }
    virtual void SetPrintMarginRight(double Value) { FPrintMarginRight = Value; }
    double PrintMarginTop() const { return FPrintMarginTop; }
    virtual void SetPrintMarginTop(double Value) { FPrintMarginTop = Value; }
    int PrintMaxHPages() const { return FPrintMaxHPages; }
    virtual void SetPrintMaxHPages(int Value) { FPrintMaxHPages = Value; }
    // 0.125 to 8; not a number is 8.
    double PrintScale() const { return FPrintScale; }
    virtual void SetPrintScale(double Value);
    // Kept trimmed and without a trailing path delimiter.
    const std::u16string& ServerRoot() const { return FServerRoot; }
    virtual void SetServerRoot(const std::u16string& Value);
    TColor DefVisitedLinkColor() const { return FVisitedColor; }
    virtual void SetDefVisitedLinkColor(TColor Value) { FVisitedColor = Value; }
    // 0 or more.
    int VisitedMaxCount() const { return FVisitedMaxCount; }
    virtual void SetVisitedMaxCount(int Value);

    // The old thick I-beam (2) is the I-beam.
    void SetCursor(TCursor Value);

    // Loads a document by its address.
    virtual void Load(const std::u16string& Url) = 0;

    HT_VIEWER_EVENT(TGetBitmapEvent, OnBitmapRequest)
    HT_VIEWER_EVENT(TGetBitmapEvent, OnBitmapRequested)
    HT_VIEWER_EVENT(TDragDropEvent, OnDragDrop)
    HT_VIEWER_EVENT(TDragOverEvent, OnDragOver)
    HT_VIEWER_EVENT(TNotifyEvent, OnHistoryChange)
    HT_VIEWER_EVENT(THotSpotTargetClickEvent, OnHotSpotTargetClick)
    HT_VIEWER_EVENT(THotSpotTargetEvent, OnHotSpotTargetCovered)
    HT_VIEWER_EVENT(TImageClickEvent, OnImageClick)
    HT_VIEWER_EVENT(TImageOverEvent, OnImageOver)
    HT_VIEWER_EVENT(TGetImageEvent, OnImageRequest)
    HT_VIEWER_EVENT(TGetImageEvent, OnImageRequested)
    HT_VIEWER_EVENT(TIncludeType, OnInclude)
    HT_VIEWER_EVENT(TLinkType, OnLink)
    HT_VIEWER_EVENT(TMetaType, OnMeta)
    HT_VIEWER_EVENT(TMouseEvent, OnMouseDouble)
    HT_VIEWER_EVENT(ThtObjectEvent, OnObjectBlur)
    HT_VIEWER_EVENT(ThtObjectEvent, OnObjectChange)
    HT_VIEWER_EVENT(TObjectClickEvent, OnObjectClick)
    HT_VIEWER_EVENT(ThtObjectEvent, OnObjectFocus)
    HT_VIEWER_EVENT(TObjectTagEvent, OnObjectTag)
    HT_VIEWER_EVENT(TPanelCreateEvent, OnPanelCreate)
    HT_VIEWER_EVENT(TPanelDestroyEvent, OnPanelDestroy)
    HT_VIEWER_EVENT(TPanelPrintEvent, OnPanelPrint)
    HT_VIEWER_EVENT(TParseEvent, OnParseBegin)
    HT_VIEWER_EVENT(TNotifyEvent, OnParseEnd)
    HT_VIEWER_EVENT(TNotifyEvent, OnPrinted)
    HT_VIEWER_EVENT(TPagePrinted, OnPrintHeader)
    HT_VIEWER_EVENT(TPagePrinted, OnPrintFooter)
    HT_VIEWER_EVENT(THtmlPrintingEvent, OnPrinting)
    HT_VIEWER_EVENT(TProcessingEvent, OnProcessing)
    HT_VIEWER_EVENT(ThtProgressEvent, OnProgress)
    HT_VIEWER_EVENT(TScriptEvent, OnScript)
    HT_VIEWER_EVENT(TSoundType, OnSoundRequest)

public:
    // The mode of the current document.
    bool UseQuirksMode() const { return FUseQuirksMode; }

protected:
    // The copy constructors' work: Source's settings and events through
    // the write accessors (not OnBitmapRequested, UseQuirksMode or the
    // style elements), then the control's cursor and key and mouse events.
    void CopyViewerBase(const TViewerBase& Source);

    bool FUseQuirksMode = false;
    THtQuirksMode FQuirksMode = qmStandards;

private:
    TColor FBackGround = 0, FHotSpotColor = 0, FVisitedColor = 0, FOverColor = 0;
    uint8_t FCharset = 0;
    int FCodePage = 0;
    TColor FFontColor = 0;
    String FFontName, FPreFontName;
    int FFontSize = 0, FHistoryMaxCount = 0, FImageCacheCount = 0, FVisitedMaxCount = 0;
    TCursor FLoadCursor = crDefault;
    int FMarginWidth = 0, FMarginHeight = 0;
    bool FNoSelect = false;
    double FPrintMarginLeft = 0, FPrintMarginRight = 0, FPrintMarginTop = 0, FPrintMarginBottom = 0;
    int FPrintMaxHPages = 0;
    double FPrintScale = 1.0;
    std::u16string FServerRoot;
};

#undef HT_VIEWER_EVENT

// What the document asks of its viewer (ThtDocumentOwner), with the
// table-part record printing shares (TablePartRec).
class THtmlViewerBase : public TViewerBase, public ThtDocumentOwner {
    DECLARE_CLASS(THtmlViewerBase)
    explicit THtmlViewerBase(TComponent* AOwner);
    TObject* SenderObject() override { return this; }
    using TViewerBase::UseQuirksMode;
    bool UseQuirksMode() override { return FUseQuirksMode; }
};

// The owner of a viewer that a frame object makes.
class THtmlFrameBase : public ThtControlBase {
    DECLARE_CLASS(THtmlFrameBase)
    explicit THtmlFrameBase(TComponent* AOwner);
    virtual void Reload() = 0;
};
