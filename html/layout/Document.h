#pragma once
// The laid-out document of one viewer: the root cell of the section tree
// together with every list that the parser, the layout and the viewer share
// while a page is shown (fonts and links, images, forms and controls, ids,
// the style list, the sections by position, inline boxes, deferred images)
// and the print state. A print copy (CreateCopy) shares the section data and
// owns no interactive lists.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/Cells.h"
#include "html/layout/DocumentOwner.h"
#include "html/layout/DocumentServices.h"
#include "html/layout/FontRuns.h"
#include "html/layout/FormBase.h"
#include "html/layout/IDObjectList.h"
#include "html/layout/Images.h"
#include "html/layout/InlineBoxes.h"
#include "html/layout/ModelPropStack.h"
#include "html/layout/ObjectFactory.h"
#include "html/layout/ParserDocument.h"
#include "html/layout/Selection.h"
#include "html/layout/TabOrder.h"
#include "html/text/StyleList.h"
#include "platform/framework/ExtCtrls.h"

class TControlObj;
class THtmlTable;
class TStream;
class TStringList;

// The handler answers a bitmap (or WaitBitmap / ErrorBitmap) and may name a
// transparent colour (-1: none). The bitmap stays the handler's: the
// document copies it; the matching Gotten event lets the handler free it.
using TGetBitmapEvent =
    std::function<void(TObject* Sender, const std::u16string& SRC, TBitmap*& Bitmap, TColor& Color)>;
// The same with a stream (or WaitStream / ErrorStream); the stream stays the handler's.
using TGetImageEvent = std::function<void(TObject* Sender, const std::u16string& SRC, TStream*& Stream)>;
using TExpandNameEvent = std::function<void(TObject* Sender, const std::u16string& SRC, std::u16string& Result)>;
using TObjectClickEvent = std::function<void(TObject* Sender, TFormControlObjBase* Obj, const std::u16string& OnClick)>;
using ThtObjectEvent = std::function<void(TObject* Sender, TFormControlObjBase* Obj, const std::u16string& Attribute)>;
using TFileBrowseEvent = std::function<void(TObject* Sender, TFormControlObjBase* Obj, std::u16string& S)>;
// The results (name=value texts) belong to the handler.
using TFormSubmitEvent = std::function<void(TObject* Sender, const std::u16string& Action, const std::u16string& Target,
                                            const std::u16string& EncType, const std::u16string& Method,
                                            std::unique_ptr<TStringList> Results)>;
using TScriptEvent = std::function<void(TObject* Sender, const std::u16string& Name, const std::u16string& ContentType,
                                        const std::u16string& Src, const std::u16string& Script)>;
using TPanelCreateEvent = std::function<void(TObject* Sender, const std::u16string& AName, const std::u16string& AType,
                                             const std::u16string& SRC, TPanel* Panel)>;
using TPanelDestroyEvent = std::function<void(TObject* Sender, TPanel* Panel)>;
using TPanelPrintEvent = std::function<void(TObject* Sender, TPanel* Panel, TBitmap* Bitmap)>;
using TLinkDrawnEvent = std::function<void(TObject* Sender, int32_t Page, const std::u16string& Url,
                                           const std::u16string& Target, const TRect& ARect)>;
class ThtDocument;
// A notification from the document, with the document as Sender.
using ThtDocumentEvent = std::function<void(ThtDocument* Sender)>;
// A link (its font run) or a form control took the keyboard focus; one of the two is set.
using ThtControlEnterEvent = std::function<void(TFontObj* Link, TFormControlObjBase* Control)>;

// An image name the document still waits for, with the object that waits
// (null: the document's own background).
struct ThtMissingImage {
    std::u16string Name;  // trimmed, upper case
    TImageObj* Image = nullptr;
};

class ThtDocument : public TCell, public ThtParserDocument {
public:
    // Owner and APaintPanel may be null (a document built by hand).
    ThtDocument(ThtDocumentOwner* Owner, TWinControl* APaintPanel);
    ~ThtDocument() override;

    // A print copy of T: the section tree copied, the image cache and inline
    // boxes shared, no id, link, style, position, tab-order or control lists.
    static std::unique_ptr<ThtDocument> CreateCopy(ThtDocument& T);

    void Clear() override;
    bool CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
    int32_t FindDocPos(int32_t SourcePos, bool Prev) override;
    int32_t DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt, int32_t& ScrollWidth,
                    int32_t& Curs) override;
    int32_t Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y, int32_t XRef,
                 int32_t YRef) override;
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override;
    // Gives every form control's window the style elements.
    virtual void ApplyStyleElements();

    // What the parser asks of the document it builds.
    bool ParserUseQuirksMode() const override { return FUseQuirksMode; }
    TStyleList& ParserStyles() override;
    void ParserSetLinksActive(bool Value) override { LinksActive = Value; }
    void ParserProcessInlines(int32_t SIndex, TProperties& Prop, bool Start) override;
    void ParserAddIDName(const std::u16string& Name, int32_t Pos) override;
    int32_t ParserProgressStart() const override { return ProgressStart; }
    void ParserProgress(int32_t Percent) override;
    void ParserSetNoBreak(bool Value) override { FNoBreak = Value; }

    void ClearLists();
    TStyleElements StyleElements() const { return FStyleElements; }
    void SetStyleElements(TStyleElements Value);
    void SetFonts(std::u16string_view Name, std::u16string_view PreName, int32_t ASize, TColor AColor, TColor AHotSpot,
                  TColor AVisitedColor, TColor AActiveColor, TColor ABackground, bool LnksActive, bool LinkUnderLine,
                  int ACodePage, int ACharSet, int32_t MarginHeight, int32_t MarginWidth);
    void SetBackground(TColor ABackground);
    void SetBackgroundBitmap(std::u16string_view Name, const PtPositionRec& APrec);
    void GetBackgroundBitmap();
    // An image by name: cache, the application's handlers, a data address or
    // a file. Delay: the picture comes later.
    ThtImagePtr GetTheImage(std::u16string_view BMName, TTransparency& Transparent, bool& FromCache, bool& Delay);
    // Supplies an image the document waits for; Reformat: a new layout is
    // needed. The stream stays the caller's. With OwnsBitmap the bitmap is
    // the document's from the call on (freed when nobody waits for it);
    // without, the caller keeps it alive as long as the picture is shown.
    void InsertImage(std::u16string_view Src, TStream* Stream, bool& Reformat);
    void InsertImage(std::u16string_view Src, TBitmap* Bitmap, TColor Color, TTransparency Transparent, bool OwnsBitmap,
                     bool& Reformat);
    // The animation timer's tick.
    void CheckGIFList(TObject* Sender);
    // Each form's submission, in form order; null without forms.
    std::unique_ptr<std::vector<std::unique_ptr<TStringList>>> GetFormcontrolData();
    void SetFormcontrolData(const std::vector<std::unique_ptr<TStringList>>& T);
    // An inline box with a border opens (Start) or closes at source index SIndex.
    void ProcessInlines(int32_t SIndex, TProperties* Prop, bool Start);
    void LButtonDown(bool Down);
    void CancelActives();
    void SetYOffset(int32_t Y);
    void HideControls();
    // The selected text: its length, copied into a buffer, or put on the clipboard.
    int32_t GetSelLength();
    int32_t GetSelTextBuf(char16_t* Buffer, int32_t BufSize);
    void CopyToClipboardA(int32_t Leng);
    // The last section at or above Pos (by YPosition), or null.
    TSectionBase* FindSectionAtPosition(int32_t Pos, int32_t& TopPos, int32_t& Index);
    // A stand-alone anchor for name S at source position Pos; answers its index.
    int AddChPosObjectToIDNameList(const std::u16string& S, int32_t Pos);
    void AddSectionToPositionList(TSectionBase* Section);
    void ActivateFormTabbing();
    // Keeps a form of the page (the parser's FORM tags, the automatic form).
    ThtmlFormBase* AddForm(std::unique_ptr<ThtmlFormBase> Form);
    // The factory for forms, controls and control objects (never null).
    ThtObjectFactory& ObjectFactory() const { return FObjectFactory ? *FObjectFactory : NoObjectFactory(); }
    void SetObjectFactory(std::shared_ptr<ThtObjectFactory> Value) { FObjectFactory = std::move(Value); }
    // The owner as Sender of the document's events (null without one).
    TObject* Sender() const { return TheOwner ? TheOwner->SenderObject() : nullptr; }
    // The timer, mouse state and repainting the document uses (the
    // framework's unless others were put in place; never null).
    ThtDocumentServices& Services() const { return *FServices; }
    void SetServices(std::shared_ptr<ThtDocumentServices> Value);

    bool UseQuirksMode() const { return FUseQuirksMode; }
    ThtModelPropStack* PropStack() const { return FPropStack.get(); }
    // The parser's stack (installed by the viewer; a document has none until then).
    void SetPropStack(std::unique_ptr<ThtModelPropStack> Value) { FPropStack = std::move(Value); }
    bool NoBreak() const { return FNoBreak; }
    void SetNoBreak(bool Value) { FNoBreak = Value; }
    TFontStyles CurrentStyle() const { return FCurrentStyle; }
    void SetCurrentStyle(TFontStyles Value) { FCurrentStyle = Value; }
    ThtmlFormBase* CurrentForm() const { return FCurrentForm; }
    void SetCurrentForm(ThtmlFormBase* Value) { FCurrentForm = Value; }

    bool FUseQuirksMode = false;
    std::unique_ptr<ThtModelPropStack> FPropStack;
    TSelTextCount* CB = nullptr;  // the collector while selected text is gathered
    TStyleElements FStyleElements = AllStyleElements;
    bool ShowImages = true;
    bool Printing = false;
    int32_t YOff = 0;  // vertical scroll offset
    bool YOffChange = false, XOffChange = false;
    bool NoPartialLine = false;
    int32_t SelB = 0, SelE = 0;  // a selection exists when SelB < SelE
    TColor LinkVisitedColor = clPurple, LinkActiveColor = clBlue, HotSpotColor = clBlue;
    bool PrintTableBackground = false, PrintBackground = false, PrintMonoBlack = false;
    ThtDocumentOwner* TheOwner = nullptr;
    TWinControl* PPanel = nullptr;  // the paint panel
    TGetBitmapEvent GetBitmap, GottenBitmap;
    TGetImageEvent GetImage, GottenImage;
    TExpandNameEvent ExpandName;
    TObjectClickEvent ObjectClick;
    ThtObjectEvent ObjectFocus, ObjectBlur, ObjectChange;
    TFileBrowseEvent FileBrowse;
    TColor BackGround = clWindow;
    std::u16string PreFontName;
    ThtDocumentEvent OnBackgroundChange;
    ThtImagePtr BackgroundImage;  // the image cache owns it too
    PtPositionRec BackgroundPRec;
    std::u16string BitmapName;
    bool BitmapLoaded = false;
    std::vector<std::unique_ptr<ThtmlFormBase>> htmlFormList;
    std::vector<std::shared_ptr<ThtGifImage>> AGifList;  // animated pictures in the page
    TFormSubmitEvent SubmitForm;
    TScriptEvent ScriptEvent;
    TPanelCreateEvent PanelCreateEvent;
    TPanelDestroyEvent PanelDestroyEvent;
    TPanelPrintEvent PanelPrintEvent;
    int32_t PageBottom = 0;
    bool PageShortened = false;
    std::vector<std::unique_ptr<TMapItem>> MapList;
    std::unique_ptr<ThtDocTimer> Timer;                    // the animation timer, made by the first layout
    std::unique_ptr<TFormControlObjList> FormControlList;  // not owning; none in a copy
    std::vector<TControlObj*> PanelList;                   // panel objects of the page
    std::vector<ThtMissingImage> MissingImages;
    ThtControlEnterEvent ControlEnterEvent;
    std::unique_ptr<TLinkList> LinkList;  // none in a copy
    TFontObj* ActiveLink = nullptr;       // link run under the mouse
    bool LinksActive = false;
    TImageObj* ActiveImage = nullptr;  // image under the mouse
    bool ShowDummyCaret = false;
    std::unique_ptr<TStyleList> Styles;  // none in a copy
    TDrawList DrawList;
    int32_t* FirstLineHtPtr = nullptr;
    std::unique_ptr<TIDObjectList> IDNameList;       // none in a copy
    std::unique_ptr<TSectionBaseList> PositionList;  // not owning; none in a copy
    std::shared_ptr<ThtImageCache> ImageCache;       // set by the viewer
    int32_t SectionCount = 0;
    int32_t CycleNumber = 0;
    int32_t ProgressStart = 0;
    bool IsCopy = false;
    bool NoOutput = false;
    std::unique_ptr<ThtTabOrderList> TabOrderList;  // none in a copy
    bool FirstPageItem = false;
    bool StopTab = false;                     // links are not made tab stops
    std::shared_ptr<TInlineList> InlineList;  // shared with print copies
    int32_t TableNestLevel = 0;
    bool InLogic2 = false;
    TLinkDrawnEvent LinkDrawnEvent;
    int32_t LinkPage = 0;
    THtmlTable* PrintingTable = nullptr;
    float ScaleX = 1.0f, ScaleY = 1.0f;
    bool SkipDraw = false;
    bool FNoBreak = false;
    TFontStyles FCurrentStyle = 0;
    ThtmlFormBase* FCurrentForm = nullptr;
    // A form control tag found no maker (no object factory installed); it
    // is logged once per document.
    bool MissingControlsLogged = false;

private:
    struct CopyTag {};
    ThtDocument(CopyTag, ThtDocument& T);
    int32_t CollectSelectedText(TSelTextCount& Collector);
    ThtImagePtr ImageFromBitmapEvent(std::u16string_view BMName, TTransparency& Transparent, bool& Delay);
    ThtImagePtr ImageFromImageEvent(std::u16string_view BMName, TTransparency& Transparent, bool& Delay);
    ThtImagePtr ImageFromFile(std::u16string_view BMName, TTransparency Transparent);
    // Serves every object waiting for Key (taken out of the list first).
    void ResolveMissingImage(const std::u16string& Key, bool Error, bool& Reformat);
    // The background's name as the handlers or the file system know it,
    // worked out once per background name.
    const std::u16string& ExpandedBitmapName();
    void InvalidatePanel();
    std::shared_ptr<ThtObjectFactory> FObjectFactory;
    std::shared_ptr<ThtDocumentServices> FServices;
    std::u16string FBitmapExpanded;
    bool FBitmapExpandedKnown = false;
};

// The image cache's key of a picture name: trimmed and in upper case.
std::u16string ImageKey(std::u16string_view Name);
