// The walk of a frame document for a frame viewer: whether a document is a
// frame set, and its frame sets and frames. Nothing in this program
// implements a frame viewer; the walk is here for one that does.
#include "html/layout/AttributeList.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/parser/ParserViewer.h"
#include "html/text/Buffer.h"
#include "html/text/Properties.h"

namespace {

// The symbols that start a document's body: no frame set follows them.
constexpr TElemSymbSet BodyStarts = TElemSymbSet{HRSy, ImageSy, BodySy, PSy,  AddressSy, BlockQuoteSy, PreSy, OLSy,
                                                 ULSy, DirSy,   MenuSy, DLSy, TableSy,   FormSy,       EofSy} +
                                    TElemSymbSet::Range(H1Sy, H6Sy);

}  // namespace

// The parser set up for a walk with a private stack, and put back after it.
class THtmlParser::FrameScope {
public:
    FrameScope(THtmlParser& P, TFrameViewerBase* FrameViewer)
        : FP(P), FStack(P.FPropStack), FPosition(P.Doc ? P.Doc->Position() : 0) {
        FPrivate.Add(std::make_unique<TProperties>(&FPrivate, false));
        P.FPropStack = &FPrivate;
        P.CallingObject = FrameViewer ? FrameViewer->FrameViewerObject() : nullptr;
        P.SoundEvent = nullptr;
        P.FBase.clear();
        P.FBaseTarget.clear();
        P.InScript = false;
        P.SetNoBreak(false);
        P.InComment = false;
        P.LastChar = lcOther;
        P.LCh = 0;
        P.Attributes = std::make_unique<TAttributeList>();
    }
    ~FrameScope() {
        FP.DropIncludes();
        FP.FPropStack = FStack;
        FP.InComment = false;
        FP.InScript = false;
        if (FP.Doc) FP.Doc->SetPosition(FPosition);
    }
    FrameScope(const FrameScope&) = delete;
    FrameScope& operator=(const FrameScope&) = delete;

private:
    THtmlParser& FP;
    THtmlPropStack FPrivate;
    THtmlPropStack* FStack;
    int FPosition;
};

bool THtmlParser::IsFrame(TFrameViewerBase* FrameViewer) {
    if (!Doc) return false;
    FrameScope scope(*this, FrameViewer);
    try {
        GetCh();
        Next();
        for (;;) {
            if (Sy == FrameSetSy) return true;
            if (BodyStarts.Contains(Sy)) return false;
            if (Sy == ScriptSy) DoScript(TScriptHandler());
            Next();
        }
    } catch (const Exception&) {}
    return false;
}

void THtmlParser::ParseFrame(TFrameViewerBase* FrameViewer, TFrameSetBase* FrameSet, const std::u16string& FName,
                             TMetaType AMetaEvent) {
    if (!Doc || !FrameViewer || !FrameSet) return;
    FrameScope scope(*this, FrameViewer);
    IncludeEvent = FrameViewer->OnInclude;
    SoundEvent = FrameViewer->OnSoundRequest;
    LinkEvent = FrameViewer->OnLink;
    MetaEvent = std::move(AMetaEvent);
    BlockLevel = 0;
    try {
        GetCh();
        Next();
        while (!BodyStarts.Contains(Sy)) {
            switch (Sy) {
            case FrameSetSy: DoFrameSet(FrameViewer, FrameSet, FName); break;
            case NoFramesSy:
                while (Sy != NoFramesEndSy && Sy != EofSy) Next();
                break;
            case TitleElemSy: DoTitle(); continue;  // the token that ended the title is looked at
            case BaseSy: DoBase(); continue;
            case MetaSy: DoMeta(FrameSet); continue;
            case ScriptSy: DoScript(FrameViewer->OnScript); break;
            case BgSoundSy: DoSound(); continue;
            default: break;
            }
            Next();
        }
    } catch (const Exception&) {}
}

void THtmlParser::DoFrameSet(TFrameViewerBase* FrameViewer, TFrameSetBase* FrameSet, const std::u16string& FName) {
    FrameViewer->DoAttributes(FrameSet, Attributes.get());
    // Frame sets nested deeper than blocks may be are read over.
    const bool nested = BlockLevel < MaxBlockLevel;
    ++BlockLevel;
    Next();
    while (Sy != FrameSetEndSy && Sy != EofSy) {
        switch (Sy) {
        case FrameSetSy:
            if (nested)
                if (TFrameSetBase* inner = FrameViewer->CreateSubFrameSet(FrameSet)) {
                    DoFrameSet(FrameViewer, inner, FName);
                    break;
                }
            break;
        case FrameSy: FrameViewer->AddFrame(FrameSet, Attributes.get(), FName); break;
        case NoFramesSy:
            while (Sy != NoFramesEndSy && Sy != EofSy) Next();
            break;
        case ScriptSy: DoScript(FrameViewer->OnScript); break;
        default: break;
        }
        Next();
    }
    --BlockLevel;
    FrameSet->SetTitleAndBase(Title(), FBase, FBaseTarget);
}
