// The event view: a list of log records (time, text, result code) coloured
// by kind, that can hook itself into the runtime library's event log and
// debug display and copy every shown record into a debug text file.
//
// Views hooked into the same channel form a chain: the newest view gets a
// record first and hands it on to the view hooked before it; the last one
// hands it to the function that the runtime had installed before any view.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "components/CAdvancedListView.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TCMutex.h"

class TMenuItem;
class TPopupMenu;
class TTimer;

enum TEventViewerStyles { evSimple, evNoTime, evNoCode, evAllVColumns };
extern const TEnumInfo EventViewerStylesInfo;
enum TEventViewerRefreshMode { evProcessMessages, evRepaint, evNone };
extern const TEnumInfo EventViewerRefreshModeInfo;

using TFOnDbgChanged = std::function<void(TObject* Sender, unsigned dbgMap, unsigned dbgOptions)>;

// Picture indexes of the rows.
constexpr int evImgMessage = 0, evImgError = 1, evImgEvent = 2;
// The kind of a record by its code: 0 message, top bits 11 error, else event.
int evImageIndexOf(int32_t code);

class TEventView : public TCAdvancedListView {
    DECLARE_CLASS(TEventView)
    explicit TEventView(TComponent* AOwner);
    ~TEventView() override;

    // Adding records
    void addTimedTextEvent(int64_t time, int32_t code, const char* text);
    void addText(const char* text, int32_t code);
    void addTextEvent(const TCTextEventInfo* info);
    void addDynEvent(const TCDynTextEventInfo* info);
    // The chain steps of the event log and of the debug display.
    void showLogEvent(int32_t code, const char* text);
    void showDbgEvent(const char* text);
    TCString getLastErrorText() const;
    TCString getLastEventText() const;

    // Hooks and debug settings
    bool RtlLoggin() const { return FRtlLoggin; }
    void SetrtlLoggin(bool on);
    bool RtlDbgMessaging() const { return FRtlDbgMessaging; }
    void SetrtlDbgMessaging(bool on);
    int GetRTLDbgFilter() const { return FDbgFilter; }
    void SetRTLDbgFilter(int mask);
    unsigned GetRTLDbgFlags() const { return FDbgFlags; }
    void SetRTLDbgFlags(unsigned flags);

    // Rows and files
    int EventCount() const { return FEventCount; }
    void SetEventCount(int n);
    bool Direction() const { return FDirection; }
    void SetDirection(bool v);
    bool MultyThreaded() const { return FMutex != nullptr; }
    void SetMultyTreaded(bool v);
    TEventViewerStyles ViewColumns() const { return FViewColumns; }
    void SetViewColumns(TEventViewerStyles v);
    // Waits up to 3 s for the view's mutex (multi-threaded mode); true when
    // it is held. Call unlock only after a lock that answered true.
    bool lock();
    void unlock();
    // Exports the rows as HTML to the name with its extension replaced by
    // ".Htm"; 0 on success, -1 when it cannot be written.
    int saveToFile(const char* fileName);
    static TCString getDefDbgFileName();
    // The next getDefDbgFileName works the name out again (after the
    // environment or the program's name changed).
    static void forgetDefDbgFileName();
    // Opens the debug file (null: the default name) for appending and writes
    // the current rows into it; 0, or -1 when it cannot be opened.
    int enableLoggin(const char* fileName);
    void disableLoggin();
    bool isLogging() const { return FDbgFile != nullptr; }
    // Writes every row to the debug file, oldest first; -1 without a file.
    int flushCurrentEvents();
    // Adds the records that other threads handed in (done by a timer in
    // multi-threaded mode and before every record added here).
    void processPendingEvents() { drainPending(true); }

    bool ShowErrors() const { return FShowErrors; }
    void SetShowErrors(bool v) { FShowErrors = v; }
    bool ShowEvents() const { return FShowEvents; }
    void SetShowEvents(bool v) { FShowEvents = v; }
    bool ShowMesages() const { return FShowMesages; }
    void SetShowMesages(bool v) { FShowMesages = v; }
    bool ColorItems() const { return FColorItems; }
    void SetColorItems(bool v) {
        FColorItems = v;
        Invalidate();
    }
    bool ShowDate() const { return FShowDate; }
    void SetShowDate(bool v) { FShowDate = v; }
    TEventViewerRefreshMode RefreshMode() const { return FRefreshMode; }
    void SetRefreshMode(TEventViewerRefreshMode v) { FRefreshMode = v; }
    bool NewStyePopup() const { return FNewStyePopup; }
    void SetNewStyePopup(bool v) { FNewStyePopup = v; }

    // Menu
    TPopupMenu* createDefMenu();
    void ClearItemClick(TObject* Sender);
    void EnableDebugItemClick(TObject* Sender);
    void FileDbgItemClick(TObject* Sender);
    void CopyToClipboardClick(TObject* Sender);
    TMenuItem* DiagItem() const { return FDiagItem; }
    TMenuItem* FileDbgItem() const { return FFileDbgItem; }

    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void Loaded() override;
    void AdvancedCustomDrawItem(TObject* Sender, TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage,
                                bool& DefaultDraw);

    TFOnDbgChanged OnDbgParsChanged;

    // Chain heads (for the runtime's functions and for tests).
    static TEventView* currentLogView();
    static TEventView* currentDbgView();

protected:
    bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) override;

private:
    struct Pending {
        int64_t time;
        int32_t code;
        TCString text;
    };
    friend struct EventViewChains;
    void addNow(int64_t time, int32_t code, const TCString& text, bool refreshNow);
    void refresh();
    bool onUiThread() const { return std::this_thread::get_id() == FUiThread; }
    void removeOldest();

    int FEventCount = 100;
    bool FDirection = false;
    bool FRtlLoggin = false, FRtlDbgMessaging = false;
    int FDbgFilter = 0;
    unsigned FDbgFlags = 0;
    TEventViewerStyles FViewColumns = evSimple;
    bool FShowErrors = true, FShowEvents = true, FShowMesages = true;
    bool FColorItems = false, FShowDate = false, FNewStyePopup = false;
    TEventViewerRefreshMode FRefreshMode = evProcessMessages;

    mutable std::mutex FTextLock;  // the last texts may be asked from any thread
    TCString FLastEvent, FLastError;
    std::unique_ptr<TCMutex> FMutex;
    std::mutex FPendingLock;
    std::deque<Pending> FPending;
    TTimer* FPendingTimer = nullptr;
    bool FDraining = false;
    // Adds the queued records; with refresh the view refreshes once after.
    void drainPending(bool refresh);
    std::thread::id FUiThread;
    FILE* FDbgFile = nullptr;
    // Per channel: the view hooked before this one and the function the
    // runtime had installed when this view hooked in (when not ours).
    // Lives as long as the view: a step that may free the view (a refresh
    // processing messages) tells by it whether the view is still there.
    std::shared_ptr<const bool> FAlive = std::make_shared<const bool>(true);
    TEventView* FPrevLogView = nullptr;
    TEventView* FPrevDbgView = nullptr;
    TCSLogOutFunc FForeignLog = nullptr;
    TCSDisplayFunc FForeignDisplay = nullptr;
    TMenuItem* FDiagItem = nullptr;
    TMenuItem* FFileDbgItem = nullptr;
    TLVAdvancedCustomDrawItemEvent FOwnerAdvancedDraw;
    bool FDrawInstalled = false;
};
