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
    mainBar[kBarExportCertificateImage] = exportCert;
    mainBar[kBarExportRequestImage] = exportRequest;
    const std::vector<Glyph> pages{key_, cert, page, folder};
    // The object list's rows take the critical mark from image 15.
    const std::vector<Glyph> objBar{plus,    page,    cross,   disk,    lens,    arrows,  nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, critical};
    RegisterBitmapResource("BMP_RootCaMainToolBar", strip(mainBar, false));
    RegisterBitmapResource("BMP_RootCaMainToolBar_bl", strip(mainBar, true));
    RegisterBitmapResource("BMP_RootCaMainPageControl", strip(pages, false));
    RegisterBitmapResource("BMP_ObjListEditorToolBar", strip(objBar, false));
    RegisterBitmapResource("BMP_ObjListEditorToolBar_bl", strip(objBar, true));
}
