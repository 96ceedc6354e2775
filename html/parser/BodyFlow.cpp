// Document construction: the insertion point and its vocabulary, the body
// loop and everything that lives in a run of text (text, inline elements,
// links, fonts, rules, breaks, images and other objects, form controls).
#include <algorithm>

#include "html/layout/AttributeList.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Buffer.h"
#include "html/text/CodePages.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlStrings.h"
#include "html/text/Properties.h"
#include "html/text/StyleParser.h"

namespace {

// Symbols the body loop hands to DoCommonSy (after the pending html attributes).
constexpr TElemSymbSet CommonInBody = TElemSymbSet{ScriptSy, BaseFontSy, MapSy, PreSy, TableSy} +
                                      TElemSymbSet::Range(HRSy, MeterEndSy) + TElemSymbSet::Range(PageSy, ObjectEndSy) +
                                      TElemSymbSet::Range(SpanSy, AEndSy) + TElemSymbSet::Range(H1Sy, H6EndSy) +
                                      TElemSymbSet::Range(LabelSy, SelectSy) +
                                      TElemSymbSet::Range(ButtonSy, TextAreaEndSy);
constexpr TElemSymbSet DivLike = {DivSy,    CenterSy, ArticleSy, MainSy,       NavSy,  AsideSy,    HGroupSy,
                                  HeaderSy, FooterSy, AddressSy, BlockQuoteSy, FormSy, FieldsetSy, LegendSy};
constexpr TElemSymbSet InlineStarts = TElemSymbSet{SpanSy, LabelSy, ButtonSy} + TElemSymbSet::Range(BSy, TTSy) +
                                      TElemSymbSet::Range(EmSy, DfnSy) + TElemSymbSet::Range(DelSy, TimeSy);
constexpr TElemSymbSet InlineEnds = TElemSymbSet{SpanEndSy, LabelEndSy, ButtonEndSy} +
                                    TElemSymbSet::Range(FontEndSy, TTEndSy) + TElemSymbSet::Range(EmEndSy, DfnEndSy) +
                                    TElemSymbSet::Range(DelEndSy, TimeEndSy);

// The contents of a textarea or the options of a select list when no
// control takes them (no form controls are made): read and dropped.
class DroppedText : public TTextAreaReceiver, public TOptionsReceiver {
public:
    void AddStr(const std::u16string&) override {}
    void AddStr(const std::u16string&, bool, std::unique_ptr<TStringList>, int) override {}
    void ResetToValue() override {}
};

}  // namespace

// ---- the vocabulary

TProperties* THtmlParser::TopProp() const { return FPropStack ? FPropStack->Last() : nullptr; }

void THtmlParser::Flush() {
    if (!Section) return;
    if (SectionList) SectionList->AddSection(Section, TagIndex);
    Section.reset();
}

void THtmlParser::NewSection(TAttributeList* Attr, bool FirstItem, bool WithLink) {
    Flush();
    if (!SectionList) return;
    Section = std::make_unique<TSection>(SectionList, Attr, TopProp(), WithLink ? CurrentURLTarget.get() : nullptr,
                                         FirstItem);
    ++FSectionSerial;
}

void THtmlParser::NewPreSection(bool FirstItem) {
    Flush();
    if (!SectionList) return;
    Section = std::make_unique<TPreFormated>(SectionList, nullptr, TopProp(), CurrentURLTarget.get(), FirstItem);
    ++FSectionSerial;
}

TSection* THtmlParser::EnsureSection() {
    if (!Section) NewSection(nullptr);
    return Section.get();
}

bool THtmlParser::IsEmptySection(const TSection& S) {
    return S.BuffS.empty() && S.Images.Count() == 0 && S.FormControls.Count() == 0 && !S.AnchorName;
}

void THtmlParser::PushElement() { PushElement(Sy); }

void THtmlParser::PushElement(TElemSymb Sym) {
    PushNewProp(Sym, Attributes->TheClass(), Attributes->TheID(), u"", Attributes->TheTitle(), Attributes->TheStyle());
}

void THtmlParser::OpenInlineBox() {
    TProperties* top = TopProp();
    top->SetFontBG();
    if (FDocument && top->HasBorderStyle()) FDocument->ProcessInlines(SIndex(), top, true);
}

void THtmlParser::ChangeFont() {
    if (Section) Section->ChangeFont(TopProp());
}

void THtmlParser::AddBlock(std::unique_ptr<TBlock> B) {
    TBlock* block = B.get();
    SectionList->Add(std::move(B), TagIndex);
    MoveInto(block);
}

void THtmlParser::MoveInto(TBlock* B) { SectionList = B->MyCell.get(); }

void THtmlParser::MoveBack(TBlock* B) { SectionList = B->OwnerCell(); }

// ---- the body loop

void THtmlParser::DoBody(const TElemSymbSet& TermSet) {
    // The html tag's attributes wait only for the content that follows them.
    struct PendingDrop {
        std::unique_ptr<TAttributeList>& Pending;
        ~PendingDrop() { Pending.reset(); }
    } drop{PendingHtmlAttributes};

    while (Sy != EofSy) {
        if (TermSet.Contains(Sy)) return;
        switch (Sy) {
        case StringSy: DoCommonSy(); break;
        case HtmlSy:
            if (BodyBlock && BodyBlock->MyCell->Count() == 0 && TableLevel == 0)
                PendingHtmlAttributes = TAttributeList::CreateCopy(*Attributes);
            Next();
            break;
        case TitleElemSy: DoTitle(); break;
        case BaseSy: DoBase(); break;
        case LinkElemSy: DoStyleLink(); break;
        case MetaSy: DoMeta(CallingObject); break;
        case StyleSy:
            // The sheet reader reads the element's contents from the buffer
            // and leaves LCh at the "<" of the end tag (or 0).
            if (FDocument) ParseStyleSheet(FDocument->ParserStyles(), LCh, *Doc, FUseQuirksMode, false, u"");
            Next();
            break;
        case BgSoundSy:
            ApplyPendingHtmlAttributes();
            DoSound();
            break;
        case BodySy:
            ApplyPendingHtmlAttributes();
            DoBodyElement();
            Next();
            break;
        case PSy:
            ApplyPendingHtmlAttributes();
            DoP(TermSet);
            break;
        case OLSy:
        case ULSy:
        case DirSy:
        case MenuSy:
        case DLSy:
            ApplyPendingHtmlAttributes();
            if (DoLists(Sy, TermSet) && !TermSet.Contains(Sy)) Next();
            break;
        case LISy:
            ApplyPendingHtmlAttributes();
            DoListItem(liAloneSy, Sy, TermSet, false, u'1', 1);
            break;
        case DDSy:
        case DTSy:
            ApplyPendingHtmlAttributes();
            DoListItem(DLSy, Sy, TermSet, false, u'1', 1);
            break;
        case FormEndSy:
            if (FDocument) FDocument->FCurrentForm = nullptr;
            Next();
            break;
        default:
            if (DivLike.Contains(Sy)) {
                ApplyPendingHtmlAttributes();
                DoDivEtc(Sy, TermSet);
            } else if (CommonInBody.Contains(Sy)) {
                ApplyPendingHtmlAttributes();
                DoCommonSy();
            } else {
                // SectionSy builds no block; other end tags, unknown tags, head.
                Next();
            }
            break;
        }
    }
    Next();
}

// ---- text and inline content

void THtmlParser::DoCommonSy() {
    if (InlineStarts.Contains(Sy)) {
        if (!InlineRoomLeft()) {
            Next();
            return;
        }
        PushElement();
        OpenInlineBox();
        ChangeFont();
        Next();
        return;
    }
    if (InlineEnds.Contains(Sy)) {
        PopElement(ElementStartSymbol(Sy));
        ChangeFont();
        Next();
        return;
    }
    switch (Sy) {
    case StringSy:
        if (Section) {
            Section->AddTokenObj(*LCToken);
        } else if (LCToken->Count() > 0 && LCToken->S() != u" ") {
            NewSection(Attributes.get());
            if (Section) Section->AddTokenObj(*LCToken);
        }
        Next();
        break;
    case ScriptSy:
        DoScript(FDocument ? TScriptHandler(FDocument->ScriptEvent) : TScriptHandler());
        Next();
        break;
    case BaseFontSy:
    case FontSy:
        DoFont(false);
        ChangeFont();
        Next();
        break;
    case HRSy: DoHorizontalRule(); break;
    case BRSy: DoBr(TElemSymbSet()); break;
    case ImageSy:
    case PanelSy:
    case IFrameSy:
    case ProgressSy:
    case MeterSy: DoInlineObject(); break;
    case MapSy: DoMap(); break;
    case PageSy:
        Flush();
        if (SectionList) SectionList->Add(std::make_unique<TPage>(SectionList, nullptr, TopProp()), TagIndex);
        Next();
        break;
    case ObjectSy: {
        TReaderState state;
        DoObjects(state);
        break;
    }
    case NoBrSy:
    case NoBrEndSy:
        SetNoBreak(Sy == NoBrSy);
        Next();
        break;
    case WbrSy:
        if (Section) Section->AddOpBrk();
        Next();
        break;
    case ASy:
        DoA();
        Next();
        break;
    case AEndSy:
        EndHRef();
        Next();
        break;
    case H1Sy:
    case H2Sy:
    case H3Sy:
    case H4Sy:
    case H5Sy:
    case H6Sy: DoHeading(); break;
    case PreSy: {
        TAttribute* wrap = nullptr;
        if (Attributes->Find(WrapSy, wrap)) {
            // Wrapped preformatted text is ordinary flow until its end tag pops the set.
            Flush();
            if (InlineRoomLeft()) PushElement();
            Next();
        } else {
            DoPre();
        }
        break;
    }
    case PreEndSy:
        PopElement(PreSy);
        Next();
        break;
    case TableSy: DoTable(); break;
    case TextAreaSy:
    case SelectSy:
    case InputSy: DoFormControl(); break;
    default:
        // ObjectEndSy, heading and textarea end tags, and anything else.
        Next();
        break;
    }
}

void THtmlParser::DoHorizontalRule() {
    Flush();
    if (!SectionList) {
        Next();
        return;
    }
    PushElement();
    auto line = std::make_unique<THorzLine>(SectionList, Attributes.get(), TopProp());
    auto block = std::make_unique<THRBlock>(SectionList, Attributes.get(), TopProp());
    block->MyHRule = line.get();
    block->Align = line->Align;
    THRBlock* rule = block.get();
    SectionList->Add(std::move(block), TagIndex);
    rule->MyCell->Add(std::move(line), TagIndex);
    PopElement(HRSy);
    Next();
}

void THtmlParser::DoInlineObject(bool ReadNext) {
    const TElemSymb sym = Sy;
    if (!EnsureSection()) {
        if (ReadNext) Next();
        return;
    }
    PushElement();
    OpenInlineBox();
    TProperties* top = TopProp();
    TSizeableObj* object = nullptr;
    switch (sym) {
    case ImageSy: object = Section->AddImage(Attributes.get(), SectionList, TagIndex, top); break;
    case PanelSy: object = Section->AddPanel(Attributes.get(), SectionList, TagIndex, top); break;
    case IFrameSy: object = Section->AddFrame(Attributes.get(), SectionList, TagIndex, top); break;
    case ProgressSy: object = Section->AddProgress(Attributes.get(), SectionList, TagIndex, top); break;
    default: object = Section->AddMeter(Attributes.get(), SectionList, TagIndex, top); break;
    }
    if (object) object->ProcessProperties(top);
    PopElement(sym);
    if (ReadNext) Next();
}

void THtmlParser::DoFormControl(bool ReadNext) {
    const TElemSymb sym = Sy;
    if (!EnsureSection()) {
        if (ReadNext) Next();
        return;
    }
    PushElement();
    TFormControlObjBase* control =
        Section->AddFormControl(sym, FDocument, Attributes.get(), SectionList, TagIndex, TopProp());
    DroppedText dropped;
    bool keepSymbol = false;
    if (sym == TextAreaSy) {
        auto* receiver = dynamic_cast<TTextAreaReceiver*>(control);
        DoTextArea(receiver ? *receiver : static_cast<TTextAreaReceiver&>(dropped));
    } else if (sym == SelectSy) {
        auto* receiver = dynamic_cast<TOptionsReceiver*>(control);
        DoSelect(receiver ? *receiver : static_cast<TOptionsReceiver&>(dropped));
        // A list left open ends at the tag that ended it; that tag is not lost.
        keepSymbol = Sy != SelectEndSy;
    }
    if (control) control->ProcessProperties(TopProp());
    PopElement(sym);
    if (ReadNext && !keepSymbol) Next();
}

// ---- links

void THtmlParser::DoA() {
    if (InHref) EndHRef();
    TAttribute* href = nullptr;
    std::u16string pseudo;
    if (Attributes->Find(HrefSy, href)) {
        InHref = true;
        TAttribute* target = nullptr;
        const std::u16string targetName = Attributes->Find(TargetSy, target) ? target->Name : std::u16string();
        CurrentURLTarget->Assign(href->Name, targetName, Attributes.get(), SIndex());
        TAttribute* tabIndex = nullptr;
        if (Attributes->Find(TabIndexSy, tabIndex)) CurrentURLTarget->TabIndex = tabIndex->Value;
        pseudo = u"link";
    }
    if (InlineRoomLeft()) {
        PushNewProp(ASy, Attributes->TheClass(), Attributes->TheID(), pseudo, Attributes->TheTitle(),
                    Attributes->TheStyle());
        TopProp()->SetFontBG();
        OpenInlineBox();
    }
    if (Section) ChangeFont();
    else NewSection(nullptr);

    TAttribute* name = nullptr;
    if (Attributes->Find(NameSy, name) && Section) {
        std::u16string anchor = UpperCaseString(name->Name);
        if (!anchor.empty() && anchor[0] == u'#') anchor.erase(0, 1);
        if (FDocument) FDocument->AddChPosObjectToIDNameList(anchor, SIndex());
        Section->AnchorName = true;
    }
    if (href && Section) Section->HRef(true, FDocument, CurrentURLTarget.get(), Attributes.get(), TopProp());
    if (IsXhtmlEndSy) EndHRef();
}

void THtmlParser::EndHRef() {
    if (InHref) {
        if (FDocument && FDocument->LinkList) CurrentURLTarget->SetLast(FDocument->LinkList.get(), SIndex());
        CurrentURLTarget->Clear();
        InHref = false;
    }
    PopElement(ASy);
    if (Section) Section->HRef(false, FDocument, CurrentURLTarget.get(), nullptr, TopProp());
}

// ---- fonts

void THtmlParser::DoFont(bool Pre) {
    const bool baseFont = Sy == BaseFontSy;
    int charSet = 1;
    bool assignCharSet = false;
    TColor color = clNone;
    bool hasColor = false;
    std::u16string faces;
    int32_t size = 0;
    bool hasSize = false;
    for (int i = 0; i < Attributes->Count(); ++i) {
        TAttribute* a = Attributes->GetAttribute(i);
        switch (a->Which) {
        case CharSetSy: {
            const int codePage = CharsetNameToCodePage(a->Name);
            if (codePage < 0) break;
            TProperties* top = TopProp();
            top->SetCodePage(codePage);
            Doc->SetCodePage(codePage);
            charSet = top->CharSet();
            a->CodePage = top->CodePage();
            assignCharSet = true;
            break;
        }
        case ColorSy: hasColor = TryTextToColor(a->Name, false, color); break;
        case FaceSy:
            if (!baseFont && !a->Name.empty()) faces = a->Name;
            break;
        case SizeSy: {
            int64_t value = a->Value;
            const std::u16string text = TrimString(a->Name);
            if (text.size() >= 2 && (text[0] == u'+' || text[0] == u'-')) value += BaseFontSize;
            size = int32_t(std::clamp<int64_t>(value, 1, 7));
            hasSize = true;
            if (baseFont) BaseFontSize = size;
            break;
        }
        default: break;
        }
    }

    // Too deep a stack leaves the set around the tag as it is.
    if (!InlineRoomLeft()) return;
    PushElement();
    TProperties* top = TopProp();
    top->SetFontBG();
    OpenInlineBox();

    if (hasColor) top->Props[Color] = int64_t(color | ColorPaletteFlag());
    if (hasSize) top->Props[FontSize] = (Pre ? PreFontSizeSteps : FontSizeSteps)[size_t(size)];
    if (!faces.empty()) {
        // A list that names no installed face leaves the inherited one.
        const std::u16string face = FindInstalledFont(faces);
        if (!face.empty()) top->Props[FontFamily] = face;
    }
    // The set keeps the code page it inherited (not -1), so that references
    // in the text that follows still decode through it.
    if (assignCharSet) top->AssignCharSetAndCodePage(charSet, top->CodePage());
    top->TheFont.reset();  // made again from the values just set
}
