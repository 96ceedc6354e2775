#pragma once
// The window that shows one key container: the container frame with the main
// menu, tool bar and short view on the page "Кратко", the content tree on
// "Подробно", the interface-language menu and the stored window state. Its
// start-up (init) brings the program to the point where a container can be
// opened: message hook, debug log, the updates at start, the application
// configuration. The key generator's main window derives from it.
#include <cstdint>
#include <functional>

#include "app/containers/CtxKeyViewExFrame.h"
#include "app/containers/CtxListsViewFrame.h"
#include "components/CCompStorage.h"
#include "components/FormsTranslation.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StatusBar.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

class TCUpdationCtx;

// View flags of the HTML object views in the container window.
constexpr uint32_t kViewCtxHtmlFlags = 24;
// The frame's open result that asks for another try.
constexpr KResult kOpenRetry = 0xC0800018;
// The frame's open result that leaves only the content tree to show.
constexpr KResult kOpenTreeOnly = 0xC0800007;
// Token certificates whose flags these bits name are not offered.
constexpr int64_t kDisabledTknCertFlags = 0x600021;

// What the start-up calls outside the window: the update engine, the
// service files' address, the configuration and the update mode. Tests
// replace them to inject what each answers.
struct TViewCtxStartupServices {
    std::function<KResult(int mode, TCUpdationCtx& ctx, const char* listHref)> runUpdate;
    std::function<TCString()> serviceFilesUrl;
    std::function<bool(const char* path)> loadConfig;
    std::function<uint32_t()> updateMode;
};
TViewCtxStartupServices defaultViewCtxStartupServices();
// The services the start-up uses (the defaults until replaced).
TViewCtxStartupServices& viewCtxStartupServices();

class TZrXViewCtxForm : public TForm {
    DECLARE_CLASS(TZrXViewCtxForm)
public:
    explicit TZrXViewCtxForm(TComponent* AOwner);

    TStatusBar* stat1;
    TPageControl* pgc1;
    TTabSheet* ts1;  // "Кратко": the container frame
    TTabSheet* ts2;  // "Подробно": the content tree
    TCFormTranslator* cfrmtransl1;
    TCCompStorage* cmpstrg1;
    TViewPrivatesFrameEx* ctxFrame;
    TCtxListsViewFrame* listsFrame;

    // Opens a container through the frame; false when it could not be opened.
    virtual bool openContainer();
    // The start-up; with openAtStart a container is opened at its end. False
    // means the program must end.
    virtual bool init(bool openAtStart);

    void pgc1Change(TObject* Sender);
};
