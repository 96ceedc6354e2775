#pragma once
// The container location frame: a media-type picker and a path editor turned
// into one container location (a file path, "%c:%s" for a device, "$:" and
// the token name for an HSM token), and, when keys are to be written, the
// decision whether that location may take them.
#include <cstdint>
#include <functional>

#include "components/CCompStorage.h"
#include "components/CFlagsBox.h"
#include "components/HistoryEdit.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

// Flag of the frame (and of the password prompt): the location is for writing keys.
constexpr unsigned int kLocationForWriting = 0x1;
// updatePathEditors: the current media type.
constexpr uint32_t kCurrentMedia = 255;

using TMediaChangeEvent = std::function<void(TObject* Sender, uint32_t mediaType)>;

class TCtxPtromptFrame : public TFrame {
    DECLARE_CLASS(TCtxPtromptFrame)
    explicit TCtxPtromptFrame(TComponent* AOwner);
    ~TCtxPtromptFrame() override;

    TLabel* lbl2;             // "Тип"
    TLabel* lbl1;             // "Путь"
    THistoryEdit* hstEditFN;  // the path with its history
    TCFlagsBox* flbx1;        // the media type
    TButton* btn1;            // browse
    TCCompStorage* cmpstrg1;
    TOpenDialog* dlgOpenEx1;
    TEdit* edtFN;  // the plain path editor of the media in plainEditMedia

    // Called with the frame and a media type before the picker changes.
    TMediaChangeEvent OnMediaChange;
    // The location the last selectDevice produced.
    TCString resolvedLocation;
    // Passed unchanged to the search for existing keys on a device.
    TCString* fileExistsContext = nullptr;
    TCFlags<unsigned int> frameFlags;
    TCString tokenLabel;
    TCString defaultFileName;

    // Set-up, in this order: setFlags, fillMediaTypes, init, setPlainEditMedia.
    void setFlags(TCFlags<unsigned int> flags) { frameFlags = flags; }
    void fillMediaTypes();
    void init(const char* stateName);
    void setPlainEditMedia(const char* mediaChars);
    void setDefaultFileName(const char* name);
    void setTokenLabel(const char* label) { tokenLabel = label ? label : ""; }
    void setFileExistsContext(TCString* context) { fileExistsContext = context; }
    void setLocation(const char* location);

    bool writing() const { return frameFlags.isSet(kLocationForWriting); }
    TCString getPathText() const;
    void setPathText(const char* text);
    // The visible editor, for the owner to focus after a refused location.
    TWinControl* pathEditor() const;
    uint32_t mediaType() const;
    void setMediaType(uint32_t code);
    uint32_t containerTypeOfPath() const;
    // The path text; when writing, a file container's extension becomes ".pfx".
    TCString containerPath();
    // Resolves the location into resolvedLocation and, when writing, decides
    // whether it may take the keys: the given result, or 0 when it may not.
    int selectDevice(int result, const char* password);
    bool CheckOverwrite(const char* location, const char* password);
    bool testWritableFolder(const char* location);
    void updatePathEditors(uint32_t code = kCurrentMedia);
    // The device whose keys of the same purpose the user agreed to remove:
    // removed only when the new container is committed (cleanStorageAtCommit).
    // Empty when nothing is to be removed.
    const TCString& cleanOnCommit() const { return FCleanOnCommit; }

    static bool isHsmLocation(const char* location) { return location && location[0] == '$'; }
    static TCString joinDeviceLocation(const char* prefix, const char* device);

    void Button3Click(TObject* Sender);
    void flbx1ListHide(TObject* Sender);
    void Edit1Exit(TObject* Sender);

protected:
    void FormAssigned(TCustomForm* form) override;

private:
    const char* plainEditMedia() const { return FPlainEditMedia.c_str(); }
    // Lists the devices of a media prefix; a failure is shown and answers false.
    bool listDevices(const char* prefix, TCStringList& devices, const char* caller);
    TCString FPlainEditMedia;
    TCString FCleanOnCommit;
};

// Removes the keys of the same purpose from the device the user agreed to
// clean (a location from cleanOnCommit; nothing for an empty one). Called
// when the new container is committed, right before it is written.
KResult cleanStorageAtCommit(const char* location, const char* password);
