// Helpers of the viewer tests: a document whose height follows from the
// width it is laid out at (as text that wraps does), a viewer that shows
// such a document, and a fixture that gives each case a form and a fresh
// vertical-bar hint.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <memory>
#include <vector>

#include "html/layout/Document.h"
#include "html/layout/IDObject.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/ViewerLayout.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"

namespace viewertest {

// Where a control lies, as text that compares and prints.
inline std::string bounds(int l, int t, int r, int b) {
    return std::to_string(l) + "," + std::to_string(t) + " - " + std::to_string(r) + "," + std::to_string(b);
}
inline std::string bounds(const TControl* c) {
    const TRect r = c->BoundsRect();
    return bounds(r.Left, r.Top, r.Right, r.Bottom);
}

// Content of a fixed area wrapped into lines of 20 pixels; Height, when
// set, decides instead. Records the widths it was laid out at.
class FakeDocument : public ThtDocument {
public:
    using ThtDocument::ThtDocument;
    int32_t DoLogic(TCanvas*, int32_t, int32_t Width, int32_t, int32_t, int32_t& ScrollWidth, int32_t&) override {
        Widths.push_back(Width);
        ScrollWidth = std::max(Width, ContentWidth);
        if (Height) return Height(Width);
        if (Area <= 0 || Width <= 0) return 0;
        return (Area + Width - 1) / Width * 20;
    }
    int32_t Area = 0;
    int32_t ContentWidth = 0;  // wider than the window: a horizontal bar
    std::function<int32_t(int32_t Width)> Height;
    std::vector<int32_t> Widths;
};

// An element id at a fixed place; the id list frees it.
class FixedId : public TIDObject {
public:
    FixedId(std::u16string_view Id, int32_t Y) : TIDObject(Id), FY(Y) {}
    int32_t GetYPosition() const override { return FY; }
    bool FreeMe() const override { return true; }

private:
    int32_t FY;
};

// A section already placed at document Y (its top).
class FixedSection : public TSectionBase {
public:
    FixedSection(TCellBasic* Parent, int32_t Y) : TSectionBase(Parent, nullptr, nullptr) { ContentTop = Y; }
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic*) const override { return nullptr; }
    int32_t DrawLogic1(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, TIndentManager*,
                       int32_t&, int32_t&) override {
        return 0;
    }
};

class TestViewer : public THtmlViewer {
public:
    explicit TestViewer(TComponent* AOwner)
        : THtmlViewer(AOwner, [](THtmlViewer& V) -> std::unique_ptr<ThtDocument> {
              return std::make_unique<FakeDocument>(&V, V.PaintPanel());
          }) {}
    FakeDocument& Doc() { return static_cast<FakeDocument&>(*SectionList()); }
};

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        ResetVScrollHint();
        oldCursor_ = Screen->Cursor();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 640, 480);
    }
    void TearDown() override {
        form->Free();
        Screen->SetCursor(oldCursor_);
        ResetVScrollHint();
    }
    // A viewer of W × H on the form, with no border, the fake document inside.
    TestViewer* makeViewer(int W = 300, int H = 200) {
        auto* v = new TestViewer(form);
        v->SetParent(form);
        v->SetBorderStyle(htNone);
        v->SetBounds(0, 0, W, H);
        return v;
    }
    TForm* form = nullptr;

private:
    TCursor oldCursor_ = crDefault;
};

}  // namespace viewertest
