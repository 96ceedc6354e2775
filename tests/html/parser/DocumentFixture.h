#pragma once
// Documents built by the parser for the construction tests: a viewer as the
// parser and the model see it (recording what it is told), a document with
// the parser's stack and style list over a default sheet, and a compact
// description of the built tree to compare against.
//
// The description: blocks by their element ("p[...]", "div[...]", "body[...]",
// "ul[...]", "li1[...]" with the item's number, "fieldset[...|legend ...]",
// "hr", "page"), text sections as their text in quotes ("'Hello'"; a forced
// break is "\n", a non-breaking space "~"; blanks folded and trimmed, so the
// white-space handling of the sections does not matter; sections without
// any content are left out), preformatted sections as pre'...' (empty ones
// kept), tables as table{tr(td[...] th[...]) ...} with "head:" and "foot:"
// before rows of those kinds, and a table with a caption as
// captioned[caption-block table-block].
#include <memory>
#include <string>
#include <vector>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"
#include "html/layout/TableBlocks.h"
#include "html/layout/Tables.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/parser/ParserViewer.h"
#include "html/text/Buffer.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "platform/framework/Classes.h"

namespace parsertest {

class FakeViewer : public TObject, public ThtDocumentOwner, public ThtParserViewer {
public:
    TObject* SenderObject() override { return this; }
    std::u16string HtmlExpandFilename(std::u16string_view Filename) override {
        return ExpandBase.empty() || (!Filename.empty() && Filename[0] == u'/') ? std::u16string(Filename)
                                                                                : ExpandBase + std::u16string(Filename);
    }
    bool ShowFocusRect() override { return true; }
    void ControlMouseMove(TObject*, TShiftState, int, int) override {}
    void htProgress(int32_t Percent) override { Progress.push_back(Percent); }
    void FollowLinkByKey(const TUrlTarget&) override {}
    void ViewerKeyDown(uint16_t&, TShiftState) override {}
    std::unique_ptr<ThtFrameViewer> CreateIFrameControl() override { return nullptr; }
    TStyleElements StyleElements() override { return AllStyleElements; }
    bool UseQuirksMode() override { return Quirks; }

    int32_t ParserMarginHeight() override { return MarginHeight; }
    int32_t ParserMarginWidth() override { return MarginWidth; }
    void ParserSetCodePage(int CodePage) override { CodePages.push_back(CodePage); }
    ThtStreamRequestEvent ParserStreamRequest() override { return StreamRequest; }
    ThtObjectTagEvent ParserObjectTag() override { return ObjectTag; }

    bool Quirks = false;
    int32_t MarginHeight = 5, MarginWidth = 10;
    std::u16string ExpandBase;  // prefixed to relative names
    std::vector<int32_t> Progress;
    std::vector<int> CodePages;
    ThtStreamRequestEvent StreamRequest;
    ThtObjectTagEvent ObjectTag;
};

// A document with a viewer (or none), ready for a parse.
class ParsedDocument {
public:
    explicit ParsedDocument(bool withViewer = true, bool quirks = false) {
        viewer.Quirks = quirks;
        doc = std::make_unique<ThtDocument>(withViewer ? &viewer : nullptr, nullptr);
        doc->FUseQuirksMode = quirks;
        InstallParserLists(*doc);
        doc->Styles->Initialize(u"DejaVu Sans", u"DejaVu Sans Mono", 12, clBlack, 0xFF0000, 0x800080, 0x0000FF, true,
                                65001, 1, viewer.MarginHeight, viewer.MarginWidth);
    }

    // Parses UTF-16 HTML (buffer positions are twice the character index).
    ThtDocument& Parse(std::u16string_view html) {
        buffer = std::make_unique<TBuffer>(html, std::u16string(u"test.html"), 1200);
        return ParseBuffer();
    }
    ThtDocument& ParseBuffer() {
        parser = std::make_unique<THtmlParser>(buffer.get());
        parser->ParseHtml(doc.get(), Include, Sound, Meta, Link);
        return *doc;
    }
    ThtDocument& ParseText(std::u16string_view text) {
        buffer = std::make_unique<TBuffer>(text, std::u16string(u"test.txt"), 1200);
        parser = std::make_unique<THtmlParser>(buffer.get());
        parser->ParseText(doc.get());
        return *doc;
    }
    // The whole document: "body[...]".
    std::string Body() const { return Describe(*doc); }
    // The body block and the n-th block in it (sections left out).
    TBlock* BodyBlock() const { return doc->Count() ? dynamic_cast<TBlock*>(doc->GetItem(0)) : nullptr; }
    TBlock* BlockAt(int n) const {
        TBlock* body = BodyBlock();
        for (int i = 0; body && i < body->MyCell->Count(); ++i)
            if (auto* block = dynamic_cast<TBlock*>(body->MyCell->GetItem(i)))
                if (n-- == 0) return block;
        return nullptr;
    }

    FakeViewer viewer;
    std::unique_ptr<ThtDocument> doc;
    std::unique_ptr<TBuffer> buffer;
    std::unique_ptr<THtmlParser> parser;
    TIncludeType Include;
    TSoundType Sound;
    TMetaType Meta;
    TLinkType Link;

    static std::string Text(const TSection& s, bool pre) {
        std::string out;
        for (char16_t c : s.BuffS) {
            if (c == BrkCh) out += "\\n";
            else if (c == 0xA0) out += "~";
            else if (c == ImgPan) out += "#";
            else if (c == FmCtl) out += "@";
            else if (!pre && (c == u' ' || c == u'\r' || c == u'\n')) {
                if (!out.empty() && out.back() != ' ') out += ' ';
            } else out += htmltext::toUtf8(std::u16string(1, c));
        }
        if (!pre)
            while (!out.empty() && out.back() == ' ') out.pop_back();
        // A finished preformatted section ends in one blank of its own.
        else if (!out.empty() && out.back() == ' ') out.pop_back();
        return out;
    }

    static std::string Describe(const TCellBasic& cell) {
        std::string out;
        for (int i = 0; i < cell.Count(); ++i) {
            const std::string item = Describe(*cell.GetItem(i));
            if (item.empty()) continue;
            if (!out.empty()) out += ' ';
            out += item;
        }
        return out;
    }

    static std::string Describe(const TSectionBase& s) {
        if (auto* pre = dynamic_cast<const TPreFormated*>(&s)) return "pre'" + Text(*pre, true) + "'";
        if (auto* section = dynamic_cast<const TSection*>(&s)) {
            if (THtmlParser::IsEmptySection(*section)) return "";
            return "'" + Text(*section, false) + "'";
        }
        if (dynamic_cast<const TPage*>(&s)) return "page";
        if (dynamic_cast<const THRBlock*>(&s)) return "hr";
        if (auto* table = dynamic_cast<const THtmlTable*>(&s)) return DescribeTable(*table);
        if (auto* wrapper = dynamic_cast<const TTableAndCaptionBlock*>(&s))
            return "captioned[" + Describe(*wrapper->MyCell) + "]";
        if (auto* tableBlock = dynamic_cast<const TTableBlock*>(&s)) return Describe(*tableBlock->MyCell);
        if (auto* item = dynamic_cast<const TBlockLI*>(&s))
            return "li" + std::to_string(item->ListNumb()) + "[" + Describe(*item->MyCell) + "]";
        if (auto* fieldset = dynamic_cast<const TFieldsetBlock*>(&s)) {
            std::string out = "fieldset[" + Describe(*fieldset->MyCell);
            if (fieldset->FLegend->Count() > 0) out += "|legend " + Describe(*fieldset->FLegend);
            return out + "]";
        }
        if (auto* block = dynamic_cast<const TBlock*>(&s)) {
            std::string name =
                dynamic_cast<const TBodyBlock*>(&s) ? "body" : htmltext::toUtf8(ElementSymbolName(s.Symbol()));
            if (name.empty()) name = "block";
            return name + "[" + Describe(*block->MyCell) + "]";
        }
        return "?";
    }

    static std::string DescribeTable(const THtmlTable& table) {
        std::string out = "table{";
        for (int r = 0; r < table.Rows.Count(); ++r) {
            const TCellList* row = table.Rows.GetItem(r);
            if (r) out += ' ';
            if (row->RowType == TRowType::THead) out += "head:";
            if (row->RowType == TRowType::TFoot) out += "foot:";
            out += "tr(";
            for (int c = 0; c < row->Count(); ++c) {
                const TCellObjBase* slot = row->GetCellObj(c);
                if (c) out += ' ';
                if (!slot || !slot->Cell()) {
                    out += "-";
                    continue;
                }
                out += "td[" + Describe(*slot->Cell()) + "]";
            }
            out += ")";
        }
        return out + "}";
    }
};

}  // namespace parsertest
