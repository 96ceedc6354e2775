#pragma once
// The formatting of section text as font runs: each run starts at a
// character position and holds the font of everything up to the next run,
// and for text inside a link the link target, its visited and hover states
// and a hidden control that gives the link a keyboard tab stop. The
// document lists every link run in one link list, so hovering, focusing and
// following a link act on all runs of the same link.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/FreeList.h"
#include "html/layout/Selection.h"
#include "html/layout/TabControl.h"
#include "html/text/FontInfo.h"
#include "html/text/StyleTypes.h"

class TFontObj;
class TSection;
class ThtDocument;
class ThtFont;

class TFontObjBase {
public:
    virtual ~TFontObjBase() = default;
    std::unique_ptr<TUrlTarget> UrlTarget{std::make_unique<TUrlTarget>()};
};

class TFontObj : public TFontObjBase {
public:
    // Owns the font F.
    TFontObj(TSection* ASection, std::unique_ptr<ThtFont> F, int32_t Position);
    // A copy for a print copy: position, sub/superscript, the font (in the
    // plain link state when T has link fonts) and the link target; no link
    // fonts and no tab control.
    TFontObj(TSection* ASection, const TFontObj& T);
    ~TFontObj() override;
    TFontObj(const TFontObj&) = delete;
    TFontObj& operator=(const TFontObj&) = delete;

    // Frees the old font, owns F.
    void ReplaceFont(std::unique_ptr<ThtFont> F);
    void ConvertFont(const ThtFontInfo& FI);
    // Takes the metrics of the font.
    void FontChanged();
    int32_t GetOverhang() const { return Overhang; }
    int32_t GetHeight(int32_t& Desc) const {
        Desc = Descent;
        return FontHeight;
    }
    // Writing a state shows the font of the new state (when the run has link fonts).
    bool Visited() const { return FVisited; }
    void SetVisited(bool Value);
    bool Hover() const { return FHover; }
    void SetHover(bool Value);
    // 0 plain, 1 visited, 2 hovered, 3 visited and hovered.
    int LinkStateIndex() const { return (FVisited ? 1 : 0) + (FHover ? 2 : 0); }
    // Hover on every run of this link in List (a link may be split into runs).
    void SetAllHovers(TFontList* List, bool Value);
    void CreateFIArray();
    // Gives the link a tab stop, unless this run or an earlier run of the
    // same link has one; TabIndex > 0 enters it in the document's tab order.
    void CreateTabControl(int32_t TabIndex);
    void LinkEnter();
    void LinkExit();
    void LinkKeyDown(uint16_t& Key, TShiftState Shift);
    // Where the link was drawn, kept by the run that owns the link's tab stop.
    void AssignY(int32_t Y);
    // Takes over the tab control of a run that goes away (same link).
    void TakeTabControl(TFontObj& From);
    // The run's handlers on its tab control (enter, exit, keys, going away).
    void BindTabControl();

    // The link's address; empty without one.
    std::u16string URL() const { return UrlTarget ? UrlTarget->URL : std::u16string(); }
    int32_t DrawYY() const { return FYValue; }
    TSection* Section() const { return FSection; }

    TSection* FSection;
    bool FVisited = false;
    bool FHover = false;
    std::u16string Title;
    int32_t FYValue = 0;
    bool Active = false;  // the link has the keyboard focus
    int32_t Pos;          // first character of the run in its section
    std::unique_ptr<ThtFont> TheFont;
    std::unique_ptr<TFontInfoArray> FIArray;  // the fonts of the four link states
    int32_t FontHeight = 0;                   // tmHeight + tmExternalLeading
    int32_t tmHeight = 0, tmMaxCharWidth = 0;
    int32_t Overhang = 0;  // extra width of italic glyphs
    int32_t Descent = 0;
    ThtAlignmentStyle SScript = aNone;    // aSub, aSuper or aNone
    ThtTabControl* TabControl = nullptr;  // owned; only the first run of a link has one

private:
    ThtDocument* Document() const;
    void ShowLinkState();
    void SetActiveOnLink(bool Value);
};

// The runs of one section in increasing Pos (owned); the first starts at 0.
class TFontList : public TFreeList<TFontObj> {
public:
    explicit TFontList(bool OwnsObjects = true) : TFreeList<TFontObj>(OwnsObjects) {}
    // Appends a copy of every run of T, made for ASection.
    void CopyFrom(TSection* ASection, const TFontList& T);
    TFontObj* GetFont(int Index) const { return Items(Index); }
    // The font of the run that holds Posn, and its overhang.
    ThtFont* GetFontAt(int32_t Posn, int32_t& OHang) const;
    // The last run starting at or before Posn, or null.
    TFontObj* GetFontObjAt(int32_t Posn) const;
    // The characters from Posn to the end of its run (Leng ends the last run).
    int32_t GetFontObjAt(int32_t Posn, int32_t Leng, TFontObj*& Obj) const;
    // After the character at N was removed: later runs move back by one, and
    // a run left without characters goes (its tab control passing to the
    // next run of the same link).
    void Decrement(int32_t N, ThtDocument* Document);
};

// The link runs of the whole document in document order; not owned.
class TLinkList : public TFontList {
public:
    TLinkList() : TFontList(false) {}
};
