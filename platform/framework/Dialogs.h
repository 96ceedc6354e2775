// The framework's message dialog. Common dialogs (open/save, print ...) are
// added here as the windows need them; each runs through the modal hook
// (RunModalHook in Forms.h) before it shows anything real.
#pragma once

#include <functional>
#include <vector>

#include "platform/framework/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbClose
};
using TMsgDlgButtons = uint32_t;
template <class... B> constexpr TMsgDlgButtons mbSet(B... b) { return ((1u << b) | ... | 0u); }
constexpr TMsgDlgButtons mbOKCancel = (1u << mbOK) | (1u << mbCancel);
constexpr TMsgDlgButtons mbYesNoCancel = (1u << mbYes) | (1u << mbNo) | (1u << mbCancel);
constexpr TMsgDlgButtons mbYesNo = (1u << mbYes) | (1u << mbNo);

// A modal form with the message (plain text, label "Message") and one button
// per member of the set, named "Yes", "No", "OK", "Cancel", ...; returns the
// modal result of the button pressed (Escape and closing give mrCancel).
TCustomForm* CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
void ShowMessage(const String& Msg);
// Runs prepare (when given), shows the form modally, lets collect read the
// form with the modal result, and frees it, also when any of them throws;
// returns the modal result.
int ShowModalAndFree(TCustomForm* form, const std::function<void()>& prepare = {},
                     const std::function<void(int)>& collect = {});

// File dialogs. Execute runs the modal hook when one is set (the hook fills
// FileName / Files and returns mrOk or mrCancel); otherwise a real dialog.
enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden
};
using TOpenOptions = uint32_t;
extern const TEnumInfo OpenOptionInfo;
constexpr TOpenOptions ofSet(TOpenOption o) { return 1u << o; }

// A filter in the framework's form ("Text (*.txt)|*.txt|All|*.*") as Qt's
// name filters, one per description and pattern pair.
std::vector<String> QtFileFilters(const String& filter);

class TCommonDialog : public TComponent {
    DECLARE_CLASS(TCommonDialog)
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    virtual bool Execute() = 0;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
};

class TOpenDialog : public TCommonDialog {
    DECLARE_CLASS(TOpenDialog)
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;
    bool Execute() override;
    String FileName() const { return FFileName; }
    void SetFileName(const String& v) { FFileName = v; }
    TStrings* Files() const { return FFiles; }
    // "Text files (*.txt)|*.txt|All files|*.*"
    String Filter() const { return FFilter; }
    void SetFilter(const String& v) { FFilter = v; }
    int FilterIndex() const { return FFilterIndex; }  // 1-based
    void SetFilterIndex(int v) { FFilterIndex = v; }
    String InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& v) { FInitialDir = v; }
    String DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& v) { FDefaultExt = v; }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions v) { FOptions = v; }
    bool IsSaveDialog() const { return FSave; }

protected:
    bool FSave = false;

private:
    bool HookAnswerAccepted();

private:
    String FFileName, FFilter, FInitialDir, FDefaultExt, FTitle;
    int FFilterIndex = 1;
    TOpenOptions FOptions = ofSet(ofHideReadOnly) | ofSet(ofEnableSizing);
    TStringList* FFiles;
};

class TSaveDialog : public TOpenDialog {
    DECLARE_CLASS(TSaveDialog)
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) { FSave = true; }
};
