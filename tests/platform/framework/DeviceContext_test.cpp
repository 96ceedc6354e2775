// The device context's contract, run against both backends: the Qt backend
// drawing on a bitmap and the recording context layout tests use.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <stdexcept>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/framework/RecordingDC.h"
#include "platform/framework/QtTestApp.h"

namespace {

struct Backend {
    const char* name;
    std::function<std::unique_ptr<TDeviceContext>(std::unique_ptr<TBitmap>&)> make;
};

class DeviceContextContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        ensureQtApp();
        dc = GetParam().make(surface);
        TLogFont f;
        f.Face = "DejaVu Sans";
        f.Height = -16;
        dc->SelectFont(f);
    }
    std::unique_ptr<TBitmap> surface;
    std::unique_ptr<TDeviceContext> dc;
};

const Backend kBackends[] = {
    {"Qt",
     [](std::unique_ptr<TBitmap>& s) {
         s = std::make_unique<TBitmap>(200, 100);
         return NewBitmapDeviceContext(s.get());
     }},
    {"Recording",
     [](std::unique_ptr<TBitmap>&) -> std::unique_ptr<TDeviceContext> {
         return std::make_unique<TRecordingDC>(200, 100);
     }},
};

TEST_P(DeviceContextContract, FitCountAndPartialWidthsNeverExceedTheRoom) {
    const std::u16string texts[] = {u"Hello, world", u"iiii mmmm", u"Пример текста", u"a", u""};
    for (const std::u16string& t : texts) {
        TSize whole;
        std::vector<int> all;
        dc->GetTextExtentExPoint(t, 0, nullptr, &all, whole);
        ASSERT_EQ(all.size(), t.size());
        // The running widths never go back, and the last is the whole extent.
        for (size_t i = 1; i < all.size(); ++i) EXPECT_LE(all[i - 1], all[i]) << "text " << i;
        if (!all.empty()) {
            EXPECT_EQ(all.back(), whole.cx);
        }
        for (size_t i = 0; i < t.size(); ++i)
            EXPECT_EQ(dc->GetTextExtentPoint(std::u16string_view(t).substr(0, i + 1)).cx, all[i]);

        std::vector<int> rooms = {0, -5, whole.cx, whole.cx - 1, whole.cx + 7, INT_MAX};
        if (all.size() > 2) rooms.push_back(all[1]);  // exactly two characters
        for (int room : rooms) {
            int fit = -1;
            std::vector<int> partial;
            TSize size;
            dc->GetTextExtentExPoint(t, room, &fit, &partial, size);
            EXPECT_GE(fit, 0);
            EXPECT_LE(fit, int(t.size()));
            if (room <= 0) {
                EXPECT_EQ(fit, 0) << "room " << room;
            }
            if (fit > 0) {
                EXPECT_LE(partial[size_t(fit - 1)], room);
            }
            if (fit < int(t.size()) && room > 0) {
                EXPECT_GT(partial[size_t(fit)], room) << "room " << room;
            }
            EXPECT_EQ(size.cx, whole.cx);
        }
        if (all.size() > 2) {
            int fit = 0;
            TSize size;
            dc->GetTextExtentExPoint(t, all[1], &fit, nullptr, size);
            EXPECT_GE(fit, 2);  // a room of exactly two characters takes them
        }
    }
}

TEST_P(DeviceContextContract, JustificationSpreadsTheExtraOverALineDrawnInChunks) {
    const std::u16string chunks[] = {u"one two ", u"three", u" four five"};
    std::u16string line;
    for (const auto& c : chunks) line += c;
    const int natural = dc->GetTextExtentPoint(line).cx;
    for (int extra : {0, 1, 7, 13}) {
        const int spaces = 4;
        dc->SetTextAlign(TA_UPDATECP | TA_BASELINE);
        dc->MoveTo(5, 50);
        int measured = 0;
        for (const auto& c : chunks) {
            dc->SetTextJustification(extra, spaces);   // set again before each chunk, as lines are drawn
            measured += dc->GetTextExtentPoint(c).cx;  // measured before it is drawn
            dc->TextOut(0, 0, c);
        }
        dc->SetTextJustification(0, 0);
        EXPECT_EQ(dc->CurrentPosition().X - 5, natural + extra) << "extra " << extra;
        EXPECT_EQ(measured, natural + extra) << "extra " << extra;
        // Measuring alone spreads the extra over the spaces without using it up.
        dc->SetTextJustification(extra, spaces);
        EXPECT_EQ(dc->GetTextExtentPoint(line).cx, natural + extra);
        EXPECT_EQ(dc->GetTextExtentPoint(line).cx, natural + extra);
        dc->SetTextJustification(0, 0);
        EXPECT_EQ(dc->GetTextExtentPoint(line).cx, natural);
    }
    dc->SetTextAlign(TA_TOP);
}

TEST_P(DeviceContextContract, ANewLineStartsItsOwnSpreadWhateverItsValues) {
    dc->SetTextAlign(TA_UPDATECP | TA_BASELINE);
    const std::u16string first = u"a b", second = u"c d e f g";
    const int natural = dc->GetTextExtentPoint(second).cx;
    // A line that counted four gaps but drew one leaves most of its spread unused.
    dc->SetTextJustification(12, 4);
    dc->MoveTo(0, 30);
    dc->TextOut(0, 0, first);
    // The next line happens to have the same extra and gap count.
    dc->SetTextJustification(12, 4);
    dc->MoveTo(0, 60);
    EXPECT_EQ(dc->GetTextExtentPoint(second).cx, natural + 12);  // measured as it will be drawn
    dc->TextOut(0, 0, second);
    EXPECT_EQ(dc->CurrentPosition().X, natural + 12);

    // A chunk raised on its line (a superscript) still continues the line.
    const int xyz = dc->GetTextExtentPoint(u"x y z").cx;
    dc->SetTextJustification(8, 2);
    dc->MoveTo(0, 90);
    dc->TextOut(0, 0, u"x y");
    dc->SetTextJustification(8, 2);
    dc->MoveTo(dc->CurrentPosition().X, 86);
    dc->TextOut(0, 0, u" z");
    EXPECT_EQ(dc->CurrentPosition().X, xyz + 8);
    dc->SetTextJustification(0, 0);
    dc->SetTextAlign(TA_TOP);
}

TEST_P(DeviceContextContract, SurrogatePairsAreOneCharacter) {
    // "a", U+1D538 (a double-struck A, in DejaVu Sans) as a pair, "b".
    const std::u16string text =
        u"a\xD835\xDD38"
        u"b";
    TSize whole;
    std::vector<int> partial;
    dc->GetTextExtentExPoint(text, 0, nullptr, &partial, whole);
    ASSERT_EQ(partial.size(), 4u);
    const int a = dc->GetTextExtentPoint(u"a").cx, b = dc->GetTextExtentPoint(u"b").cx;
    const int pair = dc->GetTextExtentPoint(std::u16string_view(text).substr(1, 2)).cx;
    EXPECT_GT(pair, 0);
    EXPECT_EQ(partial[1], a + pair);  // the whole character on its first unit
    EXPECT_EQ(partial[2], partial[1]);
    EXPECT_EQ(whole.cx, a + pair + b);
    // A fit count never ends between the two units.
    for (int room = 0; room <= whole.cx; ++room) {
        int fit = -1;
        TSize size;
        dc->GetTextExtentExPoint(text, room, &fit, nullptr, size);
        EXPECT_NE(fit, 2) << "room " << room;
    }
    // Character extra widens each character once; a lone surrogate is a character of its own.
    dc->SetTextCharacterExtra(3);
    EXPECT_EQ(dc->GetTextExtentPoint(text).cx, whole.cx + 9);
    const std::u16string lone =
        u"\xD835"
        u"b";
    EXPECT_EQ(dc->GetTextExtentPoint(lone).cx, dc->GetTextExtentPoint(u"\xD835").cx + b + 3);
    dc->SetTextCharacterExtra(0);
    TRect r{0, 0, 1000, 0};
    dc->DrawText(text, r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(r.Width(), whole.cx);
}

TEST_P(DeviceContextContract, CharacterExtraWidensEveryCharacter) {
    const int natural = dc->GetTextExtentPoint(u"abcd").cx;
    dc->SetTextCharacterExtra(3);
    EXPECT_EQ(dc->GetTextExtentPoint(u"abcd").cx, natural + 12);
    dc->SetTextCharacterExtra(-1000);  // never narrower than nothing
    TSize size;
    std::vector<int> partial;
    dc->GetTextExtentExPoint(u"abcd", 10, nullptr, &partial, size);
    EXPECT_EQ(size.cx, 0);
    dc->SetTextCharacterExtra(0);
}

TEST_P(DeviceContextContract, ClipGuardsRestoreTheClipOnEveryWayOut) {
    const TRegion outer = TRegion::Rect(10, 10, 150, 90);
    for (bool clipped : {false, true}) {
        dc->SelectClipRgn(clipped ? &outer : nullptr);
        try {
            TClipGuard guard(dc.get());
            dc->IntersectClipRect(20, 20, 40, 40);
            dc->ExcludeClipRect(25, 25, 30, 30);
            throw std::runtime_error("drawing failed");
        } catch (const std::runtime_error&) {}
        TRegion now;
        EXPECT_EQ(dc->GetClipRgn(now), clipped ? 1 : 0);
        if (clipped) {
            EXPECT_TRUE(now == outer);
        }
    }
    dc->SelectClipRgn(nullptr);
    const int level = dc->SaveDC();
    try {
        TSaveDCGuard guard(dc.get());
        dc->SetTextAlign(TA_BASELINE);
        dc->SelectClipRgn(&outer);
        throw std::runtime_error("drawing failed");
    } catch (const std::runtime_error&) {}
    EXPECT_EQ(dc->GetTextAlign(), TA_TOP);
    TRegion none;
    EXPECT_EQ(dc->GetClipRgn(none), 0);
    EXPECT_TRUE(dc->RestoreDC(level));
    EXPECT_FALSE(dc->RestoreDC(-1));  // nothing saved any more
}

TEST_P(DeviceContextContract, ClipQueriesFollowTheMapping) {
    dc->IntersectClipRect(10, 20, 60, 70);
    EXPECT_TRUE(dc->RectVisible(Rect(0, 0, 11, 21)));
    EXPECT_FALSE(dc->RectVisible(Rect(60, 70, 80, 80)));
    const TRect box = dc->GetClipBox();
    EXPECT_EQ(box.Left, 10);
    EXPECT_EQ(box.Bottom, 70);
    dc->SelectClipRgn(nullptr);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(100, 100);
    dc->SetViewportExt(200, 50);
    dc->SetWindowOrg(10, 0);
    EXPECT_EQ(dc->LPtoDP(Point(60, 40)).X, 100);
    EXPECT_EQ(dc->LPtoDP(Point(60, 40)).Y, 20);
    EXPECT_EQ(dc->DPtoLP(Point(100, 20)).X, 60);
    // Zero extents are refused rather than divided by.
    dc->SetWindowExt(0, 0);
    EXPECT_EQ(dc->GetWindowExt().cx, 100);
    dc->SetMapMode(MM_TEXT);
    dc->SetWindowOrg(0, 0);
    EXPECT_EQ(dc->LPtoDP(Point(7, 9)).X, 7);
}

TEST_P(DeviceContextContract, EmptyAndInvertedSizesAreAnsweredQuietly) {
    TBitmap src(4, 4);
    EXPECT_FALSE(dc->BitBlt(0, 0, 0, 10, &src, 0, 0, SRCCOPY));
    EXPECT_FALSE(dc->BitBlt(0, 0, -3, 10, &src, 0, 0, SRCCOPY));
    EXPECT_FALSE(dc->StretchBlt(0, 0, 10, 10, &src, 0, 0, 0, 4, SRCCOPY));
    EXPECT_FALSE(dc->StretchBlt(0, 0, 10, 10, nullptr, 0, 0, 4, 4, SRCCOPY));
    TBitmap empty;
    EXPECT_FALSE(dc->BitBlt(0, 0, 10, 10, &empty, 0, 0, SRCCOPY));
    dc->FillRect(Rect(10, 10, 5, 20), clRed);
    dc->Rectangle(5, 5, 5, 50);
    dc->Ellipse(0, 0, 0, 0);
    dc->StretchDrawMasked(Rect(0, 0, -5, 5), &src, nullptr);
    dc->StretchDrawMasked(Rect(0, 0, 5, 5), &empty, nullptr);
    TRect none{0, 0, 0, 0};
    EXPECT_TRUE(dc->ExtTextOut(0, 0, ETO_CLIPPED, &none, u"clipped away"));
    TRect r{0, 0, -10, 0};
    EXPECT_GT(dc->DrawText(u"a few words to wrap", r, DT_WORDBREAK | DT_CALCRECT), 0);
    EXPECT_GE(r.Right - r.Left, 0);
}

TEST_P(DeviceContextContract, ExtremeValuesNeitherOverflowNorHang) {
    dc->SetTextCharacterExtra(INT_MAX);
    dc->SetTextJustification(INT_MAX, 1);
    TSize size;
    int fit = -1;
    std::vector<int> partial;
    dc->GetTextExtentExPoint(u"a b c", INT_MAX, &fit, &partial, size);
    EXPECT_GT(size.cx, 0);
    for (size_t i = 1; i < partial.size(); ++i) EXPECT_LE(partial[i - 1], partial[i]);
    dc->SetTextAlign(TA_RIGHT | TA_BOTTOM);
    dc->ExtTextOut(INT_MIN, INT_MIN, 0, nullptr, u"far away");
    dc->SetTextAlign(TA_TOP);
    dc->SetTextCharacterExtra(0);
    dc->SetTextJustification(0, 0);
    TRect r{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX};
    dc->DrawText(u"x y z", r, DT_WORDBREAK | DT_CALCRECT);
    TRect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    dc->DrawText(u"centred", huge, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(huge.Width(), INT_MAX);  // saturated, not wrapped round
    dc->FillRect(huge, clRed);
    TBitmap src(2, 2);
    dc->BitBlt(INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX, &src, 0, 0, SRCCOPY);
    dc->PatBlt(INT_MAX, 0, INT_MAX, 10, WHITENESS);
    dc->SelectPen(TLogPen{PS_GEOMETRIC | PS_DASH, INT_MAX, clBlue});
    dc->Rectangle(0, 0, 50, 50);
    dc->SelectPen(TLogPen{});
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(1, 1);
    dc->SetViewportExt(INT_MAX, INT_MAX);
    EXPECT_EQ(dc->LPtoDP(Point(INT_MAX, INT_MIN)).X, INT_MAX);
    dc->SetMapMode(MM_TEXT);
    TXForm x;
    x.eM11 = 1e300;
    EXPECT_FALSE(TRegion::FromRects({Rect(1, 1, 2, 2)}, &x).PtIn(0, 0));
}

TEST_P(DeviceContextContract, WordWrapKeepsEveryLineInsideTheRoom) {
    const std::u16string text = u"the quick brown fox jumps over the lazy dog";
    const int word = dc->GetTextExtentPoint(u"quick").cx;
    TRect r{0, 0, word * 2, 0};
    const int h = dc->DrawText(text, r, DT_WORDBREAK | DT_CALCRECT);
    const int lineHeight = dc->GetTextMetrics().Height;
    EXPECT_GT(h, lineHeight);
    EXPECT_EQ(h % lineHeight, 0);
    EXPECT_LE(r.Width(), word * 2);
    TRect one{0, 0, 10000, 0};
    EXPECT_EQ(dc->DrawText(text, one, DT_WORDBREAK | DT_CALCRECT), lineHeight);
    EXPECT_EQ(one.Width(), dc->GetTextExtentPoint(text).cx);
}

TEST_P(DeviceContextContract, MetricsAreConsistent) {
    const TTextMetric tm = dc->GetTextMetrics();
    EXPECT_EQ(tm.Height, tm.Ascent + tm.Descent);
    EXPECT_GT(tm.Ascent, tm.Descent);
    EXPECT_GE(tm.InternalLeading, 0);
    EXPECT_GE(tm.MaxCharWidth, tm.AveCharWidth);
    EXPECT_EQ(dc->GetTextExtentPoint(u"x").cy, tm.Height);
    TLogFont bigger = dc->CurrentFont();
    bigger.Height = -32;
    dc->SelectFont(bigger);
    EXPECT_GT(dc->GetTextMetrics().Height, tm.Height);
    EXPECT_EQ(dc->GetTextExtentPoint(u"\x02\x04\x08").cx, 0);  // placeholders take no room
}

TEST_P(DeviceContextContract, SavedLevelsRestoreObjectsAndModes) {
    dc->SetBkMode(TRANSPARENT);
    const int level = dc->SaveDC();
    EXPECT_EQ(level, 1);
    dc->SelectPen(TLogPen{PS_DOT | PS_GEOMETRIC, 4, clRed});
    dc->SetBkMode(OPAQUE);
    dc->SetTextColor(clBlue);
    dc->SaveDC();
    dc->SetTextColor(clGreen);
    EXPECT_TRUE(dc->RestoreDC(level));
    EXPECT_EQ(dc->GetBkMode(), TRANSPARENT);
    EXPECT_EQ(dc->CurrentPen().Style, PS_SOLID);
    EXPECT_NE(dc->GetTextColor(), clGreen);
    EXPECT_FALSE(dc->RestoreDC(3));
}

INSTANTIATE_TEST_SUITE_P(Backends, DeviceContextContract, ::testing::ValuesIn(kBackends),
                         [](const ::testing::TestParamInfo<Backend>& i) { return std::string(i.param.name); });

// ---- regions (pure data, one backend for both)

TEST(Region, ShapesHoldTheirPixels) {
    struct Case {
        const char* what;
        TRegion rgn;
        std::vector<TPoint> in, out;
    };
    // A five-pointed star drawn in one stroke: its centre is inside only by the winding rule.
    const std::vector<TPoint> star = {Point(50, 0), Point(80, 100), Point(0, 35), Point(100, 35), Point(20, 100)};
    const Case cases[] = {
        {"rectangle", TRegion::Rect(2, 3, 7, 9), {Point(2, 3), Point(6, 8)}, {Point(7, 8), Point(6, 9), Point(1, 3)}},
        {"inverted rectangle", TRegion::Rect(7, 9, 2, 3), {}, {Point(4, 5)}},
        {"ellipse",
         TRegion::Ellipse(0, 0, 20, 10),
         {Point(10, 5), Point(1, 5)},
         {Point(0, 0), Point(19, 9), Point(20, 5)}},
        {"star, alternate", TRegion::Polygon(star, ALTERNATE), {Point(50, 10)}, {Point(50, 50), Point(0, 0)}},
        {"star, winding", TRegion::Polygon(star, WINDING), {Point(50, 10), Point(50, 50)}, {Point(0, 0)}},
        {"two points", TRegion::Polygon({Point(0, 0), Point(5, 5)}), {}, {Point(0, 0)}},
    };
    for (const Case& c : cases) {
        for (const TPoint& p : c.in) EXPECT_TRUE(c.rgn.PtIn(p.X, p.Y)) << c.what << " " << p.X << "," << p.Y;
        for (const TPoint& p : c.out) EXPECT_FALSE(c.rgn.PtIn(p.X, p.Y)) << c.what << " " << p.X << "," << p.Y;
    }
}

TEST(Region, CombinesAndMapsRectangles) {
    const TRegion a = TRegion::Rect(0, 0, 10, 10), b = TRegion::Rect(5, 5, 15, 15);
    TRegion r;
    EXPECT_EQ(r.Combine(a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(r.Box().Left, 5);
    EXPECT_EQ(r.Combine(a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(r.PtIn(7, 7));
    EXPECT_TRUE(r.PtIn(2, 7));
    EXPECT_EQ(r.Combine(a, a, RGN_XOR), NULLREGION);
    EXPECT_EQ(r.Combine(a, b, 99), RGN_ERROR);
    // Rectangles mapped by scale and offset, as printing maps a bitmap's opaque runs.
    TXForm x;
    x.eM11 = 2;
    x.eM22 = 3;
    x.eDx = 10;
    x.eDy = 1;
    const TRegion m = TRegion::FromRects({Rect(0, 0, 2, 1), Rect(1, 0, 3, 1), Rect(0, 1, 1, 2)}, &x);
    EXPECT_TRUE(m.PtIn(10, 1));
    EXPECT_TRUE(m.PtIn(15, 3));
    EXPECT_FALSE(m.PtIn(16, 3));
    EXPECT_TRUE(m.PtIn(11, 6));
    EXPECT_FALSE(m.PtIn(12, 6));
    EXPECT_EQ(m.Box().Right, 16);
}

TEST(RectHelpers, ClassicRectangleAndMulDivRules) {
    TRect r = Rect(0, 0, 10, 10), out;
    EXPECT_TRUE(IntersectRect(out, r, Rect(5, 5, 20, 20)));
    EXPECT_EQ(out.Left, 5);
    EXPECT_EQ(out.Right, 10);
    EXPECT_FALSE(IntersectRect(out, r, Rect(10, 0, 20, 10)));  // touching edges share nothing
    EXPECT_TRUE(IsRectEmpty(out));
    EXPECT_TRUE(UnionRect(out, Rect(3, 3, 3, 9), r));  // the empty one counts for nothing
    EXPECT_EQ(out.Left, 0);
    EXPECT_TRUE(PtInRect(r, Point(9, 9)));
    EXPECT_FALSE(PtInRect(r, Point(10, 9)));
    InflateRect(r, 2, -1);
    EXPECT_EQ(r.Left, -2);
    EXPECT_EQ(r.Bottom, 9);
    OffsetRect(r, INT_MAX, 0);
    EXPECT_EQ(r.Right, INT_MAX);  // saturated
    struct Case {
        int n, num, den, expected;
    };
    const Case cases[] = {{10, 3, 4, 8}, {10, 1, 4, 3},       {-10, 1, 4, -3},
                          {5, 1, 2, 3},  {-5, 1, 2, -3},      {7, 0, 3, 0},
                          {1, 1, 0, -1}, {INT_MAX, 2, 1, -1}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}};
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.n, c.num, c.den), c.expected) << c.n << "*" << c.num << "/" << c.den;
}

TEST(DeviceColour, PaletteRelativeBitIsMaskedAndSystemColoursResolve) {
    ensureQtApp();
    EXPECT_EQ(DeviceRGB(TColor(0x02A0B0C0)), 0xA0B0C0);
    EXPECT_EQ(DeviceRGB(clRed), clRed);
    EXPECT_EQ(DeviceRGB(clWindow), ColorToRGB(clWindow));
    EXPECT_EQ(uint32_t(DeviceRGB(clBtnFace)) & 0xFF000000u, 0u);
}

TEST(RecordingDC, LogsEveryCallWithFixedMetrics) {
    TRecordingDC dc(100, 50);
    TLogFont f;
    f.Height = -20;
    dc.SelectFont(f);
    EXPECT_EQ(dc.GetTextExtentPoint(u"im w").cx, 5 + 20 + 5 + 20);  // narrow, wide, space, wide
    EXPECT_EQ(dc.GetTextMetrics().Ascent, 20);
    EXPECT_EQ(dc.GetTextMetrics().Descent, 5);
    f.Style = fsSet(fsBold);
    dc.SelectFont(f);
    EXPECT_EQ(dc.GetTextExtentPoint(u"ab").cx, 22);
    dc.ClearLog();
    dc.SetTextAlign(TA_BASELINE);
    dc.FillRect(Rect(1, 2, 3, 4), clRed);
    dc.TextOut(5, 30, u"Hi");
    ASSERT_EQ(dc.Calls("FillRect").size(), 1u);
    EXPECT_EQ(dc.Calls("FillRect")[0], "FillRect 1 2 3 4 255");
    ASSERT_EQ(dc.Calls("=text").size(), 1u);
    EXPECT_EQ(dc.Calls("=text")[0], "=text 5 30 opaque 5 10 22 35 \"Hi\"");
    EXPECT_EQ(dc.Calls("SetTextAlign").size(), 1u);
    TLogFont symbol;
    symbol.Face = "Symbol";
    symbol.Charset = 204;
    dc.SelectFont(symbol);
    EXPECT_EQ(dc.GetTextMetrics().CharSet, SYMBOL_CHARSET);
}

TEST(RecordingDC, CanvasSelectsItsObjectsOnceAndMayRefuseToDraw) {
    TRecordingDC dc;
    TCanvas canvas;
    canvas.SetDevice(&dc);
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 5, 5));
    canvas.FillRect(Rect(5, 5, 9, 9));
    EXPECT_EQ(dc.Calls("SelectBrush").size(), 1u);  // selected when it changed, not per call
    EXPECT_EQ(dc.Calls("FillRect").size(), 2u);
    canvas.OnChanging = [](TObject*) { throw Exception("Printer is not currently printing"); };
    EXPECT_THROW(canvas.TextOut(0, 0, "x"), Exception);
    EXPECT_EQ(dc.Calls("ExtTextOut").size(), 0u);
    EXPECT_GT(canvas.TextWidth("x"), 0);  // measuring is no drawing
    canvas.SetDevice(nullptr);
}

TEST(ScreenDC, ProviderCanBeReplacedAndRestored) {
    ensureQtApp();
    auto old = SetScreenDCProvider([] { return std::make_unique<TRecordingDC>(); });
    EXPECT_NE(dynamic_cast<TRecordingDC*>(GetScreenDC().get()), nullptr);
    SetScreenDCProvider(old);
    const auto dc = GetScreenDC();
    EXPECT_EQ(dynamic_cast<TRecordingDC*>(dc.get()), nullptr);
    EXPECT_GT(dc->GetDeviceCaps(LOGPIXELSY), 0);
    EXPECT_TRUE(IsFontInstalled("DejaVu Sans"));
    EXPECT_FALSE(IsSymbolFontFace("DejaVu Sans"));
    EXPECT_FALSE(InstalledFontFamilies().empty());
    EXPECT_EQ(Screen->Fonts(), InstalledFontFamilies());
}

}  // namespace
