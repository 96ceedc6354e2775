#include "components/EventView.h"

#include <atomic>
#include <chrono>
#include <cstdlib>

#include "components/EvDiagDialog.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

const TEnumInfo EventViewerStylesInfo{"TEventViewerStyles", {"evSimple", "evNoTime", "evNoCode", "evAllVColumns"}};
const TEnumInfo EventViewerRefreshModeInfo{"TEventViewerRefreshMode", {"evProcessMessages", "evRepaint", "evNone"}};

namespace {
// Longest event text a row keeps, in bytes.
constexpr size_t kMaxRowText = 8191;
// Records handed in by other threads wait at most this many at a time.
constexpr size_t kMaxPending = 10000;
constexpr long kHookWaitMs = 10000;
constexpr long kRowWaitMs = 3000;

// Serialises hooking and unhooking of every view, and the passing of a
// record along a chain.
TCMutex& hookMutex() {
    static TCMutex m;
    return m;
}
// Threads waiting to hook or unhook: records let them in first, so that a
// thread logging without pause cannot keep a view from unhooking.
std::atomic<int> g_hookWaiters{0};

// Hooking and unhooking take the mutex; one not released in time does not
// stop the change.
class HookGuard {
public:
    HookGuard() {
        ++g_hookWaiters;
        locked_ = hookMutex().lock(kHookWaitMs);
        --g_hookWaiters;
    }
    ~HookGuard() {
        if (locked_) hookMutex().unlock();
    }
    HookGuard(const HookGuard&) = delete;
    HookGuard& operator=(const HookGuard&) = delete;

private:
    bool locked_;
};

// A record passes along a chain with the mutex held, so that no view is
// unhooked and freed under it; it waits for those hooking first.
class DeliveryGuard {
public:
    DeliveryGuard() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHookWaitMs);
        while (g_hookWaiters.load() > 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
        locked_ = hookMutex().lock(kHookWaitMs);
    }
    ~DeliveryGuard() {
        if (locked_) hookMutex().unlock();
    }
    DeliveryGuard(const DeliveryGuard&) = delete;
    DeliveryGuard& operator=(const DeliveryGuard&) = delete;

private:
    bool locked_;
};

std::mutex g_defNameLock;
TCString g_defName;

TCString codeText(int32_t code) { return code == 0 ? TCString("-") : TCString::format("%08X", uint32_t(code)); }

// Cuts at most `max` bytes without splitting a UTF-8 sequence.
TCString cutUtf8(const char* text, size_t max) {
    std::string s(text);
    if (s.size() <= max) return TCString(s.c_str());
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
    return TCString(s.c_str());
}

TComponent* dialogOwner() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm();
    if (Application && Application->MainForm()) return Application->MainForm();
    return Application;
}
}  // namespace

int evImageIndexOf(int32_t code) {
    if (code == 0) return evImgMessage;
    return (uint32_t(code) & 0xC0000000u) == 0xC0000000u ? evImgError : evImgEvent;
}

// ---- the chains of hooked views, one per runtime channel

struct EventViewChains {
    template <class Fn> struct Channel {
        std::atomic<TEventView*> head{nullptr};
        int count = 0;
        TEventView* TEventView::*prev;
        Fn TEventView::*foreign;
        Fn own;
        Fn (*get)();
        Fn (*set)(Fn);
        bool TEventView::*flag;
    };

    static void ownLog(int32_t code, const char* text) {
        DeliveryGuard guard;
        if (TEventView* v = log().head.load()) v->showLogEvent(code, text);
    }
    static void ownDisplay(const char* text) {
        DeliveryGuard guard;
        if (TEventView* v = dbg().head.load()) v->showDbgEvent(text);
    }
    static Channel<TCSLogOutFunc>& log() {
        static Channel<TCSLogOutFunc> c{{nullptr},
                                        0,
                                        &TEventView::FPrevLogView,
                                        &TEventView::FForeignLog,
                                        &ownLog,
                                        &csGetLogOutFunc,
                                        &csSetLogOutFunc,
                                        &TEventView::FRtlLoggin};
        return c;
    }
    static Channel<TCSDisplayFunc>& dbg() {
        static Channel<TCSDisplayFunc> c{{nullptr},
                                         0,
                                         &TEventView::FPrevDbgView,
                                         &TEventView::FForeignDisplay,
                                         &ownDisplay,
                                         &csGetDisplayFunc,
                                         &csSetDisplayFunc,
                                         &TEventView::FRtlDbgMessaging};
        return c;
    }

    template <class Fn> static void hook(TEventView* v, Channel<Fn>& ch, bool on) {
        if (v->*ch.flag == on) return;
        v->*ch.flag = on;
        HookGuard guard;
        if (on) {
            TEventView* head = ch.head.load();
            if (head && head != v) v->*ch.prev = head;
            ch.head = v;
            const Fn installed = ch.get();
            if (installed && installed != ch.own) v->*ch.foreign = installed;
            ch.set(ch.own);
            ++ch.count;
            return;
        }
        unlink(v, ch);
        const Fn installed = ch.get();
        if (--ch.count <= 0) {
            ch.count = 0;
            ch.set(nullptr);
        }
        const Fn foreign = v->*ch.foreign;
        if (foreign && foreign != installed) ch.set(foreign);
        v->*ch.prev = nullptr;
        v->*ch.foreign = nullptr;
    }

    // Takes the view out of the chain wherever it stands. The view hooked
    // after it inherits its predecessor and, when it has none of its own,
    // the function installed before it, so no record stops short.
    template <class Fn> static void unlink(TEventView* v, Channel<Fn>& ch) {
        if (ch.head.load() == v) {
            ch.head = v->*ch.prev;
            return;
        }
        for (TEventView* s = ch.head.load(); s; s = s->*ch.prev) {
            if (s->*ch.prev != v) continue;
            s->*ch.prev = v->*ch.prev;
            if (!(s->*ch.foreign)) {
                s->*ch.foreign = v->*ch.foreign;
                v->*ch.foreign = nullptr;
            }
            return;
        }
    }
};

TEventView* TEventView::currentLogView() { return EventViewChains::log().head.load(); }
TEventView* TEventView::currentDbgView() { return EventViewChains::dbg().head.load(); }

// ---- TEventView

IMPLEMENT_CLASS(TEventView, TCAdvancedListView) {
    r.Integer("EventCount", &TEventView::EventCount, &TEventView::SetEventCount);
    r.Boolean("Direction", &TEventView::Direction, &TEventView::SetDirection);
    r.Boolean("MultyThreaded", &TEventView::MultyThreaded, &TEventView::SetMultyTreaded);
    r.Boolean("RtlLoggin", &TEventView::RtlLoggin, &TEventView::SetrtlLoggin);
    r.Boolean("RtlDbgMessaging", &TEventView::RtlDbgMessaging, &TEventView::SetrtlDbgMessaging);
    r.Integer("RTLDbgFilter", &TEventView::GetRTLDbgFilter, &TEventView::SetRTLDbgFilter);
    r.Int64("RTLDbgFlags", &TEventView::GetRTLDbgFlags, &TEventView::SetRTLDbgFlags);
    r.Enum("ViewColumns", EventViewerStylesInfo, &TEventView::ViewColumns, &TEventView::SetViewColumns);
    r.Boolean("ShowErrors", &TEventView::ShowErrors, &TEventView::SetShowErrors);
    r.Boolean("ShowEvents", &TEventView::ShowEvents, &TEventView::SetShowEvents);
    r.Boolean("ShowMesages", &TEventView::ShowMesages, &TEventView::SetShowMesages);
    r.Boolean("ColorItems", &TEventView::ColorItems, &TEventView::SetColorItems);
    r.Boolean("ShowDate", &TEventView::ShowDate, &TEventView::SetShowDate);
    r.Enum("RefreshMode", EventViewerRefreshModeInfo, &TEventView::RefreshMode, &TEventView::SetRefreshMode);
    r.Boolean("NewStyePopup", &TEventView::NewStyePopup, &TEventView::SetNewStyePopup);
}

TEventView::TEventView(TComponent* AOwner) : TCAdvancedListView(AOwner), FUiThread(std::this_thread::get_id()) {
    auto addColumn = [this](const char* caption, int width) {
        TListColumn* c = Columns()->Add();
        c->SetCaption(zrnTranslateString(caption).str());
        c->SetWidth(width);
        c->SetAutoSize(false);
    };
    addColumn("Время", 100);
    addColumn("Событие", 600);
    addColumn("Код", 70);
    SetViewColumns(evAllVColumns);
    SetHideSelection(true);
    SetShowColumnHeaders(true);
    SetViewStyle(vsReport);
    SetRowSelect(true);
    SetReadOnly(true);
    SetColumnClick(false);
    SetShowHint(true);
    // Records from other threads are shown on this thread by this timer.
    FPendingTimer = new TTimer(this);
    FPendingTimer->SetInterval(100);
    FPendingTimer->OnTimer = [this](TObject*) { processPendingEvents(); };
}

TEventView::~TEventView() {
    disableLoggin();
    // Unhooking here keeps the chains free of a view that is gone.
    SetrtlLoggin(false);
    SetrtlDbgMessaging(false);
}

// Adding records

void TEventView::addTimedTextEvent(int64_t time, int32_t code, const char* text) {
    if (IsDesigning()) return;
    const TCString t(text ? text : "");
    if (!onUiThread()) {
        // Controls are touched on their own thread only: queue it for the timer.
        std::lock_guard<std::mutex> g(FPendingLock);
        if (FPending.size() >= kMaxPending) FPending.pop_front();
        FPending.push_back({time, code, t});
        return;
    }
    // Queued records first, without a refresh of their own: the one after
    // this record's row is the last step that touches the view.
    drainPending(false);
    addNow(time, code, t, true);
}

void TEventView::drainPending(bool refreshAfter) {
    // Not again from inside its own refresh.
    if (!onUiThread() || FDraining) return;
    std::deque<Pending> batch;
    {
        std::lock_guard<std::mutex> g(FPendingLock);
        batch.swap(FPending);
    }
    if (batch.empty()) return;
    FDraining = true;
    try {
        // One refresh for the whole batch: a thread may hand in thousands.
        for (const Pending& p : batch) addNow(p.time, p.code, p.text, false);
    } catch (...) {
        FDraining = false;
        throw;
    }
    FDraining = false;
    if (refreshAfter) refresh();
}

void TEventView::refresh() {
    switch (FRefreshMode) {
    case evRepaint: Repaint(); break;
    case evProcessMessages:
        if (Application) Application->ProcessMessages();
        break;
    case evNone: break;
    }
}

void TEventView::addNow(int64_t time, int32_t code, const TCString& text, bool refreshNow) {
    const int kind = evImageIndexOf(code);
    if ((kind == evImgError && !FShowErrors) || (kind == evImgEvent && !FShowEvents) ||
        (kind == evImgMessage && !FShowMesages))
        return;
    TListItem* item = nullptr;
    String caption;
    {
        std::unique_ptr<TCMutexLock> guard;
        if (FMutex) guard = std::make_unique<TCMutexLock>(*FMutex, kRowWaitMs);
        if (Items()->Count() > 0 && Items()->Count() >= FEventCount) removeOldest();
        item = FDirection ? Items()->Add() : Items()->Insert(0);
        item->SetData(reinterpret_cast<void*>(intptr_t(code)));
        caption = (FShowDate ? gm_dateTimeStr(time, true) : utime2str(time)).str();
        item->SetCaption(caption);
        {
            std::lock_guard<std::mutex> g(FTextLock);
            if (code < 0)
                FLastError =
                    TCString::format(zrnTranslateString("Ошибка № %X.\n%s").c_str(), uint32_t(code), text.c_str());
            else if (code > 0) FLastEvent = text;
        }
        // One line: a carriage return would split the text into sub-items too.
        TCString shown = cutUtf8(text.c_str(), kMaxRowText);
        shown.removeChar('\n').removeChar('\r');
        shown.appendf("\n%s", codeText(code).c_str());
        ansiSetSubItemsText(item, shown.c_str());
    }
    item->SetFocused(true);
    item->SetImageIndex(kind);
    if (FDbgFile && (!FFileDbgItem || FFileDbgItem->Enabled())) {
        std::fprintf(FDbgFile, "%s | %08X |%s\n", caption.c_str(), uint32_t(code), text.c_str());
        std::fflush(FDbgFile);
    }
    if (refreshNow) refresh();
}

void TEventView::addText(const char* text, int32_t code) { addTimedTextEvent(std::time(nullptr), code, text); }

void TEventView::addTextEvent(const TCTextEventInfo* info) {
    if (info) addText(info->text.c_str(), info->code);
}

void TEventView::addDynEvent(const TCDynTextEventInfo* info) {
    if (info) addTimedTextEvent(info->time, info->code, info->text.c_str());
}

void TEventView::showLogEvent(int32_t code, const char* text) {
    // A hidden or closing view shows nothing but still hands the record on:
    // the views and the function behind it must not lose it. Showing it may
    // process messages that free this view (its form released) or the one
    // before it, so where the record goes next is read first, and nothing
    // freed meanwhile is touched.
    TEventView* const prev = FPrevLogView;
    const std::weak_ptr<const bool> prevAlive = prev ? prev->FAlive : std::shared_ptr<const bool>();
    const TCSLogOutFunc foreign = FForeignLog;
    const bool shows = !IsDestroying() && (!onUiThread() || Showing());
    if (shows) addText(text, code);
    if (prev && !prevAlive.expired()) prev->showLogEvent(code, text);
    if (foreign) foreign(code, text);
}

void TEventView::showDbgEvent(const char* text) {
    TEventView* const prev = FPrevDbgView;
    const std::weak_ptr<const bool> prevAlive = prev ? prev->FAlive : std::shared_ptr<const bool>();
    const TCSDisplayFunc foreign = FForeignDisplay;
    const bool shows = !IsDestroying() && (!onUiThread() || Showing());
    if (shows) addText(text, 0);
    if (prev && !prevAlive.expired()) prev->showDbgEvent(text);
    if (foreign) foreign(text);
}

TCString TEventView::getLastErrorText() const {
    std::lock_guard<std::mutex> g(FTextLock);
    return FLastError;
}

TCString TEventView::getLastEventText() const {
    std::lock_guard<std::mutex> g(FTextLock);
    return FLastEvent;
}

// Hooks and debug settings

void TEventView::SetrtlLoggin(bool on) { EventViewChains::hook(this, EventViewChains::log(), on); }
void TEventView::SetrtlDbgMessaging(bool on) { EventViewChains::hook(this, EventViewChains::dbg(), on); }

void TEventView::SetRTLDbgFilter(int mask) {
    FDbgFilter = mask;
    csSetDbgOutMask(uint32_t(mask));
}

void TEventView::SetRTLDbgFlags(unsigned flags) {
    FDbgFlags = flags;
    SetrtlDbgMessaging(flags & 1u);
}

// Rows

bool TEventView::lock() { return FMutex && FMutex->lock(kRowWaitMs); }
void TEventView::unlock() {
    if (FMutex) FMutex->unlock();
}

void TEventView::removeOldest() {
    const int n = Items()->Count();
    if (n > 0) Items()->Delete(FDirection ? 0 : n - 1);
}

void TEventView::SetEventCount(int n) {
    const bool locked = lock();
    FEventCount = n;
    // The oldest rows go, whichever end they are at.
    while (Items()->Count() > 0 && Items()->Count() > n) removeOldest();
    if (locked) unlock();
}

void TEventView::SetDirection(bool v) {
    if (v != FDirection) {
        const bool locked = lock();
        Items()->Clear();
        if (locked) unlock();
    }
    FDirection = v;
}

void TEventView::SetMultyTreaded(bool v) {
    if (v && !FMutex) FMutex = std::make_unique<TCMutex>();
    if (!v) FMutex.reset();
}

void TEventView::SetViewColumns(TEventViewerStyles v) {
    if (v == FViewColumns) return;
    FViewColumns = v;
    TListColumn* time = Columns()->Items(0);
    TListColumn* code = Columns()->Items(2);
    const bool showTime = v == evNoCode || v == evAllVColumns;
    const bool showCode = v == evNoTime || v == evAllVColumns;
    time->SetWidth(showTime ? 80 : 0);
    code->SetWidth(showCode ? 70 : 0);
}

int TEventView::saveToFile(const char* fileName) {
    if (!fileName || !*fileName) return -1;
    const bool locked = lock();
    const int r = SaveToHTML(changeFileExt(fileName, ".Htm").str());
    if (locked) unlock();
    return r;
}

// The debug file

TCString TEventView::getDefDbgFileName() {
    std::lock_guard<std::mutex> g(g_defNameLock);
    if (!g_defName.isEmpty()) return g_defName;
    const char* folder = std::getenv("ALLUSERSPROFILE");
    if (!folder || !*folder) folder = std::getenv("USERPROFILE");
    if (folder && *folder) {
        const TCString name = extractFileName(getModuleFullName().c_str()) + ".dbg.txt";
        g_defName = makePathName(folder, name.c_str());
    } else {
        g_defName = getModuleFullName() + ".dbg.txt";
    }
    return g_defName;
}

void TEventView::forgetDefDbgFileName() {
    std::lock_guard<std::mutex> g(g_defNameLock);
    g_defName.clear();
}

int TEventView::enableLoggin(const char* fileName) {
    disableLoggin();
    const TCString name = fileName && *fileName ? TCString(fileName) : getDefDbgFileName();
    FDbgFile = std::fopen(name.c_str(), "a");
    if (!FDbgFile) return -1;
    flushCurrentEvents();
    return 0;
}

void TEventView::disableLoggin() {
    if (FDbgFile) std::fclose(FDbgFile);
    FDbgFile = nullptr;
}

int TEventView::flushCurrentEvents() {
    if (!FDbgFile) return -1;
    const bool locked = lock();
    const int n = Items()->Count();
    for (int k = 0; k < n; ++k) {
        // Oldest first: from the bottom up when new rows go to the top.
        const TListItem* it = Items()->Item(FDirection ? k : n - 1 - k);
        const TStrings* sub = it->SubItems();
        const String text = sub->Count() > 0 ? sub->Get(0) : String();
        const String code = sub->Count() > 1 ? sub->Get(1) : String();
        // The same column order as the lines of new records: time, code, text.
        std::fprintf(FDbgFile, "%s | %4s | %s\n", it->Caption().c_str(), code.c_str(), text.c_str());
    }
    std::fflush(FDbgFile);
    if (locked) unlock();
    return 0;
}

// Menu

TPopupMenu* TEventView::createDefMenu() {
    if (getDbgMaskDesctiptors().empty()) FNewStyePopup = false;
    auto* menu = new TPopupMenu(this);
    menu->AutoPopup = true;
    auto item = [this, menu](const char* caption, void (TEventView::*handler)(TObject*)) {
        auto* mi = new TMenuItem(this);
        mi->SetCaption(std::string(caption) == "-" ? String("-") : zrnTranslateString(caption).str());
        if (handler) mi->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
        menu->Items()->Add(mi);
        return mi;
    };
    item("Очистить", &TEventView::ClearItemClick);
    if (FNewStyePopup) {
        item("-", nullptr);
        FDiagItem = item("Диагностика...", &TEventView::EnableDebugItemClick);
        item("-", nullptr);
        TMenuItem* copy = item("Копировать", &TEventView::CopyToClipboardClick);
        // The last letter is the Cyrillic С: it names no key, as it always has.
        copy->SetShortCut(TextToShortCut("Ctrl+С"));
        FFileDbgItem = nullptr;
    } else {
        FDiagItem = item("Диагностика", &TEventView::EnableDebugItemClick);
        FDiagItem->SetChecked(FRtlDbgMessaging);
        item("-", nullptr);
        FFileDbgItem = item("Текстовый протокол", &TEventView::FileDbgItemClick);
        FFileDbgItem->SetChecked(FDbgFile != nullptr);
        item("Копировать", &TEventView::CopyToClipboardClick);
    }
    return menu;
}

void TEventView::ClearItemClick(TObject*) {
    const bool locked = lock();
    Items()->BeginUpdate();
    Items()->Clear();
    Items()->EndUpdate();
    if (locked) unlock();
}

void TEventView::EnableDebugItemClick(TObject* Sender) {
    if (FNewStyePopup) {
        uint32_t mask = 0, switches = 0;
        auto* dlg = CreateComponent<TEvDiagDialog>(dialogOwner());
        const int r = ShowModalAndFree(
            dlg,
            [&] {
                dlg->cflgsbx1->SetChecked(csGetDbgOutMask());
                dlg->chckbxs1->SetChecked(FDbgFlags);
            },
            [&](int result) {
                if (result != mrOk) return;
                mask = uint32_t(dlg->cflgsbx1->GetChecked());
                switches = dlg->chckbxs1->GetChecked();
            });
        if (r != mrOk) return;
        if (mask == uint32_t(FDbgFilter) && switches == FDbgFlags) return;
        SetRTLDbgFilter(int(mask));
        SetRTLDbgFlags(switches);
        if (OnDbgParsChanged) OnDbgParsChanged(Sender, mask, FDbgFlags);
        return;
    }
    SetrtlDbgMessaging(!FRtlDbgMessaging);
    if (FDiagItem) FDiagItem->SetChecked(FRtlDbgMessaging);
    if (FFileDbgItem && FDiagItem) FFileDbgItem->SetEnabled(FDiagItem->Checked());
}

void TEventView::FileDbgItemClick(TObject*) {
    if (!FFileDbgItem) return;
    if (!FFileDbgItem->Checked()) {
        // A file that cannot be opened leaves the item unticked.
        FFileDbgItem->SetChecked(enableLoggin(nullptr) == 0);
    } else {
        FFileDbgItem->SetChecked(false);
        disableLoggin();
    }
}

void TEventView::CopyToClipboardClick(TObject*) {
    TListItem* it = Selected();
    if (!it) return;
    const TStrings* sub = it->SubItems();
    const String text = sub->Count() > 0 ? sub->Get(0) : String();
    const String code = sub->Count() > 1 ? sub->Get(1) : String();
    Clipboard()->SetAsText(code + " " + text);
}

void TEventView::KeyDown(uint16_t& Key, TShiftState Shift) {
    // Only Ctrl+C is the view's own; the list view's other shortcuts are off.
    if ((Shift & ssCtrl) && (Key == 0x43 || Key == 0x63)) {
        if (TListItem* it = Selected()) {
            const TStrings* sub = it->SubItems();
            Clipboard()->SetAsText(sub->Count() > 0 ? sub->Get(0) : String());
        }
        Key = 0;
    }
    // The underlying list would select every row on Ctrl+A by itself.
    if ((Shift & ssCtrl) && (Key == 0x41 || Key == 0x61)) Key = 0;
    TListView::KeyDown(Key, Shift);
}

void TEventView::Loaded() {
    TCAdvancedListView::Loaded();
    if (!FDrawInstalled) {
        FOwnerAdvancedDraw = OnAdvancedCustomDrawItem;
        OnAdvancedCustomDrawItem = [this](TObject* s, TListItem* i, TCustomDrawState st, TCustomDrawStage sg, bool& d) {
            AdvancedCustomDrawItem(s, i, st, sg, d);
        };
        FDrawInstalled = true;
    }
    if (!IsDesigning() && !PopupMenu()) SetPopupMenu(createDefMenu());
}

// Drawing

bool TEventView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
    if (FColorItems && Stage == cdPrePaint && Item) {
        const auto code = int32_t(reinterpret_cast<intptr_t>(Item->Data()));
        Canvas()->Font()->SetColor(code < 0 ? TColor(0x0000FF) : code > 0 ? TColor(0x800000) : clBlack);
    }
    return TCAdvancedListView::CustomDrawItem(Item, State, Stage);
}

void TEventView::AdvancedCustomDrawItem(TObject* Sender, TListItem* Item, TCustomDrawState State,
                                        TCustomDrawStage Stage, bool& DefaultDraw) {
    if (FOwnerAdvancedDraw) {
        FOwnerAdvancedDraw(Sender, Item, State, Stage, DefaultDraw);
        return;
    }
    if (!Item) return;
    const int img = Item->ImageIndex();
    Canvas()->Font()->SetColor(img == evImgError ? TColor(0x000080) : img == evImgEvent ? TColor(0x800000) : clBlack);
}
