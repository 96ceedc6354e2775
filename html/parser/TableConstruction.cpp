// Document construction: tables. A table tag builds the table model (rows of
// cells, column declarations) inside a table block, wrapped with its
// caption when it has one, and hands the content of each cell, of the
// caption and of anything outside the cells to the body loop.
#include <memory>
#include <vector>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/TableBlocks.h"
#include "html/layout/Tables.h"
#include "html/parser/CellManager.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/HtmlStrings.h"
#include "html/text/Properties.h"

namespace {

// The symbols that end a cell's (or the caption's) content.
constexpr TElemSymbSet CellEnds = {TableEndSy, ColGroupSy, ColSy,      CaptionSy,  CaptionEndSy, THeadSy,
                                   TBodySy,    TFootSy,    THeadEndSy, TBodyEndSy, TFootEndSy,   TRSy,
                                   TREndSy,    THSy,       TDSy,       THEndSy,    TDEndSy};

// What a COL or COLGROUP tag says about its columns.
struct ColumnAttributes {
    int32_t Span = 1;
    TSpecWidth Width;
    ThtAlignmentStyle VAlign = aNone;
    std::u16string Align;
};

void readColAttrs(const TAttributeList& Attributes, ColumnAttributes& C) {
    for (int i = 0; i < Attributes.Count(); ++i) {
        const TAttribute* a = Attributes.GetAttribute(i);
        const std::u16string value = LowerCaseString(a->Name);
        switch (a->Which) {
        case AlignSy: {
            ThtAlignmentStyle align = aNone;
            if (value == u"absmiddle" || value == u"center") align = aMiddle;
            else if (!ParseAlignmentKeyword(value, align)) align = aNone;
            C.Align =
                (align == aMiddle || align == aLeft || align == aRight || align == aJustify) ? value : std::u16string();
            break;
        }
        case SpanAttrSy: C.Span = std::max(a->Value, 1); break;
        case VAlignSy: {
            ThtAlignmentStyle align = aNone;
            if (ParseAlignmentKeyword(value, align) &&
                (align == aTop || align == aMiddle || align == aBaseline || align == aBottom))
                C.VAlign = align;
            break;
        }
        case WidthSy:
            if (a->Name.find(u'%') != std::u16string::npos)
                C.Width = TSpecWidth{std::clamp(a->Value, 0, 100) * 10, wtPercent};
            else if (a->Name.find(u'*') != std::u16string::npos) C.Width = TSpecWidth{a->Value, wtRelative};
            else C.Width = TSpecWidth{a->Value, wtAbsolute};
            break;
        default: break;
        }
    }
}

// A border style from a property value (keyword or number).
bool borderStyleOf(const ThtVariant& V, ThtBorderStyle& Style) {
    if (VarIsStr(V)) return ParseBorderStyleKeyword(VarStr(V), Style);
    if (VarIsOrdinal(V) && VarInt(V) >= bssNone && VarInt(V) <= bssDouble) {
        Style = ThtBorderStyle(VarInt(V));
        return true;
    }
    return false;
}

}  // namespace

ThtAlignmentStyle THtmlParser::GetVAlign(ThtAlignmentStyle Default) {
    TAttribute* a = nullptr;
    if (!Attributes->Find(VAlignSy, a)) return Default;
    const std::u16string v = LowerCaseString(a->Name);
    if (v == u"top" || v == u"baseline") return aTop;
    if (v == u"middle") return aMiddle;
    if (v == u"bottom") return aBottom;
    return Default;
}

void THtmlParser::DoTable() {
    if (TableLevel > MaxTableLevel || !SectionList) {
        // Too deep: the tag is dropped and the contents flow on.
        Next();
        return;
    }
    struct LevelScope {
        int32_t& Level;
        explicit LevelScope(int32_t& L) : Level(L) { ++Level; }
        ~LevelScope() { --Level; }
    } level(TableLevel);

    if (InHref) EndHRef();
    Flush();
    TCellBasic* const outer = SectionList;
    const TFontStyles savedStyle = FDocument ? FDocument->FCurrentStyle : TFontStyles(0);
    const bool savedNoBreak = FDocument ? FDocument->FNoBreak : false;
    const int32_t savedListLevel = ListLevel;
    SectionList = nullptr;

    ThtJustify justify = ThtJustify::NoJustify;
    const std::u16string& textAlign = VarStr(TopProp()->Props[TextAlign]);
    if (textAlign == u"center") justify = ThtJustify::Centered;
    else if (textAlign == u"right") justify = ThtJustify::Right;
    PushElement(TableSy);

    auto madeTable = std::make_unique<THtmlTable>(outer, Attributes.get(), TopProp());
    THtmlTable* const table = madeTable.get();
    auto tableBlock = std::make_unique<TTableBlock>(outer, Attributes.get(), TopProp(), table, TableLevel);
    if (tableBlock->Justify != ThtJustify::Centered && tableBlock->Floating != aLeft && tableBlock->Floating != aRight)
        tableBlock->Justify = justify;
    tableBlock->MyCell->Add(std::move(madeTable), TagIndex);
    auto wrapper = std::make_unique<TTableAndCaptionBlock>(outer, Attributes.get(), TopProp(), tableBlock.get());

    std::unique_ptr<TBlock> captionBlock;
    bool captionOnTop = true;
    std::unique_ptr<TCellManager> manager;
    bool columnsAllowed = true;
    std::unique_ptr<TCellList> row;
    std::unique_ptr<TCellObj> cell;
    TRowType rowType = TRowType::TBody;
    ThtAlignmentStyle rowVAlign = aMiddle;
    int rowMark = FPropStack->Count();
    int groupMark = -1;  // nothing is popped for a group until one starts
    ThtDisplayStyle rowDisplay = pdUnassigned;
    std::vector<std::unique_ptr<TCellList>> footers;

    auto popDownTo = [&](int Mark) {
        while (FPropStack->Count() > std::max(Mark, 1)) PopProp();
    };
    auto restoreStyle = [&] {
        if (FDocument) FDocument->FCurrentStyle = savedStyle;
    };
    auto endCell = [&] {
        if (!SectionList) return;
        if (Section) {
            if (IsEmptySection(*Section)) Section.reset();
            else Flush();
        }
        if (cell) {
            cell->FCell->CheckLastBottomMargin();
            ClampCellSpans(*cell);
            TCellObj* added = cell.get();
            row->Add(cell.release());
            if (manager) manager->AddCell(table->Rows.Count(), *added);
        }
        SectionList = nullptr;
    };
    auto endRow = [&] {
        if (InHref) EndHRef();
        if (!row) return;
        endCell();
        if (rowDisplay == pdNone) {
            row.reset();  // a hidden row goes with its cells
        } else {
            row->RowType = rowType;
            if (rowType == TRowType::TFoot) footers.push_back(std::move(row));
            else table->Rows.Add(row.release());
        }
        row.reset();
        popDownTo(rowMark);
    };
    auto finish = [&](bool ReadNext) {
        if (InHref) EndHRef();
        // Whatever is open is kept: a section where it was being written,
        // the open cell in its row, the open row in the table.
        if (Section) {
            if (SectionList) Flush();
            else Section.reset();
        }
        endCell();
        endRow();
        if (groupMark >= 0) popDownTo(groupMark);
        for (auto& footer : footers) table->Rows.Add(footer.release());
        footers.clear();
        SectionList = outer;
        if (captionBlock) {
            TBlock* caption = captionBlock.get();
            TTableBlock* block = tableBlock.get();
            wrapper->TopCaption = captionOnTop;
            wrapper->SetCaptionBlock(caption);
            TBlockCell* inside = wrapper->MyCell.get();
            if (captionOnTop) {
                inside->Add(std::move(captionBlock), TagIndex);
                inside->Add(std::move(tableBlock), TagIndex);
            } else {
                inside->Add(std::move(tableBlock), TagIndex);
                inside->Add(std::move(captionBlock), TagIndex);
            }
            for (TBlock* b : {caption, static_cast<TBlock*>(block)}) {
                b->SetOwnerCell(inside);
                b->SetOwnerBlock(wrapper.get());
            }
            outer->Add(std::move(wrapper), TagIndex);
        } else {
            wrapper->CancelUsage();
            wrapper.reset();
            outer->Add(std::move(tableBlock), TagIndex);
        }
        PopElement(TableSy);
        restoreStyle();
        SetNoBreak(savedNoBreak);
        ListLevel = savedListLevel;
        manager.reset();
        if (ReadNext) Next();
    };

    auto doColumns = [&] {
        ColumnAttributes group;
        if (Sy == ColGroupSy) {
            if (columnsAllowed) readColAttrs(*Attributes, group);
            SkipWhiteSpace();
            Next();
        }
        bool hadCol = false;
        while (Sy == ColSy) {
            hadCol = true;
            if (columnsAllowed) {
                ColumnAttributes column = group;
                column.Span = 1;
                readColAttrs(*Attributes, column);
                table->DoColumns(column.Span, column.Width, column.VAlign, column.Align);
            }
            SkipWhiteSpace();
            Next();
        }
        if (!hadCol && columnsAllowed) table->DoColumns(group.Span, group.Width, group.VAlign, group.Align);
        if (Sy == ColGroupEndSy) Next();
    };

    auto doCell = [&] {
        const TElemSymb sym = Sy;
        columnsAllowed = false;
        if (InHref) EndHRef();
        restoreStyle();
        ListLevel = 0;
        if (row) {
            endCell();
            popDownTo(rowMark + 1);
        } else {
            // A cell without a row tag opens a row with no attributes.
            rowVAlign = aMiddle;
            rowDisplay = pdUnassigned;
            rowMark = FPropStack->Count();
            PushNewProp(TRSy, u"", u"", u"", u"", nullptr);
            row = std::make_unique<TCellList>(nullptr, TopProp());
        }
        PushElement(sym);
        TProperties* top = TopProp();
        ThtAlignmentStyle vAlign = GetVAlign(rowVAlign);
        if (manager) {
            const int column = manager->FindColNum(table->Rows.Count());
            TColSpecList* specs = table->ColSpecs();
            if (column >= 0 && specs && column < specs->Count()) {
                const TColSpec* spec = specs->GetItem(column);
                if (!spec->ColAlign().empty()) top->Props[TextAlign] = spec->ColAlign();
                if (spec->ColVAlign() != aNone) vAlign = spec->ColVAlign();
            }
        }
        ApplyAlign();
        if (VarIsText(top->Props[TextAlign], u"none"))
            top->Props[TextAlign] = std::u16string(sym == THSy ? u"center" : u"left");

        // The table's rules become the cells' border defaults.
        static const ThtPropertyIndex styles[] = {BorderTopStyle, BorderRightStyle, BorderBottomStyle, BorderLeftStyle};
        switch (table->Rules) {
        case trRows:
            top->SetPropertyDefaults({BorderTopStyle, BorderBottomStyle}, int64_t(bssSolid));
            top->SetPropertyDefaults({BorderLeftStyle, BorderRightStyle}, int64_t(bssNone));
            break;
        case trCols:
            top->SetPropertyDefaults({BorderTopStyle, BorderBottomStyle}, int64_t(bssNone));
            top->SetPropertyDefaults({BorderLeftStyle, BorderRightStyle}, int64_t(bssSolid));
            break;
        case trAll:
            for (ThtPropertyIndex side : styles) {
                ThtBorderStyle style = bssNone;
                if (!borderStyleOf(tableBlock->MargArrayO[side], style) && tableBlock->Properties())
                    borderStyleOf(tableBlock->Properties()->Props[side], style);
                if (style == bssNone || style == bssOutset) style = bssInset;
                else if (style == bssInset) style = bssOutset;
                top->SetPropertyDefault(side, int64_t(style));
            }
            break;
        default: break;
        }
        top->SetPropertyDefaults(ThtPropIndexSet::Range(BorderTopWidth, BorderLeftWidth),
                                 int64_t(table->BorderWidth > 0 ? 1 : 3));
        top->SetPropertyDefaults(ThtPropIndexSet::Range(BorderTopColor, BorderLeftColor), int64_t(table->BorderColor));

        cell = std::make_unique<TCellObj>(tableBlock.get(), vAlign, Attributes.get(), top);
        ClampCellSpans(*cell);
        SectionList = cell->FCell.get();
        TAttribute* noWrap = nullptr;
        if (cell->FSpecWd.VType == wtAbsolute) SetNoBreak(false);
        else SetNoBreak(Attributes->Find(NoWrapSy, noWrap) || VarIsText(top->Props[piWhiteSpace], u"nowrap"));
        NewSection(Attributes.get());
        SkipWhiteSpace();
        Next();
        DoBody(CellEnds);
    };

    try {
        Next();
        for (bool done = false; !done;) {
            switch (Sy) {
            case EofSy:
            case TableEndSy:
            case CaptionEndSy:  // one that no caption took
                done = true;
                break;
            case ColGroupSy:
            case ColSy:
                doColumns();
                if (!manager && table->ColSpecs() && table->ColSpecs()->Count() > 0)
                    manager = std::make_unique<TCellManager>(table);
                break;
            case CaptionSy: {
                if (InHref) EndHRef();
                restoreStyle();
                SetNoBreak(false);
                endCell();
                TAttribute* align = nullptr;
                captionOnTop = !(Attributes->Find(AlignSy, align) && LowerCaseString(align->Name) == u"bottom");
                PushElement(CaptionSy);
                if (!captionBlock) captionBlock = std::make_unique<TBlock>(outer, Attributes.get(), TopProp());
                SectionList = captionBlock->MyCell.get();
                Next();
                DoBody(CellEnds);
                Flush();
                PopElement(CaptionSy);
                SectionList = nullptr;
                if (Sy == CaptionEndSy) Next();
                break;
            }
            case THeadSy:
            case TBodySy:
            case TFootSy:
            case THeadEndSy:
            case TBodyEndSy:
            case TFootEndSy:
                endRow();
                if (groupMark >= 0) popDownTo(groupMark);
                groupMark = FPropStack->Count();
                if (Sy == THeadSy) {
                    rowType = table->Rows.Count() == 0 ? TRowType::THead : TRowType::TBody;
                    if (rowType == TRowType::THead) PushElement(THeadSy);
                } else if (Sy == TBodySy) {
                    rowType = TRowType::TBody;
                    PushElement(TBodySy);
                } else if (Sy == TFootSy) {
                    rowType = TRowType::TFoot;
                    PushElement(TFootSy);
                } else {
                    rowType = TRowType::TBody;
                }
                Next();
                break;
            case TRSy:
                endRow();
                rowMark = FPropStack->Count();
                PushElement(TRSy);
                rowDisplay = TopProp()->GetDisplay();
                ApplyAlign();
                row = std::make_unique<TCellList>(Attributes.get(), TopProp());
                rowVAlign = GetVAlign(aMiddle);
                Next();
                break;
            case TREndSy:
                endRow();
                Next();
                break;
            case THSy:
            case TDSy: doCell(); break;
            case THEndSy:
            case TDEndSy:
                endCell();
                Next();
                break;
            case CommandSy: Next(); break;
            default:
                if (Sy == StringSy && LCToken->S() == u" ") {
                    Next();
                    break;
                }
                // Content outside any cell is placed before the table.
                {
                    TCellBasic* const inside = SectionList;
                    SectionList = outer;
                    DoBody(CellEnds);
                    Flush();
                    SectionList = inside;
                }
                break;
            }
        }
    } catch (...) {
        // The text ended badly (an open comment) or worse: the table keeps
        // what was read, and the insertion point is back outside it.
        finish(false);
        throw;
    }
    finish(true);
}
