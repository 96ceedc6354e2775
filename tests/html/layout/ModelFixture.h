// Helpers of the document-model tests: the screen measures through the
// recording context (fixed metrics, no display needed), and small makers of
// attributes and property sets as the parser would hand them over.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "html/layout/AttributeList.h"
#include "html/text/Fonts.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/RecordingDC.h"

namespace modeltest {

class RecordingScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldProvider_ = SetScreenDCProvider([] { return std::unique_ptr<TDeviceContext>(new TRecordingDC()); });
        oldPpi_ = SetScreenPixelsPerInch(96);
        GlobalFontCache().Clear();
    }
    void TearDown() override {
        GlobalFontCache().Clear();
        SetScreenPixelsPerInch(oldPpi_);
        SetScreenDCProvider(oldProvider_);
    }

private:
    TScreenDCProvider oldProvider_;
    int oldPpi_ = 0;
};

inline std::unique_ptr<TAttribute> attr(TAttrSymb s, const char16_t* name, const char16_t* value, double number = 0) {
    return std::make_unique<TAttribute>(s, number, name, value, 65001);
}

// A property set of an element, as the parser's stack would hold it.
inline std::unique_ptr<TProperties> props(TElemSymb sym, const char16_t* tag, const char16_t* cls = u"",
                                          const char16_t* id = u"") {
    auto p = std::make_unique<TProperties>();
    p->PropSym = sym;
    p->PropTag = tag;
    p->PropClass = cls;
    p->PropID = id;
    return p;
}

}  // namespace modeltest
