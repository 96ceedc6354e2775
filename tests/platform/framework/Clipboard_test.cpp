// The clipboard: formats registered by name, each under its own MIME type,
// gathered with text and HTML into one entry between Open and Close.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <string>

#include "platform/framework/Clipbrd.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtTestApp.h"

namespace {

TEST(Clipboard, FormatsRegisteredByNameTravelUnderTheirOwnMimeType) {
    ensureQtApp();
    EXPECT_EQ(RegisterClipboardFormat("HTML Format"), CF_HTML());
    EXPECT_EQ(RegisterClipboardFormat("html format"), CF_HTML());  // names compare without regard to case
    const unsigned mine = RegisterClipboardFormat("ZrX Test Format");
    EXPECT_GE(mine, 0xC000u);
    EXPECT_NE(mine, CF_HTML());
    EXPECT_EQ(RegisterClipboardFormat("ZRX TEST FORMAT"), mine);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    EXPECT_EQ(ClipboardFormatMimeType(CF_HTML()), "application/x-qt-windows-mime;value=\"HTML Format\"");
    EXPECT_EQ(ClipboardFormatMimeType(0x9999), "");

    // The viewer's copy: plain text and the "HTML Format" block, with a zero byte, as one entry.
    const std::string block = std::string("Version:1.0\r\nStartHTML:0000000105\r\n<b>Ключ</b>") + '\0';
    TClipboard* c = Clipboard();
    c->Open();
    c->Clear();
    c->SetAsText("Ключ");
    c->SetBuffer(CF_HTML(), block.data(), block.size());
    c->Close();
    EXPECT_EQ(c->AsText(), "Ключ");
    EXPECT_TRUE(c->HasFormat(CF_HTML()));
    EXPECT_EQ(c->GetBuffer(CF_HTML()), block);
    EXPECT_EQ(c->AsHtml(), "");  // the block is not text/html
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->hasFormat(toQ(ClipboardFormatMimeType(CF_HTML()))));
    EXPECT_FALSE(c->HasFormat(mine));

    // Without Open each call replaces what was there.
    c->SetBuffer(mine, "xy", 2);
    EXPECT_TRUE(c->HasFormat(mine));
    EXPECT_FALSE(c->HasFormat(CF_TEXT));
    EXPECT_EQ(c->GetBuffer(CF_HTML()), "");
    c->SetBuffer(0x9999, "lost", 4);  // never registered: nothing happens
    EXPECT_EQ(c->GetBuffer(mine), "xy");
    c->Clear();
    EXPECT_FALSE(c->HasFormat(mine));
}

TEST(Clipboard, HtmlAloneJoinsTheTextOfTheSameEntry) {
    ensureQtApp();
    TClipboard* c = Clipboard();
    c->Open();
    c->Clear();
    c->SetAsText("plain");
    c->SetHtml("<p>Ключ</p>");
    c->Close();
    EXPECT_EQ(c->AsText(), "plain");
    EXPECT_EQ(c->AsHtml(), "<p>Ключ</p>");
    // Without Open it is the whole entry.
    c->SetHtml("<b>x</b>");
    EXPECT_EQ(c->AsHtml(), "<b>x</b>");
    EXPECT_FALSE(c->HasFormat(CF_TEXT));
    c->Clear();
}

}  // namespace
