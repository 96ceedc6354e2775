// The provisional viewer: the break opportunities of <wbr> in its documents.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>

#include <string>

#include "html/layout/ProvisionalHtmlViewer.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"

namespace {

std::u16string u16(const std::string& s) {
    const QString q = QString::fromStdString(s);
    return std::u16string(reinterpret_cast<const char16_t*>(q.utf16()), size_t(q.size()));
}

// A value far longer than the viewer is wide, with a break mark every 16
// characters in each of the forms a document may write it.
TEST(ProvisionalHtmlViewer, BreakMarksWrapLongRunsAndStayOutOfCopies) {
    ensureQtApp();
    std::string value;
    for (int i = 0; i < 12; ++i) value += "0123456789ABCDEF";
    for (const char* mark : {"<wbr>", "<WBR>", "<wbr/>", "<wbr />"}) {
        SCOPED_TRACE(mark);
        auto* form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 300, 200);
        auto* viewer = new TProvisionalHtmlViewer(form);
        viewer->SetParent(form);
        viewer->SetBounds(0, 0, 300, 200);
        std::string html = "<p>";
        for (size_t at = 0; at < value.size(); at += 16) html += value.substr(at, 16) + (at + 16 < value.size() ? mark : "");
        html += "</p>";
        viewer->LoadFromString(u16(html));
        form->Show();
        Application->ProcessMessages();
        // Lines break at the marks (not anywhere), within the viewer's width.
        auto* browser = qobject_cast<QTextBrowser*>(viewer->Handle());
        ASSERT_NE(nullptr, browser);
        EXPECT_LE(browser->document()->idealWidth(), browser->viewport()->width());
        const QTextBlock block = browser->document()->firstBlock();
        const QString text = block.text();
        QTextLayout* layout = block.layout();
        ASSERT_GT(layout->lineCount(), 1);
        for (int i = 1; i < layout->lineCount(); ++i) {
            const int start = layout->lineAt(i).textStart();
            // The character before a line is the mark's, and the value's
            // group of 16 starts the line.
            ASSERT_GT(start, 0);
            EXPECT_EQ(QChar(0x200B), text[start - 1]) << i;
            EXPECT_EQ(QChar('0'), text[start]) << i;
        }
        // Copies carry the value as it is.
        viewer->SelectAll();
        EXPECT_EQ(value, viewer->SelectedText());
        EXPECT_EQ(value, viewer->PlainText());
        Clipboard()->Clear();
        viewer->CopyToClipboard();
        EXPECT_EQ(value, Clipboard()->AsText());
        EXPECT_NE(std::string::npos, Clipboard()->AsHtml().find(value));
        Clipboard()->Clear();
        form->Free();
    }
}

}  // namespace
