#pragma once
// Fonts of HTML text: measured fonts with a background colour, em/ex sizes
// and letter spacing; the process-wide cache that measures each distinct
// face, size, style and charset once; the font-size arithmetic of the
// cascade; and the choice of an installed face from a CSS family list.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/text/FontInfo.h"
#include "platform/framework/Graphics.h"

class ThtFont : public TFont {
    DECLARE_CLASS(ThtFont)
    ThtFont();
    // A ThtFont copies its added fields too.
    void Assign(TPersistent* Source) override;
    // Name, height, style, background, colour and charset; not the metrics.
    void Assign(const ThtFontInfo& Info);
    void AssignToCanvas(TCanvas* Canvas) const;

    int32_t bgColor = clNone;
    int32_t tmHeight = 0, tmDescent = 0, tmExternalLeading = 0, tmAveCharWidth = 0, tmMaxCharWidth = 0;
    int32_t tmCharset = 0;
    int32_t CharExtra = 0;  // letter spacing in pixels
    int32_t EmSize = 0, ExSize = 0;
};

// The pixel height of a size in points: -round(PPI × size / 72).
int FontHeightOfSize(double Points);

class ThtFontCache {
public:
    // A new font (the caller's) like the description; letter-spacing text in
    // the description is replaced by its pixels, so it is converted once.
    std::unique_ptr<ThtFont> GetFontLike(ThtFontInfo& Font);
    // The cached font of the description, or null.
    ThtFont* FindFont(const ThtFontInfo& Info) const;
    // Caches F as the answer for the charset it carries.
    void AddFont(std::shared_ptr<ThtFont> F);
    // Forgets every font (after the screen's resolution or fonts changed).
    void Clear() { FFontsByName.clear(); }
    // The number of cached answers.
    size_t Count() const;

private:
    // What requests ask for: the pixel height (a zero size keeps the font's
    // default height, so the request's own is kept) and the charset.
    struct Entry {
        int KeyHeight;
        int KeyCharset;
        std::shared_ptr<ThtFont> Font;
    };
    void AddEntry(std::shared_ptr<ThtFont> F, int KeyHeight, int KeyCharset);
    // Lower-cased face name → its fonts.
    std::vector<std::pair<std::string, std::vector<Entry>>> FFontsByName;
};

ThtFontCache& GlobalFontCache();

// HTML font sizes 1..7 in points for the document's default point size
// (index 0 unused).
extern std::array<double, 8> FontSizeSteps;
extern std::array<double, 8> PreFontSizeSteps;
void SetGlobalFontSizes(double DefaultPointSize);

// CSS font-size text in points: units, keywords (one step larger in quirks
// mode), "larger"/"smaller"; Default otherwise.
double FontSizeToPoints(std::u16string_view Str, bool QuirksMode, double ParentSize, double Default);
// One HTML size step up (+1) or down (-1) from Size.
double StepFontSize(int Step, double Size);
// The first installed face of a CSS family list; empty when none is.
std::u16string FindInstalledFont(std::u16string_view FamilyList);
// Letter-spacing lengths.
double LengthFromUnitTable(std::u16string_view Str, bool Relative, double Default, double EmSize, double Base);
