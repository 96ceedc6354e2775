// Document construction: paragraphs, line breaks, headings, division-like
// blocks, centred text, forms, field sets and legends, and lists with their
// items.
#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/HtmlStrings.h"
#include "html/text/Properties.h"

namespace {

// What a paragraph holds; any other symbol ends it.
constexpr TElemSymbSet ParagraphContent =
    TElemSymbSet{CommandSy, StringSy, ScriptSy,    ScriptEndSy, BaseFontSy,    BRSy,       ImageSy,
                 PanelSy,   IFrameSy, IFrameEndSy, ProgressSy,  ProgressEndSy, MeterSy,    MeterEndSy,
                 MapSy,     PageSy,   ObjectSy,    ObjectEndSy, LabelSy,       LabelEndSy, TextAreaSy,
                 SelectSy,  ButtonSy, ButtonEndSy, InputSy,     TextAreaEndSy} +
    TElemSymbSet::Range(SpanSy, AEndSy);

constexpr TElemSymbSet HeadingContent =
    TElemSymbSet{StringSy,   ScriptSy,      ScriptEndSy, BaseFontSy,  HRSy,     BRSy,         ImageSy, PanelSy,
                 ProgressSy, ProgressEndSy, MeterSy,     MeterEndSy,  ObjectSy, ObjectEndSy,  LabelSy, LabelEndSy,
                 TextAreaSy, SelectSy,      ButtonSy,    ButtonEndSy, InputSy,  TextAreaEndSy} +
    TElemSymbSet::Range(SpanSy, AEndSy);
constexpr TElemSymbSet HeadingBlocks = {DivSy, ArticleSy, MainSy, NavSy, AsideSy, HGroupSy, HeaderSy, FooterSy};

constexpr TElemSymbSet DivLikeBlocks = {DivSy,   ArticleSy, SectionSy, MainSy,  NavSy,
                                        AsideSy, HGroupSy,  HeaderSy,  FooterSy};

constexpr TElemSymbSet ListContent =
    TElemSymbSet{StringSy, ScriptSy,  BaseFontSy, PageSy, ObjectSy, ObjectEndSy, MarkSy,
                 TimeSy,   MarkEndSy, TimeEndSy,  ASy,    AEndSy,   PreSy,       TableSy} +
    TElemSymbSet::Range(HRSy, MapSy) + TElemSymbSet::Range(SpanSy, DfnEndSy) + TElemSymbSet::Range(H1Sy, H6EndSy) +
    TElemSymbSet::Range(LabelSy, SelectSy) + TElemSymbSet::Range(ButtonSy, TextAreaEndSy);
constexpr TElemSymbSet ListDivs = {DivSy,   CenterSy, ArticleSy, MainSy,   NavSy,
                                   AsideSy, HGroupSy, HeaderSy,  FooterSy, FormSy};
constexpr TElemSymbSet ListItemEnds = {EofSy, LISy, DDSy, DTSy, OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy};
constexpr TElemSymbSet Lists = {OLSy, ULSy, DirSy, MenuSy, DLSy};
constexpr TElemSymbSet EmptyListEnds = {BlockQuoteEndSy, OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy};

constexpr TElemSymbSet ItemContent =
    TElemSymbSet{StringSy, ScriptSy, ScriptEndSy, BaseFontSy, PageSy, ObjectSy, ObjectEndSy} +
    TElemSymbSet::Range(BRSy, MapSy) + TElemSymbSet::Range(SpanSy, AEndSy) + TElemSymbSet::Range(H1Sy, H6Sy) +
    TElemSymbSet::Range(LabelSy, SelectSy) + TElemSymbSet::Range(ButtonSy, TextAreaEndSy);
constexpr TElemSymbSet ItemBlocks =
    TElemSymbSet{DivSy, CenterSy, ArticleSy, MainSy, NavSy, AsideSy, FormSy, FieldsetSy} +
    TElemSymbSet::Range(HGroupSy, BlockQuoteSy);
constexpr TElemSymbSet ItemLists = TElemSymbSet{OLSy} + TElemSymbSet::Range(ULSy, DLSy);

// One more level of nested blocks while a block is being read.
class BlockLevelScope {
public:
    explicit BlockLevelScope(int32_t& Level) : FLevel(Level) { ++FLevel; }
    ~BlockLevelScope() { --FLevel; }
    BlockLevelScope(const BlockLevelScope&) = delete;
    BlockLevelScope& operator=(const BlockLevelScope&) = delete;

private:
    int32_t& FLevel;
};

std::u16string alignOf(const TAttributeList& Attributes) {
    TAttribute* a = nullptr;
    if (!Attributes.Find(AlignSy, a)) return {};
    const std::u16string v = LowerCaseString(a->Name);
    if (v == u"left" || v == u"center" || v == u"right" || v == u"justify") return v;
    if (v == u"middle") return u"center";
    return {};
}

}  // namespace

bool THtmlParser::AtBlockLimit() const { return BlockLevel + TableLevel > MaxBlockLevel; }

std::u16string THtmlParser::GetAlign() { return alignOf(*Attributes); }

void THtmlParser::ApplyAlign() {
    const std::u16string align = GetAlign();
    if (!align.empty()) TopProp()->Props[TextAlign] = align;
}

void THtmlParser::FixBottomMargin(TBlock* B) {
    if (B->MyCell->CheckLastBottomMargin()) {
        B->MargArray[MarginBottom] = 14;
        B->BottomAuto = true;
    }
}

// ---- paragraphs and breaks

void THtmlParser::DoP(const TElemSymbSet& TermSet) {
    if (TermSet.Contains(PSy)) return;
    if (!SectionList) {
        Next();
        return;
    }
    Flush();
    SkipWhiteSpace();
    // Runs of empty paragraphs collapse into one, described by the last tag.
    std::unique_ptr<TAttributeList> tag = TAttributeList::CreateCopy(*Attributes);
    Next();
    while (Sy == PSy || Sy == PEndSy) {
        if (Sy == PSy) tag = TAttributeList::CreateCopy(*Attributes);
        SkipWhiteSpace();
        Next();
    }
    const std::u16string align = alignOf(*tag);
    PushNewProp(PSy, tag->TheClass(), tag->TheID(), u"", tag->TheTitle(), tag->TheStyle());
    if (!align.empty()) TopProp()->Props[TextAlign] = align;
    auto made = std::make_unique<TBlock>(SectionList, tag.get(), TopProp());
    TBlock* block = made.get();
    AddBlock(std::move(made));

    while (!TermSet.Contains(Sy) && ParagraphContent.Contains(Sy)) {
        if (Sy == CommandSy) Next();
        else DoCommonSy();
    }
    if (Sy == TableSy) block->MargArray[MarginBottom] = 0;
    Flush();
    if (InHref) EndHRef();
    PopElement(PSy);
    MoveBack(block);
    if (Sy == PEndSy) Next();
}

void THtmlParser::DoBr(const TElemSymbSet& TermSet) {
    if (TermSet.Contains(BRSy)) return;
    TAttribute* clear = nullptr;
    const bool clearForm = Attributes->Find(ClearSy, clear);
    bool before = false, after = false, intact = false;
    auto readPageBreaks = [&] {
        PushNewProp(BRSy, Attributes->TheClass(), u"", u"", u"", Attributes->TheStyle());
        TopProp()->GetPageBreaks(before, after, intact);
        PopElement(BRSy);
    };
    if (clearForm) {
        if (Section) Flush();
        NewSection(Attributes.get(), false);
        readPageBreaks();
    } else {
        if (!Section) NewSection(Attributes.get(), false);
        if (Section) Section->AddChar(BrkCh, TagIndex);
        Flush();
        readPageBreaks();
    }
    const bool page = before || after;
    if (page && SectionList) {
        Flush();
        SectionList->Add(std::make_unique<TPage>(SectionList, nullptr, TopProp()), TagIndex);
    }
    if (!clearForm || page) NewSection(Attributes.get(), false);
    Next();
}

// ---- headings

void THtmlParser::DoHeading() {
    if (AtBlockLimit() || !SectionList) {
        Next();
        return;
    }
    BlockLevelScope level(BlockLevel);
    const TElemSymb start = Sy;
    const TElemSymb end = ElementEndSymbol(start);
    Flush();
    PushElement();
    ApplyAlign();
    std::unique_ptr<TAttributeList> tag = TAttributeList::CreateCopy(*Attributes);
    SkipWhiteSpace();
    Next();
    if (Sy == CenterSy) {
        TopProp()->Props[TextAlign] = std::u16string(u"center");
        Next();
    }
    auto made = std::make_unique<TBlock>(SectionList, tag.get(), TopProp());
    TBlock* block = made.get();
    AddBlock(std::move(made));
    NewSection(tag.get());

    for (;;) {
        if (Sy == CommandSy) Next();
        else if (HeadingContent.Contains(Sy)) DoCommonSy();
        else if (Sy == PSy) DoP(TElemSymbSet());
        else if (HeadingBlocks.Contains(Sy)) DoDivEtc(Sy, TElemSymbSet{end});
        else break;
    }
    Flush();
    PopElement(start);
    MoveBack(block);
    if (Sy == end) Next();
}

// ---- division-like blocks, centred text, forms, field sets, legends

void THtmlParser::DoDivEtc(TElemSymb Sym, const TElemSymbSet& TermSet) {
    if (AtBlockLimit() || !SectionList) {
        // Too deep: the tag is dropped and its contents flow on.
        Next();
        return;
    }
    BlockLevelScope level(BlockLevel);
    const TElemSymb end = ElementEndSymbol(Sym);

    if (DivLikeBlocks.Contains(Sym)) {
        Flush();
        PushElement();
        const bool inlineDisplay = TopProp()->GetDisplay() == pdInline;
        ApplyAlign();
        TBlock* block = nullptr;
        if (!inlineDisplay) {
            auto made = std::make_unique<TBlock>(SectionList, Attributes.get(), TopProp());
            block = made.get();
            AddBlock(std::move(made));
        }
        NewSection(nullptr, !inlineDisplay);
        Next();
        DoBody(TermSet + TElemSymbSet{end});
        Flush();
        if (InHref) EndHRef();
        PopElement(Sym);
        if (block) {
            FixBottomMargin(block);
            MoveBack(block);
        }
        if (Sy == end) Next();
        return;
    }

    switch (Sym) {
    case CenterSy:
        Flush();
        PushNewProp(CenterSy, u"", u"", u"", u"", nullptr);
        Next();
        DoBody(TermSet + TElemSymbSet{CenterEndSy});
        Flush();
        PopElement(CenterSy);
        if (Sy == CenterEndSy) Next();
        break;
    case AddressSy:
    case BlockQuoteSy:
        Flush();
        if (DoLists(Sym, TermSet + TElemSymbSet{AddressEndSy, BlockQuoteEndSy}) &&
            (Sy == AddressEndSy || Sy == BlockQuoteEndSy))
            Next();
        break;
    case FormSy:
        // A form inside a form ends the outer form's block and starts its own.
        do {
            Flush();
            PushElement();
            auto made = std::make_unique<TBlock>(SectionList, Attributes.get(), TopProp());
            TBlock* block = made.get();
            AddBlock(std::move(made));
            if (FDocument)
                FDocument->FCurrentForm =
                    FDocument->AddForm(FDocument->ObjectFactory().CreateForm(FDocument, Attributes.get()));
            Next();
            DoBody(TermSet + TElemSymbSet{FormSy, FormEndSy});
            Flush();
            PopElement(FormSy);
            FixBottomMargin(block);
            MoveBack(block);
            if (Sy == FormEndSy) {
                if (FDocument) FDocument->FCurrentForm = nullptr;
                Next();
            }
        } while (Sy == FormSy);
        break;
    case FieldsetSy: {
        Flush();
        PushElement();
        ApplyAlign();
        auto made = std::make_unique<TFieldsetBlock>(SectionList, Attributes.get(), TopProp());
        TFieldsetBlock* block = made.get();
        AddBlock(std::move(made));
        NewSection(nullptr);
        Next();
        DoBody(TermSet + TElemSymbSet{FieldsetEndSy});
        Flush();
        PopElement(FieldsetSy);
        FixBottomMargin(block);
        MoveBack(block);
        NewSection(nullptr);
        if (Sy == FieldsetEndSy) Next();
        break;
    }
    case LegendSy: {
        Flush();
        PushElement();
        ApplyAlign();
        // Inside a field set the legend goes to the set's legend cell; elsewhere it is ordinary flow.
        auto* fieldset = dynamic_cast<TFieldsetBlock*>(SectionList->OwnerBlock());
        if (fieldset) SectionList = fieldset->FLegend.get();
        NewSection(nullptr);
        Next();
        DoBody(TermSet + TElemSymbSet{LegendEndSy});
        Flush();
        PopElement(LegendSy);
        if (fieldset) SectionList = fieldset->MyCell.get();
        NewSection(nullptr);
        if (Sy == LegendEndSy) Next();
        break;
    }
    default: Next(); break;
    }
}

// ---- lists

bool THtmlParser::DoLists(TElemSymb Sym, const TElemSymbSet& TermSet) {
    if (AtBlockLimit() || !SectionList) {
        Next();
        return false;
    }
    BlockLevelScope level(BlockLevel);
    const TElemSymb end = ElementEndSymbol(Sym);

    int32_t start = 1;
    char16_t indexType = u'1';
    bool plain = false;
    TAttribute* a = nullptr;
    if (Sym == OLSy) {
        if (Attributes->Find(StartSy, a)) start = a->Value < 0 ? 1 : a->Value;
        if (Attributes->Find(TypeSy, a) && !a->Name.empty()) indexType = a->Name[0];
    } else if (Sym == ULSy) {
        TAttribute* p = nullptr;
        const std::u16string type = Attributes->Find(TypeSy, a) ? LowerCaseString(a->Name) : std::u16string();
        plain = Attributes->Find(PlainSy, p) || type == u"none" || type == u"plain";
        if (type == u"disc") indexType = u'd';
        else if (type == u"circle") indexType = u'c';
        else if (type == u"square") indexType = u's';
    }

    Flush();
    PushElement();
    auto made = std::make_unique<TListBlock>(SectionList, Attributes.get(), TopProp());
    TListBlock* block = made.get();
    AddBlock(std::move(made));
    Next();
    if (EmptyListEnds.Contains(Sy)) {
        // An empty list: its own set goes (whatever end tag closed it).
        PopElement(Sym);
        MoveBack(block);
        return true;
    }
    const bool counted = Lists.Contains(Sym);
    if (counted) ++ListLevel;

    while (Sy != EofSy && Sy != end && !TermSet.Contains(Sy)) {
        if (ListContent.Contains(Sy)) {
            DoCommonSy();
        } else if (Sy == PSy) {
            DoP(TermSet);
        } else if (ListDivs.Contains(Sy)) {
            DoDivEtc(Sy, TermSet + ListItemEnds);
        } else if (Sy == AddressSy || Sy == BlockQuoteSy) {
            DoDivEtc(Sy, TermSet);
        } else if (Lists.Contains(Sy)) {
            if (DoLists(Sy, TermSet) && !TermSet.Contains(Sy)) Next();
        } else if (Sy == LISy || Sy == DDSy || Sy == DTSy) {
            TAttribute* value = nullptr;
            if (Sy == LISy && Attributes->Find(ValueSy, value) && value->Value != 0) start = value->Value;
            DoListItem(Sym, Sy, TermSet, plain, indexType, start);
            ++start;
        } else {
            Next();
        }
    }

    Flush();
    FixBottomMargin(block);
    block->CollapseBottomMargins();
    if (InHref) EndHRef();
    PopElement(Sym);
    MoveBack(block);
    if (counted) --ListLevel;
    return true;
}

void THtmlParser::DoListItem(TElemSymb ListKind, TElemSymb Sym, const TElemSymbSet& TermSet, bool Plain,
                             char16_t IndexType, int32_t Number) {
    if (AtBlockLimit() || !SectionList) {
        Next();
        return;
    }
    BlockLevelScope level(BlockLevel);
    Flush();
    PushElement(Sym);
    auto made = std::make_unique<TBlockLI>(SectionList, Attributes.get(), TopProp(), ListKind, Plain, IndexType, Number,
                                           ListLevel);
    TBlockLI* item = made.get();
    SectionList->Add(std::move(made), TagIndex);
    MoveInto(item);
    NewSection(nullptr);
    const uint64_t first = FSectionSerial;
    SkipWhiteSpace();
    Next();

    for (;;) {
        if (Sy == CommandSy || Sy == PEndSy) {
            Next();
        } else if (ItemContent.Contains(Sy)) {
            DoCommonSy();
        } else if (Sy == PSy) {
            if (!Lists.Contains(ListKind)) break;  // a lone item ends at a paragraph
            DoP(TElemSymbSet());
        } else if (ItemBlocks.Contains(Sy)) {
            DoDivEtc(Sy, TermSet);
        } else if (ItemLists.Contains(Sy)) {
            if (DoLists(Sy, TermSet)) {
                item->MyCell->CheckLastBottomMargin();
                Next();
            }
        } else if (Sy == TableSy) {
            DoTable();
        } else {
            break;
        }
    }

    // An empty item gets a non-breaking space, so that its marker has a line.
    if (Section && FSectionSerial == first && Section->BuffS.empty()) Section->AddChar(0xA0, TagIndex);
    Flush();
    item->MyCell->CheckLastBottomMargin();
    item->CollapseBottomMargins();
    PopElement(Sym);
    MoveBack(item);
}
