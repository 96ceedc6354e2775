#pragma once
// Text sections: one run of inline content of a block, its characters once
// (with placeholders #2 for a form control, #4 for an image-like object, #8
// for a forced break), their break classes, the font runs that style them,
// the objects that sit in the text, and, once frozen, the runs that map
// document positions back to source positions. Layout breaks it into lines.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/FontRuns.h"
#include "html/layout/FormBase.h"
#include "html/layout/HtmlNodes.h"
#include "html/layout/LineRecs.h"
#include "html/layout/SizeableObjs.h"

class TControlObj;
class TFrameObj;
class TTokenObj;

// A source-index run: the character at Pos came from source index Index, and
// the index grows by one per character until the next run.
struct ThtIndexObj {
    int32_t Pos = 0;
    int32_t Index = 0;
};

class TSection : public TSectionBase {
public:
    // AnURL: the open link, whose target the first run takes (may be null).
    // FirstItem: the section begins its block (text-indent applies).
    TSection(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, const TUrlTarget* AnURL, bool FirstItem);
    ~TSection() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    bool CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;
    int32_t FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                       bool& Intext) override;
    int32_t FindDocPos(int32_t SourcePos, bool Prev) override;
    int32_t FindSourcePos(int32_t DocPos) override;
    int32_t FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) override;
    int32_t FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) override;
    bool GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) override;
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override;
    bool PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) override;
    void CopyToClipboard() override;
    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override;

    // Appends one character with its source index.
    virtual void AddChar(char16_t C, int32_t Index);
    // Appends a token's characters and source indices.
    virtual void AddTokenObj(TTokenObj& T);
    // Normalises white space, then freezes the section (Finish).
    virtual void ProcessText(int32_t TagIndex);

    // Takes the font runs out of the document's link list and the section
    // out of its id list; the section itself stays.
    void CheckFree();
    // An optional break after the last character.
    void AddOpBrk();
    // Continues the text in the font of Prop.
    void ChangeFont(TProperties* Prop);
    // Starts (IsHRef) or ends a link run.
    void HRef(bool IsHRef, ThtDocument* Document, const TUrlTarget* AnURL, TAttributeList* Attributes,
              TProperties* Prop);
    // Objects that sit in the text at position Len, each with a #4.
    TImageObj* AddImage(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop);
    TFrameObj* AddFrame(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop);
    TControlObj* AddPanel(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop);
    TControlObj* AddProgress(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop);
    TControlObj* AddMeter(TAttributeList* L, TCellBasic* ACell, int32_t Index, TProperties* Prop);
    // A panel object not yet added (an OBJECT element asks its handler first).
    std::unique_ptr<TControlObj> CreatePanel(TAttributeList* L, TCellBasic* ACell, TProperties* Prop);
    TControlObj* AddPanel1(std::unique_ptr<TControlObj> PO, int32_t Index);
    // The control of a SELECT, INPUT or TEXTAREA tag, made through the
    // document's object factory; null when none is made.
    TFormControlObjBase* AddFormControl(TElemSymb Which, ThtDocument* AMasterList, TAttributeList* L, TCellBasic* ACell,
                                        int32_t Index, TProperties* Prop);
    // Room for at least N source indices.
    void Allocate(int32_t N);
    // Freezes the text and builds the source-index runs.
    void Finish();

    // Line breaking and measuring.
    int32_t FindCountThatFits(TCanvas* Canvas, int32_t Width, int32_t Start, int32_t Max);
    void FindTextSize(TCanvas* Canvas, int32_t Start, int32_t N, bool RemoveSpaces, TSize& Size);
    int32_t FindTextWidthA(TCanvas* Canvas, int32_t Start, int32_t N);
    // The break class of character I; the entry after the text (and any
    // position beyond it) reads twYes.
    ThtTextWrap BrkAt(int32_t I) const { return I >= 0 && size_t(I) < Brk.size() ? Brk[size_t(I)] : twYes; }

    const char16_t* Buff() const { return BuffS.c_str(); }

    bool BreakWord = false;  // a word may be broken anywhere
    int32_t DrawWidth = 0;
    int32_t FLPercent = 0;    // first-line indent in percent, at most 90
    int32_t LineHeight = -1;  // CSS line-height in pixels (negative: none)
    TSize StoredMin, StoredMax;
    int32_t SectionNumber = 0;
    int32_t ThisCycle = 0;
    std::u16string BuffS;                 // the characters
    std::vector<ThtTextWrap> Brk;         // break class of each character, plus one
    std::vector<ThtIndexObj> SIndexList;  // built by Finish
    TFreeList<ThtLineRec> Lines{true};
    TSizeableObjList Images;
    TFormControlObjList FormControls{false};
    std::vector<int32_t> XP;  // while building: the source index of each character
    bool AnchorName = false;
    TFontList Fonts{true};
    ThtJustify Justify = ThtJustify::Left;
    ThtClearStyle ClearAttr = clrNone;
    int32_t TextWidth = 0;  // widest laid-out line
    ThtWhiteSpaceStyle WhiteSpaceStyle = wsNormal;
    int32_t FirstLineIndent = 0;

protected:
    TSection(TCellBasic* Parent, const TSection& Source);
    // The CSS white-space value of Prop, when it names one, replaces the style.
    void TakeWhiteSpaceStyle(TProperties* Prop);

private:
    struct LinePass;
    // The break class a character appended now gets.
    ThtTextWrap NewCharBreak() const;
    // Appends a placeholder (#2, #4, #8) as it stands: never hidden, changed
    // in case or given a small-caps font.
    void AppendPlaceholder(char16_t Ch, int32_t Index);
    // Keeps the characters marked in Keep and moves every run, image and
    // control to its new position.
    void KeepOnly(const std::vector<char>& Keep);
    // The line pass of DrawLogic1.
    int32_t LayoutLines(TCanvas* Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, int32_t BlHt,
                        TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs);
    // How many characters of the line fit beside the floats, placing the
    // floats met on the way.
    int32_t FitLine(LinePass& P, int32_t Remaining);
    void PlaceFloat(LinePass& P, TFloatingObj* Obj, int32_t Pos, int32_t Used);
    // The characters of a line that does not hold all the rest; 0 when a
    // spacer line was added instead and the line is to be tried again.
    int32_t ChooseBreak(LinePass& P, int32_t NN);
    void CompleteLine(LinePass& P, int32_t NN);
    void AddSpacer(LinePass& P, int32_t Height);
    // Past the spaces from Pos on.
    int32_t SkipSpaces(int32_t Pos) const;
    // The width of "-" in the font of the character at Pos.
    int32_t DashWidth(TCanvas* Canvas, int32_t Pos);
    // The object of a placeholder at Pos (an image for #4, a control for #2).
    TFloatingObj* ObjectAt(int32_t Pos) const;

    // Drawing (SectionDrawing.cpp).
    struct LinePaint;
    // Whether the line's spaces take its justification extra when drawn.
    bool LineJustified(const ThtLineRec& Line) const;
    // The advance of every character of the line as drawn: text in its run's
    // font, objects in the flow by their total width, the line's extra spread
    // over its spaces when it is justified. Drawing, hit tests and caret
    // placement all go by these, so they agree to the pixel.
    void LineAdvances(TCanvas* Canvas, const ThtLineRec& Line, std::vector<int32_t>& Adv);
    // The border records of the document's inline boxes that overlap the line.
    void BuildBorderList(ThtLineRec& Line);
    // One line's content; with Measure nothing is output and only the
    // border records' rectangles are worked out.
    void DrawLineContent(LinePaint& P, ThtLineRec& Line, int32_t Y, bool Measure);
    // The top and bottom (document Y) of an object in the flow of a line
    // whose text bottom is Y.
    void ObjectBox(const TFloatingObj* Obj, const ThtLineRec& Line, const TFontObj* FO, int32_t Y, int32_t& Top,
                   int32_t& Bottom) const;
    // The run takes the link fonts of Prop and joins the document's link
    // list; with TabStop it gets the link's tab stop.
    void MakeLinkRun(TFontObj* Run, TProperties* Prop, bool TabStop, int32_t TabIndex);
    // The run that continues the text at Len in the font of Prop.
    TFontObj* RunForNewFont(TProperties* Prop);

    // One answer of FindCountThatFits, valid until the next layout.
    struct FitCacheEntry {
        bool Valid = false;
        int32_t Start = 0, Width = 0, Max = 0, Result = 0;
    } FFitCache;
    // The document's layout cycle StoredMin and StoredMax were measured in
    // (fonts and the scale may change between cycles).
    int32_t FStoredCycle = -1;
};

// A section that always keeps its white space.
class TPreFormated : public TSection {
public:
    TPreFormated(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, const TUrlTarget* AnURL, bool FirstItem);
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;

protected:
    TPreFormated(TCellBasic* Parent, const TPreFormated& Source);
};

// The extent of text on a device context: the whole size, and how many
// characters fit into MaxExtent (with the size of those).
void TextExtent(TDeviceContext* DC, std::u16string_view Text, TSize& Size);
int32_t TextExtentFits(TDeviceContext* DC, std::u16string_view Text, TSize& Size, int32_t MaxExtent);
// Text routines over lengths (no terminators are read): the offset of the
// first occurrence of Sub (npos when Sub is empty or absent); of the first
// or last Ch (Text.size() for a 0 character, npos when absent); the 1-based
// index of Sub in Text, or 0; and whether two texts are equal.
size_t FindSubText(std::u16string_view Text, std::u16string_view Sub);
size_t CharPos(std::u16string_view Text, char16_t Ch);
size_t LastCharPos(std::u16string_view Text, char16_t Ch);
size_t SubTextPos(std::u16string_view Sub, std::u16string_view Text);
bool TextsEqual(std::u16string_view A, std::u16string_view B);

// #2, #4, #8, space, "-", "/", "?" and every character from U+3000 up.
bool CanBreakAt(char16_t Ch);
bool IsHyphenLike(char16_t Ch);  // "-", "/", "?"
bool IsWideChar(char16_t Ch);    // U+3000 and up
