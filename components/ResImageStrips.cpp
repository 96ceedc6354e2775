#include "components/ResImageStrips.h"

#include <vector>

#include "platform/framework/ImgList.h"

namespace {
constexpr int cell = 16;
constexpr TColor key = clFuchsia;

using Glyph = void (*)(TCanvas* c, int x, TColor ink);

void page(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(x + 3, 1, x + 13, 15);
    c->MoveTo(x + 5, 5);
    c->LineTo(x + 11, 5);
    c->MoveTo(x + 5, 8);
    c->LineTo(x + 11, 8);
    c->MoveTo(x + 5, 11);
    c->LineTo(x + 9, 11);
}
void folder(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clYellow);
    c->Polygon({{x + 1, 4}, {x + 6, 4}, {x + 7, 6}, {x + 15, 6}, {x + 15, 14}, {x + 1, 14}});
}
void disk(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clNavy);
    c->Rectangle(x + 2, 2, x + 14, 14);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(x + 5, 3, x + 11, 7);
}
void printer(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(x + 4, 1, x + 12, 7);
    c->Brush()->SetColor(ink == clGray ? clSilver : clGray);
    c->Rectangle(x + 1, 6, x + 15, 12);
    c->Brush()->SetColor(clWhite);
    c->Rectangle(x + 4, 10, x + 12, 15);
}
void lens(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Pen()->SetWidth(2);
    c->Brush()->SetColor(clWhite);
    c->Ellipse(x + 2, 2, x + 11, 11);
    c->MoveTo(x + 10, 10);
    c->LineTo(x + 14, 14);
    c->Pen()->SetWidth(1);
}
void key_(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clOlive);
    c->Ellipse(x + 1, 4, x + 8, 11);
    c->Rectangle(x + 7, 6, x + 15, 9);
    c->Rectangle(x + 12, 9, x + 14, 12);
}
void cert(TCanvas* c, int x, TColor ink) {
    page(c, x, ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clRed);
    c->Ellipse(x + 8, 9, x + 14, 15);
}
void cross(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink == clGray ? clGray : clRed);
    c->Pen()->SetWidth(2);
    c->MoveTo(x + 3, 3);
    c->LineTo(x + 13, 13);
    c->MoveTo(x + 13, 3);
    c->LineTo(x + 3, 13);
    c->Pen()->SetWidth(1);
}
void plus(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink == clGray ? clGray : clGreen);
    c->Pen()->SetWidth(3);
    c->MoveTo(x + 8, 2);
    c->LineTo(x + 8, 14);
    c->MoveTo(x + 2, 8);
    c->LineTo(x + 14, 8);
    c->Pen()->SetWidth(1);
}
void arrows(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clTeal);
    c->Polygon({{x + 8, 1}, {x + 14, 7}, {x + 2, 7}});
    c->Polygon({{x + 8, 15}, {x + 14, 9}, {x + 2, 9}});
}
// The mark of a critical object: a red exclamation mark.
void critical(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink == clGray ? clGray : clRed);
    c->Brush()->SetColor(ink == clGray ? clGray : clRed);
    c->Rectangle(x + 7, 2, x + 10, 10);
    c->Rectangle(x + 7, 12, x + 10, 15);
}
// An arrow out to the right, over the lower right corner.
void sendArrow(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clGreen);
    c->Polygon({{x + 9, 8}, {x + 15, 11}, {x + 9, 14}});
}
void exportCert(TCanvas* c, int x, TColor ink) {
    cert(c, x - 2, ink);
    sendArrow(c, x, ink);
}
void exportRequest(TCanvas* c, int x, TColor ink) {
    page(c, x - 2, ink);
    sendArrow(c, x, ink);
}

// A door with an arrow going out of it.
void exitDoor(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clMaroon);
    c->Rectangle(x + 2, 1, x + 9, 15);
    c->Brush()->SetColor(ink == clGray ? clSilver : clGreen);
    c->Polygon({{x + 9, 5}, {x + 15, 8}, {x + 9, 11}});
}
// A new page: a page with a plus at its corner.
void newPage(TCanvas* c, int x, TColor ink) {
    page(c, x - 2, ink);
    c->Pen()->SetColor(ink == clGray ? clGray : clGreen);
    c->Pen()->SetWidth(2);
    c->MoveTo(x + 12, 8);
    c->LineTo(x + 12, 15);
    c->MoveTo(x + 9, 11);
    c->LineTo(x + 16, 11);
    c->Pen()->SetWidth(1);
}
// A broom: a handle and its bristles.
void broom(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink == clGray ? clGray : clMaroon);
    c->Pen()->SetWidth(2);
    c->MoveTo(x + 13, 1);
    c->LineTo(x + 7, 9);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clOlive);
    c->Polygon({{x + 5, 8}, {x + 10, 11}, {x + 6, 15}, {x + 1, 14}});
}
// A tick.
void tick(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink == clGray ? clGray : clGreen);
    c->Pen()->SetWidth(3);
    c->MoveTo(x + 2, 8);
    c->LineTo(x + 6, 12);
    c->LineTo(x + 14, 3);
    c->Pen()->SetWidth(1);
}
// A padlock: its shackle over its body.
void padlock(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Pen()->SetWidth(2);
    c->Brush()->SetStyle(bsClear);
    c->Ellipse(x + 4, 1, x + 12, 11);
    c->Brush()->SetStyle(bsSolid);
    c->Pen()->SetWidth(1);
    c->Brush()->SetColor(ink == clGray ? clSilver : clOlive);
    c->Rectangle(x + 2, 7, x + 14, 15);
}
// No entry: a ring with a bar across.
void noEntry(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink == clGray ? clGray : clRed);
    c->Pen()->SetWidth(2);
    c->Brush()->SetStyle(bsClear);
    c->Ellipse(x + 2, 2, x + 14, 14);
    c->MoveTo(x + 4, 4);
    c->LineTo(x + 12, 12);
    c->Brush()->SetStyle(bsSolid);
    c->Pen()->SetWidth(1);
}
void arrowLeft(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clTeal);
    c->Polygon({{x + 1, 8}, {x + 8, 2}, {x + 8, 5}, {x + 15, 5}, {x + 15, 11}, {x + 8, 11}, {x + 8, 14}});
}
void arrowRight(TCanvas* c, int x, TColor ink) {
    c->Pen()->SetColor(ink);
    c->Brush()->SetColor(ink == clGray ? clSilver : clTeal);
    c->Polygon({{x + 15, 8}, {x + 8, 2}, {x + 8, 5}, {x + 1, 5}, {x + 1, 11}, {x + 8, 11}, {x + 8, 14}});
}

// One strip: the glyphs side by side, grayed in the disabled variant; a null
// glyph leaves its cell empty.
TBitmapResourceMaker strip(std::vector<Glyph> glyphs, bool disabled) {
    return [glyphs = std::move(glyphs), disabled](TBitmap& b) {
        b.SetSize(int(glyphs.size()) * cell, cell);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(key);
        c->FillRect(Rect(0, 0, b.Width(), b.Height()));
        for (size_t i = 0; i < glyphs.size(); ++i)
            if (glyphs[i]) glyphs[i](c, int(i) * cell, disabled ? clGray : clBlack);
        // The bottom-left pixel names the transparent colour.
        c->SetPixel(0, cell - 1, key);
        b.ReleaseCanvas();
        return true;
    };
}
}  // namespace

void registerProgramBitmapStrips() {
    static bool done = false;
    if (done) return;
    done = true;
    std::vector<Glyph> mainBar(kMainBarImageCount, nullptr);
    mainBar[kBarPageImage] = page;
    mainBar[kBarOpenImage] = folder;
    mainBar[kBarSaveImage] = disk;
    mainBar[kBarPrintImage] = printer;
    mainBar[kBarCheckImage] = lens;
    mainBar[kBarKeyImage] = key_;
    mainBar[kBarCertificateImage] = cert;
    mainBar[kBarDeleteImage] = cross;
    mainBar[kBarExchangeImage] = arrows;
    mainBar[kBarExitImage] = exitDoor;
    mainBar[kBarCreateImage] = newPage;
    mainBar[kBarSweepImage] = broom;
    mainBar[kBarLockImage] = padlock;
    mainBar[kBarOkImage] = tick;
    mainBar[kBarExportCertificateImage] = exportCert;
    mainBar[kBarExportRequestImage] = exportRequest;
    const std::vector<Glyph> pages{key_, cert, page, folder};
    std::vector<Glyph> objBar(kObjCriticalImage + 1, nullptr);
    objBar[kObjCreateImage] = plus;
    objBar[kObjEditImage] = page;
    objBar[kObjDeleteImage] = cross;
    objBar[kObjChooseImage] = disk;
    objBar[kObjFindImage] = lens;
    objBar[kObjPrefixImage] = arrows;
    objBar[kObjCancelImage] = noEntry;
    objBar[kObjFindPrevImage] = arrowLeft;
    objBar[kObjFindNextImage] = arrowRight;
    // The object list's rows take the critical mark.
    objBar[kObjCriticalImage] = critical;
    RegisterBitmapResource("BMP_RootCaMainToolBar", strip(mainBar, false));
    RegisterBitmapResource("BMP_RootCaMainToolBar_bl", strip(mainBar, true));
    RegisterBitmapResource("BMP_RootCaMainPageControl", strip(pages, false));
    RegisterBitmapResource("BMP_ObjListEditorToolBar", strip(objBar, false));
    RegisterBitmapResource("BMP_ObjListEditorToolBar_bl", strip(objBar, true));
}
