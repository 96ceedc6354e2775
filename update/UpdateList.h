#pragma once
// The signed update list of one application (docs/update-list.md): its
// signature is verified with a signer chosen by key identifier, and its
// `autoupdate` object becomes the list of file entries of the application.
#include <cstdint>
#include <memory>

#include "platform/core/x509/Asn1Types.h"
#include "platform/core/config/XmlNode.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCStringList.h"
#include "update/UpdationConfig.h"

class TCUpdateFilesList;
class TCUpdationCtx;

// Kinds, actions and flags of an entry.
constexpr int32_t UPF_KIND_FILE = 0;
constexpr int32_t UPF_KIND_XML = 1;  // the digest covers the module's canonical form
constexpr int32_t UPF_ACTION_NONE = 0;
constexpr int32_t UPF_ACTION_COPY = 1;
constexpr int32_t UPF_ACTION_RUN = 2;
constexpr int32_t UPF_ACTION_NOTIFY = 3;
constexpr int32_t UPF_REVISION_DATE = 0;
constexpr int32_t UPF_REVISION_VERSION = 1;
constexpr unsigned UPF_EXIT = 1;       // the program must close for this update
constexpr unsigned UPF_EXCLUSIVE = 2;  // goes first, and alone

// One update file; its text is the file name.
class TCUPFileInfo : public TCString {
public:
    TCUPFileInfo() : TCUPFileInfo(nullptr) {}
    explicit TCUPFileInfo(const char* name);
    ~TCUPFileInfo() override = default;

    TCUpdateFilesList* owner = nullptr;
    TCString dest;  // destination folder of a copy (macros substituted)
    TCString href;  // download folder, no trailing '/'
    TCString description;
    int32_t kind = UPF_KIND_FILE;
    int32_t action = UPF_ACTION_RUN;
    int32_t revisionKind = UPF_REVISION_DATE;
    TCFlags<unsigned int> fileFlags;
    TCString version;
    uint32_t revision = 0;  // offered
    uint64_t size = 0;      // bytes, as the list states them; 0: not stated
    uint8_t hash[32] = {};  // expected digest
    uint32_t installed = 0;
    const TCXMLNode* node = nullptr;  // the file's element in the list (not owned)
    // This run fetched (or found) the file and checked its digest.
    bool verified = false;
    // This run copied the file into place, or started it: either way its
    // revision is recorded, so no revision is applied twice.
    bool copied = false;
    bool started = false;

    // Module digests, the download and the copy (the updates folder is "folder").
    KResult computeHash(const char* folder, uint8_t out[32]) const;
    KResult checkHash(const char* folder, bool quiet) const;
    // 0 when the digest is the expected one, else 0xC080000E (logged unless quiet).
    KResult matchHash(const uint8_t actual[32], bool quiet) const;
    // The most bytes a download of the file may take: the stated size, else
    // the cap for files without one.
    uint64_t downloadLimit() const;
    bool isCached(const char* folder) const;
    KResult download(const char* folder, const TCUpdationConfig& settings);
    KResult copyToDest(const char* folder);
    TCString displayText() const;
    bool isInstalled() const { return revision <= installed; }
};

class TCUpdateFilesList : public TTCStringList<TCUPFileInfo> {
public:
    explicit TCUpdateFilesList(const char* appName = nullptr);
    ~TCUpdateFilesList() override;

    TCString listFile;
    TCString appName;
    TCString updatesFolder;
    TCString versionsFile;
    TCString rootHref;
    TCUpdationConfig settings;

    bool loadExtCert();
    KResult readList(const char* path);
    const TCXMLNode* root() const { return root_.get(); }
    const TZrX509* extCert() const { return extCert_; }
    void setRoot(TCXMLNode* root) { root_.reset(root); }

    // The run's steps (update/UpdateRun.cpp): mode checks and settings, the
    // download half (answers the count of verified files or a failure code),
    // and the actions.
    KResult prepare(int mode, const char* listHref);
    KResult collect(TCUpdationCtx* ctx);
    KResult apply(int mode, TCUpdationCtx* ctx);
    KResult runFile(TCUPFileInfo& entry, TCUpdationCtx* ctx);

    // The versions file (section "modules"): the installed revisions, and
    // the offered revision of every entry copied or started in this run.
    void loadInstalledRevisions();
    void saveRevisions();

private:
    friend KResult signerLookup(TZrX509& out, void* list, const TCASN1OctetString& keyId);
    bool readApplicationFiles(const char* file, TCStringList& filter);
    std::unique_ptr<TCXMLNode> root_;
    const TZrX509* extCert_ = nullptr;
    // The key identifier the list's signature names (set by the lookup).
    TCASN1OctetString signerKeyId_;
    friend KResult verifyAndRead(TCUpdateFilesList& list, const char* path);
};

// Verifies the downloaded list and reads it into the list: 0 or a failure code.
KResult verifyAndRead(TCUpdateFilesList& list, const char* path);
// The signer's certificate lookup: the extra certificate, else the built-in ones.
KResult signerLookup(TZrX509& out, void* list, const TCASN1OctetString& keyId);
KResult builtInSigner(TZrX509& out, void* list, const TCASN1OctetString& keyId);
// Logs a missing section or attribute of a file; answers 0xC0800049.
KResult missingEntryError(const char* file, const char* section, const char* attribute);

// The publisher's certificates, Base64 DER, in the order they are tried
// (update/BuiltInSigners.cpp; a test program links its own table instead).
const TCStringList& builtInSignerCertificates();
