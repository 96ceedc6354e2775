#pragma once
// The container view the program's windows create: the container view frame
// with the work that involves the certification authority and the life
// cycle of keys. Sending requests to the registration service, loading the
// issued certificates back, a request's status, blocking the own
// certificate, the planned and the early key change, adding key-agreement
// keys, sweeping expired keys out, and the program's settings, update,
// style and about commands. With the registration service switched off new
// requests go to files, or to the main window through OnNewRequests.
#include <cstdint>
#include <functional>
#include <memory>

#include "app/containers/ViewPrivatesFrame.h"
#include "platform/core/keys/UserKeysContext.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCLogGrabber;
class TZrX509;
class TZrX509Csp;
class TZrXCspJCMPClient;

// Key-kind flags of the key change and of generation.
constexpr uint32_t kKeyKindSign = 0x20000;  // signature key ("ключа ЭП")
constexpr uint32_t kKeyKindKA = 0x10000;    // key-agreement key ("ключа связи")
constexpr uint32_t kKeyKindBoth = kKeyKindSign | kKeyKindKA;
constexpr uint32_t kKeyChangeNoDialog = 0x100;  // change without the owner-parameter dialog
// Status of a key-change analysis when the container holds start-up keys.
constexpr KResult kStartupKeysStatus = 0x80800001;
// Program settings flag: the registration service is used.
constexpr uint32_t kSettingsUseService = 0x10000;
// Result codes of the key change.
constexpr KResult kNoCertificateToChange = 0xC0800019;
constexpr KResult kNoProfileForChange = 0xC0800046;
constexpr KResult kChangeCancelled = 0xC0800024;
// What the key-change analysis is asked for.
constexpr int kKeyChangeAnalysisDays = 14;
// Result-window flags used by the frame.
constexpr uint32_t kResultInfo = 1;       // grabbed records, one "Ok" button
constexpr uint32_t kResultChange = 16;    // the same after a key change
constexpr uint32_t kResultQuestion = 10;  // question picture, "Да" and "Нет"
// A certificate in its validity period (the status that may be blocked).
constexpr uint32_t kCertStatusValid = 0x2002;
// Revocation reason of blocking: certificateHold.
constexpr int kBlockReason = 6;

// ---- rules the frame applies, free of windows

// The base of a request file's name: a file container's location without
// its extension, else the device location from its third character on, made
// a safe file name.
TCString requestFileBaseName(const TZrX509Csp* csp);

// Flags a key change hands to the request preparation: 0x80 always, 0x20
// (no dialog) when the generation flags have 0x100, 0x8 (password) while no
// password was given to a change of this container yet.
uint32_t changeKeyRequestFlags(uint32_t generationFlags, bool passwordGiven);

// Where new requests go after keys were generated.
enum class TNewRequestsRoute { mainWindow, service, files };
TNewRequestsRoute newRequestsRoute(bool hookSet, bool serviceOn);
// The service's request kinds for key-kind flags: 1 signature, 2 key
// agreement, with immediate issue (0x100) allowed.
unsigned serviceRequestKinds(uint32_t keyKinds);
// Saves the requests of the kinds to files, signature first; a save that
// fails or is cancelled skips the key-agreement one. save gets the stored
// object kind (2 or 8) and answers false to stop.
bool saveRequestsInOrder(uint32_t keyKinds, const std::function<bool(int objectKind)>& save);
// Writes the container's registered request of a kind (2 signature, 8 key
// agreement) to a file the user chooses. True when there was nothing to
// save or it was written; false when cancelled, unreadable or not written
// (a failure is shown).
bool saveRegistrationRequestFile(const TZrX509Csp* csp, int objectKind);

// One generation of a key change by analysis: generation flags and the text
// naming the keys.
struct TKeyChangeStep {
    uint32_t generationFlags;
    const char* kindText;
};
// The generations the analysis asks for, in order: the signature key (both
// keys in one generation for start-up keys), then the key-agreement key.
int keyChangeSteps(const TZrNDefKeysChkInfo& analysis, TKeyChangeStep steps[2]);
// The planned change has keys to change (whatever the analysis logged).
inline bool keyChangeDue(const TZrNDefKeysChkInfo& analysis) { return (analysis.flags & kKeyKindBoth) != 0; }

// What a sweep came to.
enum class TSweepOutcome { nothingToRemove, removed, writeFailed };
TSweepOutcome sweepOutcome(int removed, KResult endUpdateResult);

class TViewPrivatesFrameEx : public TViewPrivatesFrame {
    DECLARE_CLASS(TViewPrivatesFrameEx)
public:
    explicit TViewPrivatesFrameEx(TComponent* AOwner);
    ~TViewPrivatesFrameEx() override;

    // ---- components added to the base frame's
    TToolButton* btnCheckStatus;
    TToolButton* btn3;
    TToolButton* btnImportCert;
    TToolButton* btnChgKeys;
    TToolButton* btn6;
    TToolButton* btnLockCert;
    TToolButton* btn5;
    TToolButton* btnPrintAction;
    TToolButton* ToolButton1;
    TToolButton* btnDeleteAction;
    TToolButton* tlbtnSweep;
    TMenuItem* NewKeyMI;      // "Создать ключи": the main window fills and shows it
    TMenuItem* NewKeyMI_dvd;  // its separator
    TMenuItem* NOpt;          // "Сервис"
    TMenuItem* N31;           // "Стиль... "
    TMenuItem* NLang;         // "Язык интерфейса ": the window makes it the language menu
    TPopupMenu* pm1;          // drop-down of btnExportX509: send, save to file
    TPopupMenu* pm2;          // drop-down of btnImportCert: by the service, from a file
    TAction* actImportCertHTTP;
    TAction* actSendSelReq;
    TAction* actCheckStatus;
    TAction* actChgKeys;
    TAction* actAddEncodeKey;
    TAction* actLockCert;
    TAction* actCheckAndChangeKeys;
    TAction* actSweep;
    TAction* actEditContfig;
    TAction* actEditUpdatePars;
    TAction* actUpdateNow;
    TAction* actAbout;

    // New requests after keys were generated, with the key-kind flags of
    // that generation (set by the main window). A key change passes its own
    // flags: never bit 0x100000 (self-issued), so its requests go to files.
    std::function<int(TViewPrivatesFrame* frame, uint32_t keyKinds)> OnNewRequests;

    // ---- overrides
    void showContainer(TZrX509Csp* csp, bool onlyIfChanged) override;
    KResult openContainer() override;
    void setListsFrame(TCtxListsViewFrame* frame) override;
    void updateActions() override;

    // ---- the registration service
    // The client while the settings enable the service, else null. It is
    // bound to the container currently shown.
    TZrXCspJCMPClient* serviceClient() const { return FServiceClient.get(); }
    // Creates, rebinds or deletes the client as the settings say; then the tool bar.
    void updateServiceClient();
    // The settings dialog; on "Сохранить" the settings are saved and the
    // client follows. True when they were written (a failure is shown).
    bool execViewerSettings();

    // ---- requests
    void deliverNewRequests(uint32_t keyKinds);
    bool saveNewRequests(uint32_t keyKinds);
    bool saveRegistrationRequest(int objectKind);
    void setSaveRequestMenu(TMenuItem* item, bool plain);
    void updateReceiveCertificateMenu();
    // The selected request's status in a message box; false when not asked.
    bool showRequestStatus();
    // Sends the current request (class 3) to the service.
    KResult sendSelectedRequest();
    KResult loadCertificatesByService();

    // ---- key life cycle
    KResult checkPlannedKeyChange(bool interactive);
    KResult runPlannedKeyChange(const TZrNDefKeysChkInfo& analysis);
    KResult changeKeysByAnalysis(TZrX509Csp* csp, TZrNDefKeysChkInfo& analysis);
    KResult changeKey(TZrX509* certificate, uint32_t generationFlags, TZrX509Csp* csp = nullptr);
    KResult changeKeyReported(TZrX509* certificate, uint32_t generationFlags, const char* kindText,
                              TZrX509Csp* csp = nullptr);
    // The early change of the chosen key; the code of the change (0 when nothing ran).
    KResult earlyKeyChange();
    KResult addEncodeKeys();
    KResult blockCertificate();
    // Removes expired keys and certificates after the question; the outcome
    // (nothingToRemove also when not confirmed).
    TSweepOutcome sweepContainer();
    bool isPasswordGiven() const { return passwordGiven != 0; }

    // ---- handlers
    void actImportCertHTTPExecute(TObject* Sender);
    void actImportCertHTTPUpdate(TObject* Sender);
    void actSendSelReqExecute(TObject* Sender);
    void actCheckStatusExecute(TObject* Sender);
    void actCheckStatusUpdate(TObject* Sender);
    void actChgKeysExecute(TObject* Sender);
    void actAddEncodeKeyExecute(TObject* Sender);
    void actAddEncodeKeyUpdate(TObject* Sender);
    void actLockCertExecute(TObject* Sender);
    void actCheckAndChangeKeysExecute(TObject* Sender);
    void actCheckAndChangeKeysUpdate(TObject* Sender);
    void actSweepExecute(TObject* Sender);
    void actSweepUpdate(TObject* Sender);
    void actEditContfigExecute(TObject* Sender);
    void actEditUpdateParsExecute(TObject* Sender);
    void actUpdateNowExecute(TObject* Sender);
    void actAboutExecute(TObject* Sender);
    void N31Click(TObject* Sender);

protected:
    // The key-change analysis of the shown container (its records go to the
    // log); tests may stand another analysis in.
    virtual KResult analyseKeyChange(TZrNDefKeysChkInfo* analysis);

private:
    // The current object when it is a request with a stored context.
    TZrX509Base* currentRequest() const;
    // The certificate blocking may act on (null when none).
    TZrX509* blockableCertificate() const;
    // The object of an early change: the chosen active key's object.
    TZrX509Base* earlyChangeObject() const;
    void finishKeyChange(KResult rc, uint32_t keyKinds, TCLogGrabber& grabber);

    std::unique_ptr<TZrXCspJCMPClient> FServiceClient;
};
