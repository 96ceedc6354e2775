// The program's own pages (a certificate on screen and for print, a request,
// a chain) in the real viewer at a few widths. With ZRX_KEEP_PNG set to a
// folder, a picture of each is saved there to be looked at.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <string>
#include <vector>

#include "html/viewer/ViewerFixture.h"
#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/X509Fixtures.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/runtime/Utf16.h"

namespace viewertest {
namespace {

struct ProgramPage {
    std::string name;
    std::string html;
};

std::vector<ProgramPage> programPages(x509fx::Pki& pki) {
    std::vector<ProgramPage> pages;
    TZrX509 ee(pki.ee);
    for (int mode : {0, 1}) {
        TCString html;
        ee.htmlView(html, mode);
        pages.push_back({mode ? "certificate-print" : "certificate", html.str()});
    }
    TZrX509Req req;
    if (req.fromExistX509(ee, "zorenUID", nullptr, pki.eeKey) == 0) {
        TCString html;
        req.htmlView(html, 0);
        pages.push_back({"request", html.str()});
    }
    TZrXPkcs7 chain;
    for (X509* x : {pki.root, pki.inter, pki.ee}) chain.addCert(TZrX509(x));
    TCString html;
    chain.htmlView(html, 0);
    pages.push_back({"chain", html.str()});
    return pages;
}

using ViewerPages = ViewerTest;

TEST_F(ViewerPages, ProgramPagesLayOutAtEveryWidth) {
    x509fx::Pki pki;
    const char* keep = std::getenv("ZRX_KEEP_PNG");
    auto* v = new THtmlViewer(form);
    v->SetParent(form);
    v->SetBorderStyle(htSingle);
    v->SetDefBackground(0xFCFFFF);  // as the program's views show it
    form->Show();
    for (const ProgramPage& page : programPages(pki)) {
        int32_t previousHeight = 0;
        for (int width : {900, 640, 400}) {
            v->SetBounds(0, 0, width, 460);
            v->LoadFromString(zrx_utf8::toUtf16(page.html));
            if (v->MaxVertical() == 0) GTEST_SKIP() << "the document model does not lay pages out yet";
            // Narrower pages wrap into more lines, never fewer.
            EXPECT_GE(v->MaxVertical(), previousHeight) << page.name << " at " << width;
            previousHeight = v->MaxVertical();
            // Long values break: the page fits the width of a usual window.
            if (width >= 640) {
                EXPECT_FALSE(v->HScrollBar()->Visible()) << page.name << " at " << width;
            }
            EXPECT_EQ(v->VScrollBar()->Visible(), v->MaxVertical() > v->PaintPanel()->Height()) << page.name;
            const QImage img = v->Handle()->grab().toImage();
            if (keep) {
                img.save(
                    QString::fromStdString(std::string(keep) + "/" + page.name + "-" + std::to_string(width) + ".png"));
            }
            // Something besides the background was drawn.
            const QColor background = img.pixelColor(width / 2, 452);
            int other = 0;
            for (int y = 0; y < img.height(); y += 3)
                for (int x = 0; x < img.width(); x += 3) other += img.pixelColor(x, y) != background;
            EXPECT_GT(other, 100) << page.name << " at " << width;
        }
    }
}

}  // namespace
}  // namespace viewertest
