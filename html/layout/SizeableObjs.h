#pragma once
// Objects of a size of their own in a line of text: the sizeable object
// (specified and resolved size, alternative text, title, border) and the
// image, which finds its picture through the document, sizes itself and
// paints the picture, its placeholder and alternative text, its border and
// its focus mark.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/layout/HtmlNodes.h"
#include "html/layout/Images.h"

class TImageFormControlObjBase;
class TStream;

class TSizeableObj : public TFloatingObj {
public:
    // Floating construction, then ALIGN, HEIGHT, WIDTH, HSPACE and VSPACE.
    TSizeableObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    // No attributes or properties: at the bottom, not floating, no border.
    explicit TSizeableObj(TCellBasic* Parent);

    int32_t GetClientHeight() const override { return FClientHeight; }
    int32_t GetClientWidth() const override { return FClientWidth; }
    void SetClientHeight(int32_t Value) override { FClientHeight = Value; }
    void SetClientWidth(int32_t Value) override { FClientWidth = Value; }
    int32_t GetYPosition() const override { return DrawYY; }

    // The alternative text without line ends at its end.
    void SetAlt(int CodePage, std::u16string_view Value);
    const std::u16string& Alt() const { return FAlt; }
    // Alignment, float, margins, size and border from a property set.
    virtual void ProcessProperties(TProperties* Prop);
    // The client size from the specified size, the room and the picture.
    void CalcSize(int32_t AvailableWidth, int32_t AvailableHeight, bool SizeKnown, int32_t ImageHeight,
                  int32_t ImageWidth);
    bool PtInDrawRect(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) override;
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;

    std::u16string FAlt;
    int32_t FClientHeight = 0, FClientWidth = 0;
    bool ClientSizeKnown = false;             // the size no longer depends on the picture
    int32_t SpecWidth = -1, SpecHeight = -1;  // a percentage when the percent flag is set; -1 not given
    std::u16string Title;
    bool NoBorder = false;
    int32_t BorderSize = 0;

protected:
    TSizeableObj(TCellBasic* Parent, const TSizeableObj& Source);
};

class TImageObj : public TSizeableObj {
public:
    TImageObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    // A plain image of that source (backgrounds and list-style images).
    TImageObj(TCellBasic* Parent, std::u16string_view AnURL);
    ~TImageObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    // Loads the picture on first use and sizes the object.
    void DrawLogicInline(TCanvas* Canvas, TFontObj* FO, int32_t AvailableWidth, int32_t AvailableHeight) override;
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;
    // Draws (or, in a print copy, prints) the picture at (XX, Y).
    void DoDraw(TCanvas* Canvas, int32_t XX, int32_t Y, ThtImage* ddImage);
    ThtHover Hover() const { return FHover; }
    void SetHover(ThtHover Value);
    // A picture that was pending arrived (or failed with Error); false when
    // the object was not waiting. Reformat: the size was not known yet.
    virtual bool InsertImage(std::u16string_view UName, bool Error, bool& Reformat);
    void ReplaceImage(TStream& NewImage);
    // The framework bitmap of the picture, or null.
    TBitmap* Bitmap() const;
    const std::u16string& Source() const { return FSource; }
    ThtImage* Image() const { return FImage.get(); }

    std::u16string FSource;
    ThtImagePtr FImage;     // the image shown
    ThtImagePtr OrigImage;  // the image as loaded
    TTransparency Transparent = NotTransp;
    ThtHover FHover = hvOff;
    bool FHoverImage = false;  // the image reacts to hovering (ACTIVE)
    int32_t AltHeight = 0, AltWidth = 0;
    int32_t ObjHeight = 0, ObjWidth = 0;
    bool IsMap = false;      // server-side map
    bool UseMap = false;     // client-side map
    std::u16string MapName;  // upper case, without a leading "#"
    TImageFormControlObjBase* MyFormControl = nullptr;
    bool Swapped = false;
    bool Missing = false;  // waiting in the document's missing-images list

protected:
    TImageObj(TCellBasic* Parent, const TImageObj& Source);

private:
    // A picture the document delivered becomes the one shown and the one
    // loaded; a GIF from the cache is copied, and animated unless it reacts
    // to hovering.
    void TakeLoadedImage(ThtImagePtr Image, bool FromCache);
};

// The canvas font of alternative texts: "Arial" (its installed stand-in) 8
// points, not bold.
void AssignAltTextFont(TCanvas* Canvas);
// A colour of the document's drawing through the visual style (when the
// document's style elements hold Element) and the palette flag.
TColor DocumentThemedColor(const ThtDocument* Doc, TColor Color, TStyleElement Element);

// The images and other sizeable objects of a section (owned).
class TSizeableObjList : public TFloatingObjList {
public:
    TSizeableObjList() : TFloatingObjList(true) {}
    TSizeableObj* GetItem(int Index) const;
};
