// Helpers of the text-section and object tests: property sets with a known
// font, text handed to a section as the parser would, the break classes as
// letters, and the runtime log's records caught for a test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ModelFixture.h"
#include "html/layout/DocumentOwner.h"
#include "html/layout/Sections.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Properties.h"
#include "platform/runtime/Log.h"

namespace sectiontest {

// A paragraph's set with a font of that many points (12 points are 16
// pixels at 96 pixels per inch: on the recording canvas "a" is 8 wide, a
// space 4, "m" and CJK characters 16, the font 20 high with a descent of 4).
inline std::unique_ptr<TProperties> textProps(double Points = 12, TElemSymb Sym = PSy, const char16_t* Tag = u"p") {
    auto p = modeltest::props(Sym, Tag);
    p->Props[FontSize] = Points;
    return p;
}

// The characters with source indices from FirstIndex on, in one token.
inline void addText(TSection& S, std::u16string_view Text, int32_t FirstIndex) {
    TTokenObj t;
    for (size_t i = 0; i < Text.size(); ++i) t.AddUnicodeChar(Text[i], FirstIndex + int32_t(i));
    S.AddTokenObj(t);
}

// The break classes: n twNo, y twYes, s twSoft, o twOptional.
inline std::string brkString(const TSection& S) {
    std::string out;
    for (ThtTextWrap b : S.Brk) out += "nyso"[b];
    return out;
}

// The source index of every character (through the frozen index runs).
inline std::vector<int32_t> sourceIndices(TSection& S) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < S.Len; ++i) out.push_back(S.FindSourcePos(S.StartCurs + i));
    return out;
}

// The records the runtime logs while it lives.
class LogCapture {
public:
    LogCapture() { previous_ = csSetKV_HLogOutFunc(&LogCapture::grab); }
    ~LogCapture() {
        csSetKV_HLogOutFunc(previous_);
        records().clear();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    static std::vector<std::pair<uint32_t, std::string>>& records() {
        static std::vector<std::pair<uint32_t, std::string>> r;
        return r;
    }

private:
    static int grab(uint32_t code, const char* text) {
        records().emplace_back(code, text ? text : "");
        return 0;
    }
    KV_HLogOutFunc previous_ = nullptr;
};

// The viewer as the model sees it, with what the tests look at.
class FakeOwner : public ThtDocumentOwner {
public:
    TObject* SenderObject() override { return nullptr; }
    std::u16string HtmlExpandFilename(std::u16string_view Filename) override {
        return prefix + std::u16string(Filename);
    }
    bool ShowFocusRect() override { return focusRects; }
    void ControlMouseMove(TObject*, TShiftState, int, int) override {}
    void htProgress(int32_t Percent) override { progress.push_back(Percent); }
    void FollowLinkByKey(const TUrlTarget&) override {}
    void ViewerKeyDown(uint16_t&, TShiftState) override {}
    std::unique_ptr<ThtFrameViewer> CreateIFrameControl() override {
        ++framesMade;
        return makeViewer ? makeViewer() : nullptr;
    }
    TStyleElements StyleElements() override { return AllStyleElements; }
    bool UseQuirksMode() override { return quirks; }

    std::u16string prefix;
    bool focusRects = true;
    bool quirks = false;
    std::vector<int32_t> progress;
    int framesMade = 0;
    std::function<std::unique_ptr<ThtFrameViewer>()> makeViewer;
};

}  // namespace sectiontest
