// Loading pages into the HTML viewer 800 pixels wide (parse and layout, no
// painting), and the same pages into Qt's QTextDocument at the same width
// (setHtml, then the layout's document size), in one run. After the run a
// line per page gives both times and their ratio (above 1: the viewer is
// faster). The nested tables are also loaded at depths 5, 10 and 20, to
// show how the time grows with depth; QTextDocument's grows exponentially
// (minutes at 20), so it is timed only up to depth 12.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QString>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/html_load_pages.h"
#include "html/viewer/HtmlViewer.h"
#include "platform/core/x509/Crl.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Utf16.h"
#include "platform/core/x509/X509Fixtures.h"

namespace {

struct Page {
    std::string name;
    std::string html;
    bool qtDepthLimited = false;  // too deep for QTextDocument to finish in time
};

std::string CrlView(x509fx::Pki& pki, int Entries) {
    X509_CRL* crl = X509_CRL_new();
    X509_CRL_set_version(crl, 1);
    X509_CRL_set_issuer_name(crl, X509_get_subject_name(pki.inter));
    ASN1_TIME* now = ASN1_TIME_adj(nullptr, time(nullptr), 0, 0);
    X509_CRL_set1_lastUpdate(crl, now);
    for (long sn = 1; sn <= Entries; ++sn) {
        X509_REVOKED* rv = X509_REVOKED_new();
        ASN1_INTEGER* s = ASN1_INTEGER_new();
        ASN1_INTEGER_set(s, 0x100000 + sn);
        X509_REVOKED_set_serialNumber(rv, s);
        X509_REVOKED_set_revocationDate(rv, now);
        ASN1_INTEGER_free(s);
        X509_CRL_add0_revoked(crl, rv);
    }
    ASN1_TIME_free(now);
    X509_CRL_sign(crl, pki.interKey, EVP_sha256());
    const std::vector<uint8_t> der = x509fx::der(crl);
    X509_CRL_free(crl);
    TZrXCrl view;
    if (view.decode(der.data(), der.size()) != 0) std::abort();
    TCString html;
    view.htmlView(html, false);  // the screen form with every entry
    return html.str();
}

const std::vector<Page>& Pages() {
    static const std::vector<Page> pages = [] {
        x509fx::Pki pki;
        std::vector<Page> p;
        p.push_back({"table 5000x6", htmlpages::BigTable(5000)});
        p.push_back({"text 2000 paragraphs", htmlpages::LongText(2000)});
        p.push_back({"CRL 1000 entries", CrlView(pki, 1000)});
        TCString cert;
        TZrX509(pki.ee).htmlView(cert, 0);
        p.push_back({"certificate", cert.str()});
        for (int depth : {5, 10, 20})
            p.push_back({"nested tables " + std::to_string(depth), htmlpages::NestedTables(depth), depth > 12});
        return p;
    }();
    return pages;
}

THtmlViewer& Viewer() {
    static THtmlViewer* viewer = [] {
        auto* v = new THtmlViewer(Application);
        v->SetBorderStyle(htNone);
        v->SetBounds(0, 0, 800, 600);
        return v;
    }();
    return *viewer;
}

void BM_Viewer(benchmark::State& state, const Page* page) {
    const std::u16string text = zrx_utf8::toUtf16(page->html);
    THtmlViewer& v = Viewer();
    v.LoadFromString(text);
    if (v.MaxVertical() <= 0) {
        state.SkipWithError("the viewer laid nothing out");
        return;
    }
    for (auto _ : state) v.LoadFromString(text);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page->html.size()));
}

void BM_QTextDocument(benchmark::State& state, const Page* page) {
    const QString text = QString::fromUtf8(page->html.data(), qsizetype(page->html.size()));
    for (auto _ : state) {
        QTextDocument doc;
        doc.setTextWidth(800);
        doc.setHtml(text);
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page->html.size()));
}

// Keeps each run's time per iteration for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureApplication();
    for (const Page& p : Pages()) {
        benchmark::RegisterBenchmark(("Viewer/" + p.name).c_str(), BM_Viewer, &p)->Unit(benchmark::kMillisecond);
        if (p.qtDepthLimited) continue;
        benchmark::RegisterBenchmark(("QTextDocument/" + p.name).c_str(), BM_QTextDocument, &p)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-24s %12s %16s %8s\n", "page", "viewer ms", "QTextDocument ms", "ratio");
    for (const Page& p : Pages()) {
        const auto ours = reporter.times.find("Viewer/" + p.name);
        const auto theirs = reporter.times.find("QTextDocument/" + p.name);
        if (theirs == reporter.times.end()) {
            if (ours != reporter.times.end())
                std::printf("%-24s %12.2f %16s %8s\n", p.name.c_str(), ours->second, "-", "-");
            continue;
        }
        if (ours == reporter.times.end()) {
            std::printf("%-24s %12s %16.2f %8s\n", p.name.c_str(), "-", theirs->second, "-");
            continue;
        }
        std::printf("%-24s %12.2f %16.2f %8.2f\n", p.name.c_str(), ours->second, theirs->second,
                    theirs->second / ours->second);
    }
    benchmark::Shutdown();
    return 0;
}
