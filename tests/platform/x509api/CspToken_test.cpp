// A container on a SoftHSM token through the container object: keys made
// on the token, requests signed there, certificates stored, reloaded.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "platform/core/config/P12Template.h"
#include "platform/p11/P11Storage.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/x509api/BaseRequestParamMaker.h"
#include "platform/p11/P11Support.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"

using namespace zrx;
using namespace zrx::container;

TEST(CspToken, GenerateCertifyReload) {
    zrxtest::SoftHsm hsm;
    ASSERT_TRUE(hsm.initToken("Контейнер", "12345678", getCTXDef_p()));
    ASSERT_EQ(0u, initP11Lib());
    ASSERT_EQ(0u, ZrX_Initalize(""));
    TCStringList devices;
    ASSERT_EQ(1, ZrX_GetDevicesList("$:", devices, 0));
    std::string location = "$:" + devices[0].str();
    EXPECT_EQ(36u, ZrX_GetContainerType(location.c_str()));
    EXPECT_EQ(kErrNotFound, ZrX_FileExistsEx(location.c_str(), getCTXDef_p(), nullptr));

    std::string tmpl = hsm.dir().file("t.xcfg");
    zrxtest::writeFile(tmpl,
                       "<cryptoTemplate version=\"1\"><sign><params name=\"s\" alg=\"EC:P-256\"/></sign>"
                       "<keyAgreement><params name=\"k\" alg=\"ECDH:P-256\"/></keyAgreement></cryptoTemplate>");
    TCXProfileDescriptor profile;
    profile.name = "t";
    profile.id = 3;
    profile.flags = PF_SIGN_KEYS | PF_KA_KEYS;
    {
        TZrX509Csp csp;
        TCBaseRequestParamMaker maker(&profile, &csp);
        ASSERT_EQ(0u, loadP12Template(tmpl.c_str(), &maker.cryptoTemplate()));
        ASSERT_EQ(0u, maker.initCtxCryptoPars(3, 0, 0));
        maker.nameList().addAttribute("CN", "Токен Тест");
        csp.prepareUpdate();
        csp.beginUpdate();
        csp.setContainerName(location.c_str());
        csp.container()->setDp(getCTXDef_p());
        EXPECT_EQ(0, csp.container()->isFile());
        ASSERT_EQ(0u, maker.generateKeys(&csp, 0x30000, nullptr));
        int64_t now = std::time(nullptr);
        while (csp.reqCount() > 0) {
            TZrX509 cert;
            ASSERT_EQ(0u, cert.fromRequest(*csp.getReqAt(0)));
            ASSERT_EQ(0u, csp.mkSelfIssued(cert, now - 60, now + 86400 * 365));
            ASSERT_TRUE(csp.addCertificate(&cert, true));
        }
        ASSERT_EQ(0u, csp.endUpdate(false));
        // Private keys never leave the token.
        for (int i = 0; i < csp.container()->ctx_ActKeysList.count(); ++i)
            EXPECT_TRUE(csp.container()->ctx_ActKeysList.asPrivateKey(i)->record().pkcs8.empty());
    }
    EXPECT_EQ(0u, ZrX_FileExistsEx(location.c_str(), getCTXDef_p(), nullptr));
    TZrX509Csp loaded;
    ASSERT_EQ(0u, loaded.load(location.c_str(), getCTXDef_p()));
    EXPECT_EQ(2, loaded.container()->ctx_ActKeysList.count());
    EXPECT_EQ(devices[0].str(), loaded.container()->deviceText().str());
    EXPECT_TRUE(loaded.container()->isActiveMode());
    ASSERT_TRUE(loaded.getSelfCrt());
    EXPECT_EQ("Токен Тест", loaded.commonName().str());
    EXPECT_EQ(0u, loaded.getSelfCrt()->verify(*loaded.getSelfCrt()));
    // Token keys cannot be copied into a file.
    EXPECT_TRUE(loaded.container()->copyDenied());
    std::string file = hsm.dir().file("copy.zrx");
    EXPECT_EQ(kErrKeysNotCopyable, loaded.saveAs(file.c_str(), "password-1"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(location, loaded.container()->fileName().str());
    doneP11Lib();
}
