#include "html/viewer/ViewerHistory.h"

#include <algorithm>

#include "html/viewer/HtmlViewer.h"
#include "platform/framework/Classes.h"

ThvHistoryItem::~ThvHistoryItem() = default;
ThvHistory::ThvHistory() = default;
ThvHistory::~ThvHistory() = default;

ThvHistoryItem* ThvHistory::GetItem(int I) const {
    if (I < 0 || I >= Count()) return nullptr;
    return FItems[size_t(I)].get();
}

void ThvHistory::Insert(int I, std::unique_ptr<ThvHistoryItem> Item) {
    if (!Item) return;
    I = std::clamp(I, 0, Count());
    FItems.insert(FItems.begin() + I, std::move(Item));
}

void ThvHistory::Delete(int I) {
    if (I < 0 || I >= Count()) return;
    FItems.erase(FItems.begin() + I);
}

void ThvHistory::Clear() {
    FItems.clear();
    FIndex = 0;
}

bool ThvHistory::Trim(int MaxCount) {
    MaxCount = std::max(MaxCount, 0);
    if (Count() <= MaxCount) return false;
    FItems.resize(size_t(MaxCount));
    FIndex = std::clamp(FIndex, 0, std::max(MaxCount - 1, 0));
    return true;
}

int ThvHistory::Search(const std::u16string& Url, int I) const {
    I = std::clamp(I, 0, Count());
    int k = I;
    while (k > 0 && FItems[size_t(k - 1)]->Url == Url) --k;
    return k;
}

// ---- the viewer's moves through its history

void THtmlViewer::BumpHistory(const std::u16string& OldFileName, const std::u16string& OldTitle,
                              const ThvPosition& OldPos, std::unique_ptr<ThvFormData> OldFormData,
                              THtmlFileType OldDocType) {
    // OldFormData is freed on every path that does not keep it.
    if (HistoryMaxCount() <= 0 || FCurrentFile.empty()) return;
    if (OldFileName == FCurrentFile && OldDocType == FCurrentFileType && OldPos == Position()) return;
    if (ThvHistoryItem* item = FHistory->GetItem(FHistory->Index()); item && !OldFileName.empty()) {
        item->Url = OldFileName;
        item->Title = OldTitle;
        item->Position = OldPos;
        item->FileType = OldDocType;
        // The values of a page that is left wait on its entry; a move within
        // the page keeps them in the document.
        if (OldFileName != FCurrentFile) item->FormData = std::move(OldFormData);
        for (int i = FHistory->Index() - 1; i >= 0; --i) FHistory->Delete(i);
    }
    FHistory->SetIndex(0);
    auto entry = std::make_unique<ThvHistoryItem>();
    entry->Url = FCurrentFile;
    entry->Title = FTitle;
    entry->Position = Position();
    entry->FileType = FCurrentFileType;
    FHistory->Insert(0, std::move(entry));
    while (FHistory->Count() > HistoryMaxCount()) FHistory->Delete(FHistory->Count() - 1);
    fire(OnHistoryChange(), this);
}

void THtmlViewer::SetHistoryIndex(int Value) {
    if (IsProcessing() || Value == FHistory->Index() || Value < 0 || Value >= FHistory->Count()) return;
    if (!FCurrentFile.empty()) {
        if (ThvHistoryItem* current = FHistory->GetItem(FHistory->Index())) {
            current->Url = FCurrentFile;
            current->Title = FTitle;
            current->Position = Position();
            current->FileType = FCurrentFileType;
        }
        // Replaces (and frees) what the entry held before.
        if (ThvHistoryItem* holder = FHistory->GetItem(FHistory->Search(FCurrentFile, FHistory->Index())))
            holder->FormData = FormData();
    }
    ThvHistoryItem* item = FHistory->GetItem(Value);
    if (FCurrentFile != item->Url || FCurrentFileType != item->FileType) {
        bool handled = false;
        if (OnLoadHistoryItem) OnLoadHistoryItem(this, item, handled);
        // A load that fails raises before the index moves.
        if (!handled) LoadFile(item->Url, item->FileType);
        item = FHistory->GetItem(Value);
        if (!item) return;
    }
    FHistory->SetIndex(Value);
    SetPosition(item->Position);
    // The page's values come back once.
    if (ThvHistoryItem* holder = FHistory->GetItem(FHistory->Search(item->Url, Value)); holder && holder->FormData) {
        const std::unique_ptr<ThvFormData> data = std::move(holder->FormData);
        SetFormData(*data);
    }
    fire(OnHistoryChange(), this);
}

void THtmlViewer::ClearHistory() {
    const bool hadEntries = FHistory->Count() > 0;
    FHistory->Clear();
    // The next load of the same name is a new document.
    FCurrentFile.clear();
    if (hadEntries) fire(OnHistoryChange(), this);
}
