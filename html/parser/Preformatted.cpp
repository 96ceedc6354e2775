// Document construction: preformatted text. The contents of "pre" are read
// character by character, each line a preformatted section of its own, with
// the tags that may appear inside (fonts, breaks, objects, controls, inline
// elements, links, paragraphs and forms) taken as they come.
#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Properties.h"

namespace {

constexpr char16_t CR = u'\r';

constexpr TElemSymbSet InlineStarts = TElemSymbSet{SpanSy, LabelSy, ButtonSy} + TElemSymbSet::Range(BSy, TTSy) +
                                      TElemSymbSet::Range(EmSy, DfnSy) + TElemSymbSet::Range(DelSy, TimeSy);
constexpr TElemSymbSet InlineEnds = TElemSymbSet{SpanEndSy, LabelEndSy, ButtonEndSy} +
                                    TElemSymbSet::Range(BEndSy, TTEndSy) + TElemSymbSet::Range(EmEndSy, DfnEndSy) +
                                    TElemSymbSet::Range(DelEndSy, TimeEndSy);
constexpr TElemSymbSet Objects = {ImageSy, PanelSy, IFrameSy, ProgressSy, MeterSy};
constexpr TElemSymbSet Controls = {TextAreaSy, SelectSy, InputSy};
constexpr TElemSymbSet PreEnds = {PreEndSy, TableSy, THEndSy, TDEndSy};

}  // namespace

void THtmlParser::DoPre() {
    if (!SectionList) {
        Next();
        return;
    }
    TTokenObj text;  // the text read since it was last handed to the section
    Flush();
    PushElement(PreSy);
    const int mark = FPropStack->Count() - 1;
    ThtWhiteSpaceStyle whiteSpace = wsNormal;
    if (!ParseWhiteSpaceKeyword(VarStr(TopProp()->Props[piWhiteSpace]), whiteSpace)) whiteSpace = wsNormal;
    auto made = std::make_unique<TBlock>(SectionList, Attributes.get(), TopProp());
    TBlock* pre = made.get();
    AddBlock(std::move(made));
    NewPreSection(true);

    TBlock* paragraph = nullptr;  // a "p" block open inside
    TBlock* form = nullptr;       // a "form" block open inside

    auto handOver = [&] {
        if (Section && text.Count() > 0) Section->AddTokenObj(text);
        text.Clear();
    };
    auto handOverAndFlush = [&] {
        handOver();
        Flush();
    };
    auto endParagraph = [&] {
        handOver();
        if (Section && IsEmptySection(*Section)) Section.reset();
        else Flush();
        PopElement(PSy);
        MoveBack(paragraph);
        paragraph = nullptr;
    };
    auto endForm = [&] {
        if (FDocument) FDocument->FCurrentForm = nullptr;
        handOverAndFlush();
        PopElement(FormSy);
        MoveBack(form);
        form = nullptr;
    };

    bool stop = false;
    while (!stop) {
        if (LCh == 0) break;
        if (LCh <= 8) {
            GetCh();
            continue;
        }
        if (LCh == CR) {
            handOverAndFlush();
            NewPreSection(false);
            GetCh();
            continue;
        }
        if (LCh != u'<') {
            GetText(whiteSpace, text);
            continue;
        }

        Next();
        const TElemSymb sym = Sy;
        if (InlineStarts.Contains(sym)) {
            if (InlineRoomLeft()) {
                handOver();
                PushElement();
                OpenInlineBox();
                ChangeFont();
            }
        } else if (sym == FontEndSy) {
            // Only a font opened inside this "pre" is closed here.
            if (FPropStack->Count() - 1 > mark) {
                PopElement(FontSy);
                handOver();
                ChangeFont();
            }
        } else if (InlineEnds.Contains(sym)) {
            handOver();
            PopElement(ElementStartSymbol(sym));
            ChangeFont();
        } else if (Objects.Contains(sym) || Controls.Contains(sym)) {
            handOver();
            if (Objects.Contains(sym)) DoInlineObject(false);
            else DoFormControl(false);
            // A select list left open ends at the tag that ended it.
            if (sym == SelectSy && PreEnds.Contains(Sy)) stop = true;
        } else {
            switch (sym) {
            case StringSy:  // a "<" that starts no tag
                text.AddUnicodeChar(u'<', TagIndex);
                break;
            case ScriptSy: DoScript(FDocument ? TScriptHandler(FDocument->ScriptEvent) : TScriptHandler()); break;
            case BaseFontSy:
            case FontSy:
                handOver();
                DoFont(true);
                ChangeFont();
                break;
            case BRSy: {
                handOverAndFlush();
                PushNewProp(BRSy, Attributes->TheClass(), u"", u"", u"", Attributes->TheStyle());
                bool before = false, after = false, intact = false;
                TopProp()->GetPageBreaks(before, after, intact);
                if (before || after)
                    SectionList->Add(std::make_unique<TPage>(SectionList, nullptr, TopProp()), TagIndex);
                PopElement(BRSy);
                NewPreSection(false);
                // The line end after the tag is the break itself.
                if (LCh == CR) GetCh();
                break;
            }
            case MapSy: DoMap(false); break;
            case PageSy:
                handOverAndFlush();
                SectionList->Add(std::make_unique<TPage>(SectionList, nullptr, TopProp()), TagIndex);
                NewPreSection(false);
                break;
            case ObjectSy: {
                handOver();
                TReaderState state;
                SaveReaderState(state);
                DoObjects(state);
                RestoreReaderState(state);
                if (LCh == CR) GetCh();
                break;
            }
            case ASy:
                handOver();
                DoA();
                break;
            case AEndSy:
                handOver();
                EndHRef();
                break;
            case PSy: {
                if (paragraph) {
                    endParagraph();
                } else {
                    handOver();
                    if (Section && IsEmptySection(*Section)) Section.reset();
                    else Flush();
                }
                if (LCh == CR) GetCh();
                PushElement(PSy);
                auto block = std::make_unique<TBlock>(SectionList, Attributes.get(), TopProp());
                paragraph = block.get();
                AddBlock(std::move(block));
                NewPreSection(true);
                break;
            }
            case PEndSy:
                if (paragraph) {
                    endParagraph();
                    NewPreSection(true);
                }
                break;
            case FormSy: {
                if (paragraph) endParagraph();
                if (form) endForm();
                else handOverAndFlush();
                PushElement(FormSy);
                auto block = std::make_unique<TBlock>(SectionList, Attributes.get(), TopProp());
                form = block.get();
                AddBlock(std::move(block));
                if (FDocument)
                    FDocument->FCurrentForm =
                        FDocument->AddForm(FDocument->ObjectFactory().CreateForm(FDocument, Attributes.get()));
                NewPreSection(true);
                break;
            }
            case FormEndSy:
                if (paragraph) endParagraph();
                if (form) endForm();
                if (!Section) NewPreSection(true);
                break;
            default:
                if (PreEnds.Contains(sym)) stop = true;
                // Any other tag is dropped.
                break;
            }
        }
    }

    if (form) endForm();
    else handOverAndFlush();
    // The line ends right after "<pre>" and right before "</pre>" make no lines.
    TBlockCell* cell = pre->MyCell.get();
    auto emptyAt = [&](int i) {
        auto* s = dynamic_cast<TSection*>(cell->GetItem(i));
        return s && IsEmptySection(*s);
    };
    if (cell->Count() > 0 && emptyAt(0)) cell->Delete(0);
    if (cell->Count() > 0 && emptyAt(cell->Count() - 1)) cell->Delete(cell->Count() - 1);
    Section.reset();
    while (FPropStack->Count() > mark) PopProp();
    SectionList = pre->OwnerCell();
    if (Sy == PreEndSy || LCh == 0) Next();
}
