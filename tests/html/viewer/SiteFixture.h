// A small site of real files in a temporary folder, shown in a real viewer:
// the pages the link, history and picture tests follow.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "html/viewer/ViewerFixture.h"
#include "platform/framework/Graphics.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Utf16.h"
#include "support/TempDir.h"

namespace viewertest {

class SiteTest : public ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        // A page tall enough to scroll, with a place far down and links.
        write("a.htm",
              "<title>A</title><p id=\"top\">A</p><div style=\"height:3000px\"></div>"
              "<p id=\"far\">far</p><a href=\"b.htm\">to b</a> <a href=\"#far\">down</a>");
        write("b.htm", "<title>B</title><p>B <a href=\"a.htm\">to a</a>");
        write("c.htm", "<title>C</title><p>C");
        write("d.htm", "<title>D</title><p>D");
        write("t.txt", "plain <text>");
        TBitmap picture(6, 4);
        picture.SaveToFile(dir.file("p.png"));
    }
    void write(const std::string& name, const std::string& text) { zrxtest::writeFile(dir.file(name), text); }
    std::u16string path(const std::string& name) const { return zrx_utf8::toUtf16(dir.file(name)); }
    // A real viewer of 400 × 300 on the form.
    THtmlViewer* makeRealViewer() {
        auto* v = new THtmlViewer(form);
        v->SetParent(form);
        v->SetBounds(0, 0, 400, 300);
        return v;
    }
    zrxtest::TempDir dir;
};

}  // namespace viewertest
