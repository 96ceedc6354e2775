#pragma once
// The style values of one element or one style rule: 67 values by property
// index (a rule keeps only those it sets), inheritance from the parent
// element, one declaration at a time from a style attribute, and the typed
// getters layout reads.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/text/FontInfo.h"
#include "html/text/HtmlSymbols.h"
#include "html/text/HtmlVariant.h"
#include "html/text/Margins.h"
#include "html/text/PropertyArray.h"
#include "html/text/PropertyIndex.h"
#include "html/text/StyleTypes.h"

class TPropStack;
class TStyleList;
class ThtFont;

class TProperties {
public:
    TProperties();
    explicit TProperties(bool AUseQuirksMode);
    TProperties(TPropStack* APropStack, bool AUseQuirksMode);
    // A full copy: every field but the element symbol, the serial number included.
    static std::unique_ptr<TProperties> CreateCopy(const TProperties& ASource);
    TProperties(const TProperties&) = delete;
    TProperties& operator=(const TProperties&) = delete;
    ~TProperties();

    // The default point size and the 67 values.
    void Copy(const TProperties& Source);
    // The values, code page, default face and size; the tag becomes "default".
    void CopyDefault(const TProperties& Source);
    // Makes this set the child of Source; Tag is this element's tag name.
    void Inherit(std::u16string_view Tag, const TProperties& Source);
    // Inherits again what was not set on this element, after an element
    // below was closed out of order; I is this set's stack index.
    void Update(const TProperties& Source, TStyleList* Styles, int I);
    // One value from an HTML attribute, unless a rule or attribute set it already.
    void Assign(const ThtVariant& Item, ThtPropertyIndex Index);
    // One declaration of a style attribute; unknown and shorthand names are ignored.
    void AddPropertyByName(std::u16string_view PropName, std::u16string_view PropValue);
    // Stores a declaration's text in its index's form (colours as integers,
    // keywords validated); a value the index cannot take leaves it as it
    // was. True when something was stored.
    bool SetDeclaration(ThtPropertyIndex Index, std::u16string_view Value);
    // Sets the value when it is unassigned or AutoSentinel.
    void SetPropertyDefault(ThtPropertyIndex Index, const ThtVariant& Value);
    void SetPropertyDefaults(const ThtPropIndexSet& Indexes, const ThtVariant& Value);
    void SetFontBG();
    void SetCodePage(int CP);
    void AssignCharSetAndCodePage(int CS, int CP);
    // The cascade: merges every style-list entry that matches this element,
    // in precedence order. The set must be the top of its stack and have
    // inherited already. AClass: classes sorted and joined by "."; Pseudo:
    // "link" for a link; AProp: the style attribute's set (may be null).
    void Combine(TStyleList& Styles, std::u16string_view Tag, std::u16string_view AClass, std::u16string_view AnID,
                 std::u16string_view Pseudo, std::u16string_view ATitle, TProperties* AProp,
                 int ParentIndexInPropStack);
    // The link font records of the states (plain, visited, hover, visited
    // and hover); I is this set's stack index.
    void CalcLinkFontInfo(TStyleList& Styles, int I);
    // One entry merged into this set; FillOnly sets only what is unset.
    void MergeStyleEntry(const TProperties& S, bool FillOnly);

    double DefPointSize() const { return FDefPointSize; }
    void SetDefPointSize(double v) { FDefPointSize = v; }
    bool UseQuirksMode() const { return FUseQuirksMode; }
    int CharSet() const { return FCharSet; }
    void SetCharSet(int v) { FCharSet = v; }
    int CodePage() const { return FCodePage; }
    int32_t EmSize() const { return FEmSize; }
    int32_t ExSize() const { return FExSize; }
    TFontInfoArray* FontInfoArray() const { return FIArray.get(); }

    // Typed getters: the stated default when the value is not of the expected kind.
    ThtDisplayStyle GetDisplay() const;
    ThtDisplayStyle Display() const { return GetDisplay(); }
    ThtBulletStyle GetListStyleType() const;
    std::u16string GetListStyleImage() const;
    bool GetBackgroundImage(std::u16string& Image) const;
    void GetBackgroundPos(int32_t EmSize, int32_t ExSize, PtPositionRec& P) const;
    bool GetVertAlign(ThtAlignmentStyle& Align) const;
    bool GetFloat(ThtAlignmentStyle& Align) const;
    // A clear applies once: any text value is dropped when read.
    bool GetClear(ThtClearStyle& Clr);
    ThtBoxPositionStyle GetPosition() const;
    ThtVisibilityStyle GetVisibility() const;
    int32_t GetZIndex() const;
    bool IsOverflowHidden() const;
    bool Collapse() const;
    bool ShowEmptyCells() const;
    int32_t GetLineHeight(int32_t NewHeight) const;
    int32_t GetTextIndent(bool& PC) const;
    ThtTextTransformStyle GetTextTransform() const;
    std::u16string GetFontVariant() const;
    void GetPageBreaks(bool& Before, bool& After, bool& Intact) const;
    TColor GetBackgroundColor() const;
    TColor GetOriginalForegroundColor() const;
    bool GetBorderStyle(ThtPropertyIndex Index, ThtBorderStyle& BorderStyle) const;
    bool BorderStyleNotBlank() const;
    bool HasBorderStyle() const;
    bool HasBorderWidth() const;
    bool GetBoxSizing(ThtBoxSizing& VBoxSizing) const;
    int32_t GetBorderSpacingHorz() const;
    int32_t GetBorderSpacingVert() const;
    bool HasBorderSpacing() const;
    // The box values for layout; border colours fall back to ADefColor
    // (GetVMarginArray: the element's own colour), border styles become integers.
    void GetVMarginArrayDefBorder(ThtVMarginArray& MArray, const ThtVariant& ADefColor) const;
    void GetVMarginArray(ThtVMarginArray& MArray) const;
    // A copy (the caller's) of the font of the current values, made once
    // through the font cache; it also sets EmSize and ExSize.
    std::unique_ptr<ThtFont> GetFont();
    // The link font records (the element must be a link).
    void GetFontInfo(TFontInfoArray& AFI) const;
    void FillFontInfo(ThtFontInfo& Info) const;

    // Fields the style list, the cascade and the parser work on directly.
    TPropStack* PropStack = nullptr;
    bool InLink = false;
    std::u16string DefFontname;
    TElemSymb PropSym = OtherChar;
    std::u16string PropTag;    // tag name, or the selector key of a rule
    std::u16string PropClass;  // classes sorted and joined by "."
    std::u16string PropID;
    std::u16string PropPseudo;  // "link", "visited", "hover" or empty
    std::u16string PropTitle;
    TProperties* PropStyle = nullptr;  // style-attribute properties, not owned
    TColor FontBG = clNone;
    ThtPropertyArray Props;
    std::array<bool, StoredPropCount> Originals{};
    std::unique_ptr<TFontInfoArray> FIArray;
    std::unique_ptr<ThtFont> TheFont;  // made by GetFont, dropped by Update
    int32_t ID = 0;
    int32_t FEmSize = 0;  // of the last font made
    int32_t FExSize = 0;

private:
    struct CopyTag {};
    TProperties(CopyTag, const TProperties& ASource);
    // Forgets the font made for the current values.
    void DropFont();
    int32_t SpacingPixels(ThtPropertyIndex Index) const;

    double FDefPointSize = 0;
    bool FUseQuirksMode = false;
    int FCharSet = 0;
    int32_t FCodePage = 0;
};

// The URL inside "url(...)" of a value, empty without one.
std::u16string UrlFromValue(std::u16string_view Value);
