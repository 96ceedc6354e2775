// Following links, the visited list, the page's META elements and form
// submission.
#include <algorithm>

#include "html/text/HtmlStrings.h"
#include "html/text/UrlUtils.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/ViewerFiles.h"
#include "platform/framework/Classes.h"
#include "platform/framework/PostedCalls.h"

namespace {

// Where "url=" starts in S, in any letter case.
size_t FindUrlAssignment(std::u16string_view S) {
    static constexpr std::u16string_view key = u"url=";
    for (size_t i = 0; i + key.size() <= S.size(); ++i) {
        size_t k = 0;
        while (k < key.size()) {
            char16_t c = S[i + k];
            if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
            if (c != key[k]) break;
            ++k;
        }
        if (k == key.size()) return i;
    }
    return std::u16string_view::npos;
}

}  // namespace

// ---- link actions

void THtmlViewer::UrlAction(const std::u16string& URL) {
    bool handled = false;
    ToggleIDExpand(URL, handled);
    if (handled) return;
    if (OnHotSpotClick) {
        OnHotSpotClick(this, URL, handled);
        if (handled) return;
    }
    const ThvPosition oldPos = Position();
    std::u16string name, dest;
    SplitUrlDestination(URL, name, dest);
    if (name.empty()) {
        if (PositionTo(dest)) BumpHistory(FCurrentFile, FTitle, oldPos, nullptr, FCurrentFileType);
        return;
    }
    name = HtmlExpandFilename(name);
    const THtmlFileType type = LinkFileTypeOf(name);
    switch (type) {
    case TextType:
    case ImgType: LoadFromFile(name + dest, type); break;
    case HTMLType:
    case XHtmlType:
        if (name == FCurrentFile) {
            if (PositionTo(dest)) BumpHistory(FCurrentFile, FTitle, oldPos, nullptr, HTMLType);
        } else {
            LoadFromFile(name + dest, type);
            AddVisitedLink(name + dest);
        }
        break;
    case OtherType: break;  // an address for the application, not a local document
    }
}

void THtmlViewer::TriggerUrlAction(const std::u16string& URL) {
    PostCall(this, [this, URL] { UrlAction(URL); });
}

// ---- visited links

// The address a link of the current page leads to, as the visited list keeps it.
std::u16string THtmlViewer::ExpandedLinkAddress(const std::u16string& Url) {
    return !Url.empty() && Url[0] == u'#' ? FCurrentFile + Url : HtmlExpandFilename(Url);
}

void THtmlViewer::AddVisitedLink(const std::u16string& S) {
    if (FFrameOwner || VisitedMaxCount() == 0) return;
    const auto it = std::find(FVisited.begin(), FVisited.end(), S);
    if (it == FVisited.begin() && it != FVisited.end()) return;
    if (it != FVisited.end()) {
        FVisited.erase(it);
    } else if (TLinkList* links = LinkList()) {
        for (int i = 0; i < links->Count(); ++i) {
            TFontObj* link = links->Items(i);
            const std::u16string url = link->URL();
            if (!url.empty() && ExpandedLinkAddress(url) == S) link->SetVisited(true);
        }
    }
    FVisited.insert(FVisited.begin(), S);
    if (int(FVisited.size()) > VisitedMaxCount()) FVisited.resize(size_t(VisitedMaxCount()));
}

void THtmlViewer::CheckVisitedLinks() {
    if (VisitedMaxCount() == 0 || FVisited.empty()) return;
    TLinkList* links = LinkList();
    if (!links) return;
    for (int i = 0; i < links->Count(); ++i) {
        TFontObj* link = links->Items(i);
        // Compared exactly, as the list is kept and as file names are here.
        const std::u16string expanded = ExpandedLinkAddress(link->URL());
        if (std::find(FVisited.begin(), FVisited.end(), expanded) != FVisited.end()) link->SetVisited(true);
    }
}

// ---- META elements

void THtmlViewer::HtmlMeta(TObject*, const std::u16string& HttpEq, const std::u16string& Name,
                           const std::u16string& Content) {
    if (OnMeta()) OnMeta()(this, HttpEq, Name, Content);
    if (!OnMetaRefresh || LowerCaseString(HttpEq) != u"refresh") return;
    const size_t semi = Content.find(u';');
    const std::u16string delayText = TrimString(Content.substr(0, semi));
    int64_t delay = delayText.empty() ? -1 : 0;
    for (char16_t c : delayText) {
        if (c < u'0' || c > u'9' || delay > 86400 * 365) {
            delay = -1;
            break;
        }
        delay = delay * 10 + (c - u'0');
    }
    if (delay < 0) return;
    const size_t at = FindUrlAssignment(Content);
    FRefreshURL = at == std::u16string_view::npos ? std::u16string() : Content.substr(at + 4);
    FRefreshDelay = delay == 0 ? 1 : int32_t(delay);
}

// ---- forms

std::unique_ptr<ThvFormData> THtmlViewer::FormData() const { return FSectionList->GetFormcontrolData(); }

void THtmlViewer::SetFormData(const ThvFormData& Value) { FSectionList->SetFormcontrolData(Value); }

void THtmlViewer::SetOnFormSubmit(TFormSubmitEvent Value) {
    FOnFormSubmit = std::move(Value);
    if (!FOnFormSubmit) {
        FSectionList->SubmitForm = nullptr;
        return;
    }
    FSectionList->SubmitForm = [this](TObject*, const std::u16string& Action, const std::u16string& Target,
                                      const std::u16string& EncType, const std::u16string& Method,
                                      std::unique_ptr<TStringList> Results) {
        // Delivered once the input that submitted has been handled; each
        // submission carries its own values until then.
        auto results = std::make_shared<std::unique_ptr<TStringList>>(std::move(Results));
        PostCall(this, [this, Action, Target, EncType, Method, results] {
            if (FOnFormSubmit) FOnFormSubmit(this, Action, Target, EncType, Method, std::move(*results));
        });
    };
}
