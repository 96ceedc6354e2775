#pragma once
// A viewer's back and forward history: entry 0 is the newest, Index the
// entry of the document shown.
#include <memory>
#include <string>
#include <vector>

#include "html/layout/HtmlViewerTypes.h"
#include "html/viewer/ViewerPosition.h"

class TStringList;

class THistoryItem {
public:
    virtual ~THistoryItem() = default;
    std::u16string Url;
    std::u16string Title;
    ThvPosition Position;
    THtmlFileType FileType = HTMLType;
};

// Each form's values as they were when the document was left.
using ThvFormData = std::vector<std::unique_ptr<TStringList>>;

class ThvHistoryItem : public THistoryItem {
public:
    ~ThvHistoryItem() override;
    std::unique_ptr<ThvFormData> FormData;
};

class ThvHistory {
public:
    ThvHistory();
    ~ThvHistory();
    ThvHistory(const ThvHistory&) = delete;
    ThvHistory& operator=(const ThvHistory&) = delete;

    int Count() const { return int(FItems.size()); }
    int Index() const { return FIndex; }
    void SetIndex(int Value) { FIndex = Value; }
    // Null outside the list.
    ThvHistoryItem* GetItem(int I) const;
    void Insert(int I, std::unique_ptr<ThvHistoryItem> Item);
    void Delete(int I);
    void Clear();
    // Drops the entries from MaxCount on (the oldest); the index stays on
    // an entry that is left. True when entries went.
    bool Trim(int MaxCount);
    // The lowest k <= I whose entries k .. I - 1 all have Url (I itself
    // when entry I - 1 differs).
    int Search(const std::u16string& Url, int I) const;

private:
    std::vector<std::unique_ptr<ThvHistoryItem>> FItems;
    int FIndex = 0;
};
