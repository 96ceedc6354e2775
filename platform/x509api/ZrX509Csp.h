#pragma once
// The key container object: one container (file or device) with its
// content, the update transaction and key generation into it.
#include <openssl/x509.h>

#include <memory>
#include <string>

#include "platform/core/container/KeyCrypto.h"
#include "platform/core/keys/UserKeysContext.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"

class TCXCertsChain;
class TZrXP12Template;

// Kinds of stored objects (ZrX_GetX509Object).
enum : int {
    kObjSignRequest = 1,        // PKCS#10 of the signature key
    kObjSignedSignRequest = 2,  // CMS signed form of it
    kObjKARequest = 7,          // PKCS#10 of the key-agreement key
    kObjSignedKARequest = 8,    // CMS signed form of it
};

// What one generation makes.
struct TZrXGenJob {
    zrx::crypto::KeyAlgorithm signAlg;  // kind None: no signature key
    zrx::crypto::KeyAlgorithm kaAlg;    // kind None: no key-agreement key
    const X509_NAME* subject = nullptr;
    const STACK_OF(X509_EXTENSION) * extensions = nullptr;
    std::string challenge;
    int32_t profile = -1;
    uint32_t keyFlags = 0;  // extra key flags (start-up keys)
};

class TZrX509Csp : public TCCspBase {
public:
    TZrX509Csp();
    ~TZrX509Csp() override;
    TZrX509Csp(const TZrX509Csp&) = delete;
    TZrX509Csp& operator=(const TZrX509Csp&) = delete;

    // Reads a container; on failure the object keeps what it held.
    KResult load(const char* location, const char* password);
    // Writes the container to a location under a password; it then lives there.
    KResult saveAs(const char* location, const char* password);
    // 1 while nothing is loaded or made.
    int empty() const;
    TCBaseUserKeysContext* container() { return &ctx_; }
    const TCBaseUserKeysContext* container() const { return &ctx_; }
    TCString commonName() const override;
    // Names the location a new container is written to. Called while
    // creating a container: the content starts empty there.
    void setContainerName(const char* location);

    // ---- update transaction ----
    // Precedes every update that may create a new container: the next
    // setContainerName starts a fresh content.
    void prepareUpdate();
    // True between prepareUpdate and the update's new content: the keys held
    // now are not the ones the update will have.
    bool startsNew() const { return prepared_; }
    void beginUpdate();
    bool inUpdate() const { return inUpdate_; }
    // Ends the update; writes the container when it changed (or always with
    // force). 0 when written or nothing to write, else the failure code
    // (the update can then still be cancelled through the content).
    KResult endUpdate(bool force);
    // True when the last endUpdate wrote the container.
    bool lastUpdateWritten() const { return written_; }
    void updateCancelled() override;

    // ---- requests and certificates ----
    int reqCount() const { return ctx_.ctx_RequestsList.count(); }
    TZrX509Req* getReqAt(int i) const { return ctx_.ctx_RequestsList.asTZrX509Req(i); }
    // Stores a certificate (a certificate of one of the keys takes its
    // request out). Outside an update the container is written at once.
    bool addCertificate(const TZrX509* cert, bool checkKey);
    TZrX509* getSelfCrt() const;
    TZrX509* getSelfNewCrt() const;
    TZrX509* getPrevX509Object() const { return ctx_.getPrevX509Object(); }
    // DER of a stored object into a buffer. *len is the buffer size on
    // entry and the object's length on return. A null buffer only tests
    // existence (0 or kErrObjectMissing); an object that does not fit is
    // kErrBufferTooSmall and nothing is written.
    KResult ZrX_GetX509Object(void* buffer, uint32_t* len, int kind) const;
    // Stores an issued certificate (DER) and writes the container.
    KResult putStorageCertificate(const void* der, size_t len);
    // Stores every certificate of a chain and writes the container.
    KResult saveCrtChain(const TCXCertsChain* chain, bool replace);
    // Key identifiers (hex) of the stored requests.
    int getReqsIDList(TCStringList& list) const;
    // Removes expired keys and certificates; answers how many items went.
    int sweep();
    // Generates key-agreement keys (by the template's default for the
    // container's profile) with their request, for the owner of the active
    // signature certificate.
    KResult addEncodeKeys(const char* algorithm, const X509_NAME* subject, const TZrXP12Template* tmpl);
    // Puts next keys with a valid certificate into service: 0x40800005 when
    // any did. With save the container is written.
    KResult ZrX_ActivateDefaultNewKeys(bool save);
    // Key kinds whose certificate expires within days (start-up keys always).
    KResult ZrX_NeedChangeDefaultKeys(int days, TZrNDefKeysChkInfo* info) const;

    // Issues a certificate made from one of the container's requests to
    // itself for [start, end]. The key of the certificate signs it; a key
    // that cannot sign (X25519) is certified by the signature key of the
    // same generation.
    KResult mkSelfIssued(TZrX509& cert, int64_t start, int64_t end);

    // ---- key generation ----
    // Generates the keys and requests of a job into the container. Inside
    // an update the changes wait for endUpdate; outside one they are
    // written at once (and undone when anything fails).
    KResult generate(const TZrXGenJob& job);

private:
    KResult generateInUpdate(const TZrXGenJob& job);
    KResult writeOutsideUpdate(KResult rc);
    TCPrivateEVPKey* signerForKeyOf(const TCPrivateEVPKey* key) const;

    TCBaseUserKeysContext ctx_;
    bool inUpdate_ = false;
    bool prepared_ = false;
    bool written_ = false;
};
