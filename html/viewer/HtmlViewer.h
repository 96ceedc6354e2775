#pragma once
// The HTML viewer control: a composite of the framework's controls (a border
// panel, the paint panel the document is painted on, two scroll bars, two
// timers) around one document, which it keeps for its whole life and fills
// anew at every load. Every way of loading ends in LoadDocument: the source
// buffer is parsed into the document, which is then laid out for the window
// by the layout driver (ViewerLayout.h).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/layout/Document.h"
#include "html/layout/HtmlViewerTypes.h"
#include "html/parser/ParserViewer.h"
#include "html/viewer/InsertedImages.h"
#include "html/viewer/ViewerBase.h"
#include "html/viewer/ViewerErrors.h"
#include "html/viewer/ViewerHistory.h"
#include "html/viewer/ViewerLayout.h"
#include "html/viewer/ViewerPosition.h"
#include "html/viewer/ViewerPrinting.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/ScrollBar.h"
#include "platform/framework/StdCtrls.h"

class TBuffer;
class TMetaFilePrinter;
class TMetafile;
class TPaintPanel;
class ThtPrinter;
class TvwPrinter;
class TStream;
class TStrings;

enum THtmlViewerStateBit {
    vsBGFixed,          // the background image is fixed to the window
    vsDontDraw,         // painting is suppressed
    vsCreating,         // inside the constructor
    vsProcessing,       // a load or layout is running
    vsLocalImageCache,  // the image cache belongs to this viewer
    vsHotSpotAction,    // a link was just followed by a click
    vsMouseScrolling,   // the auto-scroll loop runs
    vsLeftButtonDown,
    vsMiddleScrollOn,  // middle-button scrolling
    vsHiliting,        // a drag selection is running
};
using THtmlViewerState = uint32_t;
constexpr THtmlViewerState vsSet(THtmlViewerStateBit b) { return THtmlViewerState(1u << b); }

class THtmlViewer;
// Makes the document of a viewer (its paint panel exists by then).
using ThvDocumentMaker = std::unique_ptr<ThtDocument> (*)(THtmlViewer& Viewer);

class THtmlViewer : public THtmlViewerBase, public ThtParserViewer {
    DECLARE_CLASS(THtmlViewer)
    explicit THtmlViewer(TComponent* AOwner);
    // A viewer with Source's settings and events (CreateCopy).
    THtmlViewer(TComponent* AOwner, TViewerBase* Source);
    ~THtmlViewer() override;

    // ---- loading (each does nothing while a load or layout runs)

    // Reference names the document (CurrentFile); a "#name" at its end is
    // the place to show.
    void LoadFromString(const std::u16string& S, const std::u16string& Reference = u"",
                        THtmlFileType DocType = HTMLType);
    void LoadFromBuffer(const char16_t* Buffer, int32_t BufLenTChars, const std::u16string& Reference = u"");
    void LoadTextFromString(const std::u16string& S);
    void LoadStrings(const TStrings& Strings, const std::u16string& Reference = u"");
    void LoadTextStrings(const TStrings& Strings);
    // From the start of the stream, which stays the caller's. Pictures
    // (ImgType, OtherType) show as a page of one image.
    void LoadFromStream(TStream* AStream, const std::u16string& Reference = u"", THtmlFileType DocType = HTMLType);
    // The viewer takes the buffer over on every path.
    void LoadFromDocument(std::unique_ptr<TBuffer> Document, const std::u16string& Reference,
                          THtmlFileType DocType = HTMLType);
    // A file that cannot be opened raises EhtLoadError and leaves the page
    // and CurrentFile as they were.
    void LoadFromFile(const std::u16string& FileName, THtmlFileType DocType = HTMLType);
    void Load(const std::u16string& Url) override;
    void LoadTextFile(const std::u16string& FileName);
    void LoadImageFile(const std::u16string& FileName);
    // The current file again, at the same place.
    void Reload();
    virtual void Clear();
    // Every load ends here. Raises EhtException for ImgType or no buffer.
    void LoadDocument(std::unique_ptr<TBuffer> Document, const std::u16string& Reference, THtmlFileType DocType);

    // ---- layout and position

    // Lays the document out again and refreshes the window.
    void Reformat();
    // Scrolls to the element named Dest ("#" before it allowed); false when none.
    bool PositionTo(std::u16string Dest);
    ThvPosition Position() const;
    void SetPosition(const ThvPosition& Value);
    int32_t VScrollBarPosition() const { return FVScrollBar->Position(); }
    int32_t HScrollBarPosition() const { return FHScrollBar->Position(); }
    int32_t VScrollBarRange() const;
    int32_t HScrollBarRange() const;
    // The height of the laid-out document.
    int32_t MaxVertical() const { return FMaxVertical; }

    // ---- what is shown

    const std::u16string& CurrentFile() const { return FCurrentFile; }
    THtmlFileType CurrentFileType() const { return FCurrentFileType; }
    const std::u16string& DocumentTitle() const { return FTitle; }
    // The whole source text; empty without one.
    std::u16string DocumentSource() const;
    std::u16string LoadedText() const { return DocumentSource(); }
    // The documents loaded so far.
    int LoadCount() const { return FLoadCount; }
    int DocumentCodePage() const;
    ThtDocument* SectionList() const { return FSectionList.get(); }
    TIDObjectList* NameList() const { return FSectionList->IDNameList.get(); }
    TLinkList* LinkList() const { return FSectionList->LinkList.get(); }
    TFormControlObjList* FormControlList() const { return FSectionList->FormControlList.get(); }
    THtmlViewerState ViewerState() const { return FViewerState; }
    const std::u16string& Base() const { return FBase; }
    void SetBase(const std::u16string& Value);
    const std::u16string& BaseTarget() const { return FBaseTarget; }
    ThvHistory* History() const { return FHistory.get(); }
    // Visited link addresses, the newest first.
    const std::vector<std::u16string>& Visited() const { return FVisited; }

    // ---- the viewer's own settings

    THTMLBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(THTMLBorderStyle Value);
    THtmlViewerOptions HtOptions() const { return FOptions; }
    void SetHtOptions(THtmlViewerOptions Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool ViewImages() const { return FSectionList->ShowImages; }
    void SetViewImages(bool Value);
    TStyleElements StyleElements() override { return FStyleElements; }
    void SetStyleElements(TStyleElements Value);

    // ---- the settings' effects on the page (TViewerBase)

    void SetDefBackground(TColor Value) override;
    void SetDefHotSpotColor(TColor Value) override;
    void SetDefOverLinkColor(TColor Value) override;
    void SetDefVisitedLinkColor(TColor Value) override;
    void SetDefPreFontName(const String& Value) override;
    void SetHistoryMaxCount(int Value) override;
    void SetImageCacheCount(int Value) override;
    void SetNoSelect(bool Value) override;
    void SetVisitedMaxCount(int Value) override;
    void SetOnBitmapRequest(TGetBitmapEvent Value) override;
    void SetOnBitmapRequested(TGetBitmapEvent Value) override;
    void SetOnImageRequest(TGetImageEvent Value) override;
    void SetOnImageRequested(TGetImageEvent Value) override;
    void SetOnObjectBlur(ThtObjectEvent Value) override;
    void SetOnObjectChange(ThtObjectEvent Value) override;
    void SetOnObjectClick(TObjectClickEvent Value) override;
    void SetOnObjectFocus(ThtObjectEvent Value) override;
    void SetOnPanelCreate(TPanelCreateEvent Value) override;
    void SetOnPanelDestroy(TPanelDestroyEvent Value) override;
    void SetOnPanelPrint(TPanelPrintEvent Value) override;
    void SetOnScript(TScriptEvent Value) override;

    // ---- the viewer's own events

    const TFormSubmitEvent& OnFormSubmit() const { return FOnFormSubmit; }
    void SetOnFormSubmit(TFormSubmitEvent Value);
    // Read and written on the document.
    const TFileBrowseEvent& OnFileBrowse() const { return FSectionList->FileBrowse; }
    void SetOnFileBrowse(TFileBrowseEvent Value) { FSectionList->FileBrowse = std::move(Value); }
    const TExpandNameEvent& OnExpandName() const { return FSectionList->ExpandName; }
    void SetOnExpandName(TExpandNameEvent Value) { FSectionList->ExpandName = std::move(Value); }
    TCreateIFrameControlEvent OnCreateIFrameControl;
    TFilenameExpanded OnFilenameExpanded;
    THotSpotClickEvent OnHotSpotClick;
    THotSpotEvent OnHotSpotCovered;
    TGetStreamEvent OnhtStreamRequest;
    TLinkDrawnEvent OnLinkDrawn;
    TMetaRefreshType OnMetaRefresh;
    TRightClickEvent OnRightClick;
    TLoadHistoryItem OnLoadHistoryItem;
    TSectionClickEvent OnSectionClick;
    TSectionOverEvent OnSectionOver;

    // ---- what the rest of the viewer relies on

    bool IsProcessing() const { return FViewerState & vsSet(vsProcessing); }
    void SetProcessing(bool On);
    // The layout driver: the document laid out for the window, then the
    // scroll bars set up.
    void DoLayout();
    // DoLayout at the same place, unless a load or layout runs.
    void Relayout();
    // Y kept within the document.
    void ScrollTo(int32_t Y);
    void UpdateBorder();
    void htProgressInit();
    void htProgress(int32_t Percent) override;
    void htProgressEnd();
    // The handler of the parser's META elements: OnMeta, and a refresh
    // request raised as OnMetaRefresh when the load ends.
    virtual void HtmlMeta(TObject* Sender, const std::u16string& HttpEq, const std::u16string& Name,
                          const std::u16string& Content);
    // Draws the background and the document into Canvas for ARect of the paint panel.
    void PaintDocument(TCanvas* Canvas, const TRect& ARect);
    TPaintPanel* PaintPanel() const { return FPaintPanel; }
    TPanel* BorderPanel() const { return FBorderPanel; }
    TScrollBar* HScrollBar() const { return FHScrollBar; }
    TScrollBar* VScrollBar() const { return FVScrollBar; }
    TTimer* HoverTimer() const { return FHTMLTimer; }
    TTimer* ImageInsertionTimer() const { return FImagesInserted; }
    int32_t ScrollBarWidth() const { return sbWidth; }
    // The paint panel's place and the bars for content of this size.
    ThvGeometry Geometry(int32_t ContentWidth, int32_t ContentHeight) const;

    // ---- links, history, files and the page's elements

    // What following a link does: an "IDEXPAND_" address toggles, then
    // OnHotSpotClick may take it, then a "#name" jumps within the page and a
    // local file loads by its type; any other address does nothing.
    void UrlAction(const std::u16string& URL);
    // UrlAction for URL once the input being handled has finished.
    void TriggerUrlAction(const std::u16string& URL);
    // Records a move from the old document or place to the current one.
    void BumpHistory(const std::u16string& OldFileName, const std::u16string& OldTitle, const ThvPosition& OldPos,
                     std::unique_ptr<ThvFormData> OldFormData, THtmlFileType OldDocType);
    int HistoryIndex() const { return FHistory->Index(); }
    // Shows history entry Value (0 the newest); a load that fails leaves
    // the index and the page as they were.
    void SetHistoryIndex(int Value);
    void HistoryBack() { SetHistoryIndex(HistoryIndex() + 1); }
    void HistoryForward() {
        if (HistoryIndex() > 0) SetHistoryIndex(HistoryIndex() - 1);
    }
    void ClearHistory();
    void AddVisitedLink(const std::u16string& S);
    void CheckVisitedLinks();
    // Each form's values (null without forms), and values given back to them.
    std::unique_ptr<ThvFormData> FormData() const;
    void SetFormData(const ThvFormData& Value);
    // The form control or image registered under ID, or null.
    TIDObject* GetIDControl(const std::u16string& ID) const;
    // pdUnassigned when ID names no section.
    ThtDisplayStyle GetIDDisplay(const std::u16string& ID) const;
    // The page is not laid out again: call Reformat.
    void SetIDDisplay(const std::u16string& ID, ThtDisplayStyle Value);
    // For "IDEXPAND_x": the displays of "xPlus" and "xMinus" exchanged.
    void ToggleIDExpand(const std::u16string& URL, bool& Handled);
    // The picture for the images whose source is Src; while a load or
    // layout runs it waits for the image-insertion timer. The stream stays
    // the caller's; an owned bitmap is the viewer's from the call on.
    bool InsertImage(const std::u16string& Src, TStream* Stream);
    bool InsertImage(const std::u16string& Src, TBitmap* Bitmap, TTransparency Transparent, TColor Color,
                     bool OwnsBitmap);
    int InsertedImagesWaiting() const { return int(FInsertedImages.size()); }
    // A new picture for the image registered under NameID.
    void ReplaceImage(const std::u16string& NameID, TStream* NewImage);
    // The document's pictures come from ImageCache, which stays the caller's.
    void SetImageCache(std::shared_ptr<ThtImageCache> ImageCache);
    void StopTimers();

    // ---- printing, preview and off-screen pictures (ViewerPrinting.cpp)

    // Pages FromPage to ToPage (1 to 9999: all) on Prn, added to its job;
    // without one on the job OpenPrint opened, else in a job of its own on
    // the chosen printer (a PDF file when none is chosen). OnPrinting may
    // stop it first; OnPrinted follows.
    void Print(int FromPage, int ToPage, ThtPrinter* Prn = nullptr);
    // The print routine: the number of the last page produced (0: none).
    int Print(ThtPrinter* Prn, int FromPage, int ToPage, ThtPrintPreviewMode Mode);
    // Pages counted (NoOutput) or recorded on a page recorder.
    virtual int PrintPreview(ThtPrinter* Prn, bool NoOutput, int FromPage, int ToPage);
    // The pages a print would take, drawing nothing; OnPageEvent is not raised.
    int NumPrinterPages();
    // The same, with the laid-out width over the text width.
    int NumPrinterPages(double& WidthRatio);
    // The pages recorded in MFPrinter, with the print layout's size.
    int NumPrinterPages(TMetaFilePrinter* MFPrinter, int& Width, int& Height);
    // Several prints into one job on the chosen printer, until ClosePrint
    // ends it or AbortPrint cancels it.
    void OpenPrint();
    void ClosePrint();
    void AbortPrint();
    // Width and height of the last layout that counted or recorded pages.
    TSize PrintedSize() const { return FPrintedSize; }
    // The document laid out at FormatWidth and drawn from YTop into
    // (0, 0, Width, Height) of Canvas.
    void Draw(TCanvas* Canvas, int YTop, int FormatWidth, int Width, int Height);
    // The same into a new picture; none while a load runs or for an empty
    // document. EExcessiveSizeError for a size beyond the limits.
    std::unique_ptr<TBitmap> MakeBitmap(int YTop, int FormatWidth, int Width, int Height);
    std::unique_ptr<TMetafile> MakeMetaFile(int YTop, int FormatWidth, int Width, int Height);
    // The document as pages of Width × Height.
    std::vector<std::unique_ptr<TMetafile>> MakePagedMetaFiles(int Width, int Height);
    // The laid-out size at FormatWidth: (width, height).
    TSize FullDisplaySize(int FormatWidth);
    TPageEvent OnPageEvent;
    TPrintHtmlEvent OnPrintHTMLHeader;
    TPrintHtmlEvent OnPrintHTMLFooter;
    // The page being printed; after a print the last page produced.
    int PrintPage() const { return FPage; }
    // What the last Print (FromPage, ToPage, Prn) was given and produced.
    int LastPrintFrom() const { return FLastPrint.FromPage; }
    int LastPrintTo() const { return FLastPrint.ToPage; }
    const std::u16string& LastPrintedText() const { return FLastPrint.Source; }
    int LastPagesPrinted() const { return FLastPrint.Pages; }
    // The pages the document takes on the chosen printer.
    int PrintPageCount() { return NumPrinterPages(); }

    // ---- painting, scrolling, input, selection, find and the clipboard

    // Positions are kept within the document (0 … range).
    void SetVScrollBarPosition(int32_t Y);
    void SetHScrollBarPosition(int32_t X);
    void ScrollXY(TSize Delta);
    // Form controls hidden and the border dropped until the next paint.
    void Repaint();
    // The paint panel's events, in its coordinates.
    virtual void HTMLMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void HTMLMouseMove(TShiftState Shift, int X, int Y);
    virtual void HTMLMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void HTMLMouseDblClk(TShiftState Shift, int X, int Y);
    // A pan of the paint panel by the finger's move since the last event.
    void PanGesture(const TGestureEventInfo& Info, bool& Handled);
    // Scrolls for a wheel delta (1/120 notch); false when the page fits.
    bool WheelScroll(int WheelDelta);
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    // The selection as plain text and "HTML Format"; nothing without a selection.
    void CopyToClipboard();
    // The whole document as plain text (UTF-8).
    String PlainText();

    int32_t SelStart() const { return FCaretPos; }
    void SetSelStart(int32_t Value);
    int32_t SelLength() const;
    void SetSelLength(int32_t Value);
    std::u16string SelText();
    int32_t GetSelTextBuf(char16_t* Buffer, int32_t BufSize);
    void SelectAll();
    int32_t CaretPos() const { return FCaretPos; }
    void SetCaretPos(int32_t Value);
    bool Find(const std::u16string& S, bool MatchCase) { return FindEx(S, MatchCase, false); }
    bool FindEx(const std::u16string& S, bool MatchCase, bool Reverse);
    int32_t XYToDisplayPos(int X, int Y);
    bool DisplayPosToXy(int32_t DisplayPos, int& X, int& Y);
    int32_t FindDisplayPos(int32_t SourcePos, bool Prev);
    int32_t FindSourcePos(int32_t DisplayPos);
    bool GetCharAtPos(int32_t Pos, char16_t& Ch, TFontObj*& Font);
    std::u16string GetTextByIndices(int32_t AStart, int32_t ALast);
    ThtguResultType GetURL(int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarg, TFormControlObjBase*& FormControl,
                           std::u16string& ATitle);
    bool PtInObject(int X, int Y, TSectionBase*& Obj);
    bool PtInObject(int X, int Y, TSectionBase*& Obj, int& IX, int& IY);
    // The link under the mouse or last clicked.
    const std::u16string& URL() const { return FURL; }
    const std::u16string& Target() const { return FTarget; }
    const std::u16string& TitleAttr() const { return FTitleAttr; }
    const std::u16string& LinkText() const { return FLinkText; }
    TPoint LinkStart() const { return FLinkStart; }
    TStringList* LinkAttributes() const { return FLinkAttributes.get(); }
    TTimer* AutoScrollTimer() const { return FAutoScrollTimer; }

    // ---- the document's questions (ThtDocumentOwner)

    std::u16string HtmlExpandFilename(std::u16string_view Filename) override;
    bool ShowFocusRect() override { return !htoHas(FOptions, htNoFocusRect); }
    void ControlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void FollowLinkByKey(const TUrlTarget& Link) override;
    void ViewerKeyDown(uint16_t& Key, TShiftState Shift) override;
    std::unique_ptr<ThtFrameViewer> CreateIFrameControl() override;

    // ---- the parser's questions (ThtParserViewer)

    int32_t ParserMarginHeight() override { return MarginHeight(); }
    int32_t ParserMarginWidth() override { return MarginWidth(); }
    // The document's own code page (a meta tag's charset) becomes the viewer's.
    void ParserSetCodePage(int CodePage) override { SetCodePage(CodePage); }
    ThtStreamRequestEvent ParserStreamRequest() override { return OnhtStreamRequest; }
    ThtObjectTagEvent ParserObjectTag() override;

protected:
    // For a derived viewer that shows another kind of document (tests).
    THtmlViewer(TComponent* AOwner, ThvDocumentMaker MakeDocument);
    // The copy of the document a print or an off-screen picture lays out and draws.
    virtual std::unique_ptr<ThtDocument> CreatePrintCopy() { return ThtDocument::CreateCopy(*FSectionList); }
    void Resize() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void DoEnter() override;
    void DoExit() override;
    // The selection from the anchor to the point, while a drag selects.
    virtual void ExtendSelection(int X, int Y);
    // Load's preparation: the image cache, the document emptied and given
    // the viewer's fonts and colours.
    virtual void InitLoad();
    // The file load: FileName made absolute, opened and loaded as a stream.
    virtual void LoadFile(const std::u16string& FileName, THtmlFileType DocType);

private:
    void Construct(ThvDocumentMaker MakeDocument);
    void CopyViewer(const THtmlViewer& Source);
    void SetFontsOfDocument();
    void SetupScrollBars();
    ThvGeometryInput GeometryInput() const;
    void ApplyBackground();
    void ImageRequest(TObject* Sender, const std::u16string& SRC, TStream*& Stream);
    // The load of a stream; the one-image page for pictures.
    void LoadStream(TStream* AStream, const std::u16string& Reference, THtmlFileType DocType);
    std::u16string ExpandedLinkAddress(const std::u16string& Url);
    void ApplyInsertedImages();
    // The layout done again at the same place, when the page has sections.
    void RelayoutForImages();
    void OnVScroll(int32_t& ScrollPos);
    void OnHScroll(int32_t& ScrollPos);
    void PaintBackgroundImage(TCanvas* Canvas, const TRect& ARect, ThtImage& Image);
    bool FindWordAt(int X, int Y, std::u16string& Word, int32_t& First, int32_t& Last);
    void TakeLink(const TUrlTarget& Link);
    void HoverTimerTick();
    void RecheckHoverAtPointer();
    void StartAutoScroll();
    void AutoScrollStep();
    void EndMiddleScroll();
    void ControlEnter(TFontObj* Link, TFormControlObjBase* Control);

    TPanel* FBorderPanel = nullptr;
    TPaintPanel* FPaintPanel = nullptr;
    TTimer* FHTMLTimer = nullptr;  // the 200 ms hover timer
    TScrollBar* FHScrollBar = nullptr;
    TScrollBar* FVScrollBar = nullptr;
    int32_t sbWidth = 0;
    THtmlFrameBase* FFrameOwner = nullptr;
    std::vector<std::u16string> FVisited;
    std::u16string FBase, FBaseEx, FBaseTarget;
    THTMLBorderStyle FBorderStyle = htFocused;
    TScrollStyle FScrollBars = ssBoth;
    THtmlViewerOptions FOptions = 0;
    TFormSubmitEvent FOnFormSubmit;
    THtmlViewerState FViewerState = 0;
    std::unique_ptr<ThvHistory> FHistory;
    std::unique_ptr<ThtDocument> FSectionList;
    std::u16string FCurrentFile;
    THtmlFileType FCurrentFileType = HTMLType;
    std::unique_ptr<TBuffer> FDocument;
    int32_t FRefreshDelay = 0;
    std::u16string FRefreshURL;
    std::u16string FTitle;
    int32_t FCaretPos = 0;
    std::unique_ptr<TStringList> FLinkAttributes;
    int32_t FMaxVertical = 0;
    int32_t FScrollWidth = 0;
    TTimer* FImagesInserted = nullptr;  // the 100 ms image-insertion timer
    std::vector<std::unique_ptr<ThvInsertedImage>> FInsertedImages;
    bool FImagesReformat = false;  // an insertion made while idle needs a new layout
    int32_t Sel1 = -1;
    TStream* FImageStream = nullptr;  // the picture of a one-image page
    TStyleElements FStyleElements = AllStyleElements;
    // DefBackground written during a load, applied when it ends.
    bool FBackgroundPending = false;
    // Input state: the link under the mouse, middle-button and auto-scrolling.
    std::u16string FURL, FTarget, FTitleAttr, FLinkText;
    TPoint FLinkStart{};
    int MiddleY = 0;
    bool NoJump = false;
    TPoint FLastMouse{};  // the last point the mouse was seen at on the paint panel
    TTimer* FAutoScrollTimer = nullptr;
    int64_t FLastScrollStepMs = 0;  // monotonic
    int FWheelRemainder = 0;        // 1/120 pixel not yet scrolled
    TPoint FLastPan{};
    int FLoadCount = 0;

    // ---- printing (ViewerPrinting.cpp)
    friend class ThvPrintJob;
    // The paint panel's colour behind the rectangle, with the document's
    // background picture placed for the printed page.
    void PrintBackground(TCanvas* Canvas, int X, int Y, int W, int H);
    // A hidden viewer for an HTML header or footer band.
    std::unique_ptr<THtmlViewer> CreateBandViewer();
    struct ThvLastPrint {
        int FromPage = 0, ToPage = 0, Pages = 0;
        std::u16string Source;
    };
    int FPage = 0;
    TSize FPrintedSize;
    double FWidthRatio = 0;
    std::unique_ptr<TvwPrinter> vwP;  // the job OpenPrint opened
    ThvLastPrint FLastPrint;
};
