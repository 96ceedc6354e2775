#include "html/viewer/HtmlFormat.h"

#include <algorithm>
#include <cstdio>

#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"

namespace {

const std::u16string_view StartMarker = u"<!--StartFragment-->";
const std::u16string_view EndMarker = u"<!--EndFragment-->";
const std::u16string_view DocTypeLine = u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n";

// Case-insensitive search of an ASCII pattern.
size_t findNoCase(const std::u16string& S, std::u16string_view What, size_t From = 0) {
    const std::u16string lower = LowerCaseString(S);
    return lower.find(What, From);
}

// Characters after the end of the selection that are only closing markup
// and white space are dropped: a cursor steps back from End (one-based) and
// stops at the first character outside trailing tags.
size_t TrimmedLength(std::u16string_view S, int32_t Start, int32_t End) {
    int32_t p = End;
    // The character before p, unless that would reach the selection's first one.
    auto prev = [&](char16_t& ch) {
        if (p - 1 <= Start) return false;
        --p;
        ch = S[size_t(p - 1)];
        return true;
    };
    char16_t ch = 0;
    bool more = prev(ch);
    while (more) {
        while (more && ch <= u' ') more = prev(ch);
        if (!more || ch != u'>') break;
        while (more && ch == u'>') {
            while ((more = prev(ch)) && ch != u'<') {}
            if (more) more = prev(ch);
        }
    }
    if (!more) --p;
    return size_t(std::clamp<int32_t>(p, 0, int32_t(S.size())));
}

// Tags that would change the receiving document, and markers of an earlier
// copy, are removed; page breaks are neutralised.
void Clean(std::u16string& S) {
    for (std::u16string_view marker : {StartMarker, EndMarker}) {
        const std::u16string lowerMarker = LowerCaseString(marker);
        for (size_t at; (at = findNoCase(S, lowerMarker)) != std::u16string::npos;) S.erase(at, marker.size());
    }
    for (std::u16string_view tag : {std::u16string_view(u"<meta"), std::u16string_view(u"<!doctype")}) {
        for (size_t at; (at = findNoCase(S, tag)) != std::u16string::npos;) {
            const size_t close = S.find(u'>', at);
            S.erase(at, close == std::u16string::npos ? std::u16string::npos : close - at + 1);
        }
    }
    // Line-break hints go, so that long values arrive as one piece (one
    // pass: a page of values may hold thousands of them).
    const std::u16string lower = LowerCaseString(S);
    std::u16string kept;
    kept.reserve(S.size());
    for (size_t at = 0; at < S.size();) {
        const char16_t next = at + 4 < S.size() ? S[at + 4] : u' ';
        if (lower.compare(at, 4, u"<wbr") == 0 && (next == u'>' || next == u'/' || next <= u' ')) {
            const size_t close = S.find(u'>', at);
            if (close != std::u16string::npos) {
                at = close + 1;
                continue;
            }
        }
        kept.push_back(S[at++]);
    }
    S = std::move(kept);
    // "page-break-before" becomes "age-break-before", which no receiver knows.
    for (size_t at; (at = findNoCase(S, u"page-break-")) != std::u16string::npos;) S.erase(at, 1);
}

// The font name inside a quoted CSS string, unable to end the string or the style element.
std::u16string CssString(std::u16string_view Name) {
    std::u16string out;
    for (char16_t c : Name) {
        if (c == u'\\' || c == u'"') {
            out.push_back(u'\\');
            out.push_back(c);
        } else if (c == u'<') {
            out += u"\\3C ";
        } else if (c == u'>') {
            out += u"\\3E ";
        } else if (c == u'\r' || c == u'\n') {
            out += u"\\A ";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::u16string SourceUrl(std::u16string_view CurrentFile) {
    if (CurrentFile.empty()) return u"unsaved:///THtmlViewer.htm";
    if (CurrentFile.find(u"://") != std::u16string_view::npos) return std::u16string(CurrentFile);
    return u"file://" + std::u16string(CurrentFile);
}

std::u16string Decimal(int Value) {
    const std::string digits = std::to_string(Value);
    return std::u16string(digits.begin(), digits.end());
}

std::string TenDigits(int64_t Value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10lld", static_cast<long long>(Value));
    return text;
}

}  // namespace

ThtHtmlFormat BuildHtmlFormat(std::u16string_view Source, int32_t Start, int32_t End, std::u16string_view CurrentFile,
                              int FontSize, std::u16string_view FontName) {
    const int32_t length = int32_t(Source.size());
    Start = std::clamp(Start, 1, length + 1);
    End = std::clamp(End, Start, length + 1);
    const std::u16string_view upToEnd = Source.substr(0, size_t(End - 1));
    const size_t kept = TrimmedLength(upToEnd, Start, End);

    // The part before the selection and the selection are cleaned apart, so
    // that an unterminated tag cannot swallow the start of the fragment.
    const size_t split = std::min(size_t(Start - 1), kept);
    std::u16string before(upToEnd.substr(0, split));
    std::u16string selected(upToEnd.substr(split, kept - split));
    Clean(before);
    Clean(selected);

    std::u16string S = before + std::u16string(StartMarker) + selected;
    size_t marker = before.size();
    const std::u16string style = u"<style> body {font-size: " + Decimal(FontSize) + u"pt; font-family: \"" +
                                 CssString(FontName) + u"\"; }</style>";
    size_t at = findNoCase(S, u"<head>");
    std::u16string insert = style;
    if (at == std::u16string::npos) {
        at = findNoCase(S, u"<html>");
        if (at == std::u16string::npos) at = 0;
        insert = u"<head>" + style + u"</head>";
    }
    S.insert(at, insert);
    if (at <= marker) marker += insert.size();

    const std::u16string doc = std::u16string(DocTypeLine) + S + std::u16string(EndMarker);
    const size_t startMarker = DocTypeLine.size() + marker;
    const size_t endMarker = doc.size() - EndMarker.size();

    ThtHtmlFormat out;
    out.Html = htmltext::toUtf8(doc);
    const int64_t r0 = int64_t(htmltext::toUtf8(std::u16string_view(doc).substr(0, startMarker)).size());
    const int64_t s0 = int64_t(htmltext::toUtf8(std::u16string_view(doc).substr(0, endMarker)).size());

    const std::string url = htmltext::toUtf8(SourceUrl(CurrentFile));
    const std::string header0 =
        "Version:1.0\r\nStartHTML:\r\nEndHTML:\r\nStartFragment:\r\nEndFragment:\r\nSourceURL:" + url + "\r\n";
    const int64_t base = int64_t(header0.size()) + 40;  // the four numbers add ten digits each
    std::string header = "Version:1.0\r\nStartHTML:" + TenDigits(base) +
                         "\r\nEndHTML:" + TenDigits(base + int64_t(out.Html.size())) +
                         "\r\nStartFragment:" + TenDigits(base + r0 + int64_t(StartMarker.size())) +
                         "\r\nEndFragment:" + TenDigits(base + s0) + "\r\nSourceURL:" + url + "\r\n";
    out.Block = header + out.Html;
    return out;
}
