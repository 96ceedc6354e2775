#include "platform/p11/P11Support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/container/KeyStorage.h"
#include "platform/p11/P11Storage.h"
#include "platform/p11/SoftHsmFixture.h"
#include "platform/x509api/ZrX509Api.h"

namespace {

TEST(P11Support, TokensAreListedByNameWithTheirSlots) {
    zrxtest::SoftHsm hsm;
    ASSERT_TRUE(hsm.initToken("Первый", "12345678", getCTXDef_p()));
    ASSERT_TRUE(hsm.initToken("Второй", "12345678", getCTXDef_p()));
    ASSERT_EQ(initP11Lib(), 0u);
    ASSERT_EQ(initP11Lib(), 0u);  // again before the next load
    // Readying the module does not start it: a load of a file never pays
    // for the module's start; the first device use opens it.
    EXPECT_FALSE(TCP11Lib::forMedia(P11_MEDIA_HSM)->isOpen());
    EXPECT_EQ(zrx::mediaTypeOfLocation("$:x"), 36u);
    TCStringList media;
    ZrX_GetSupportedDevices(media, false);
    ASSERT_EQ(media.count(), 1);  // the token backend, offered once
    EXPECT_STREQ(media[0].c_str(), "HSM-токен");
    EXPECT_EQ(media[0].object(), 36u);

    TCStringList list;
    ASSERT_EQ(listTokenDevices(list), 2);  // the free slot is not a device
    EXPECT_TRUE(TCP11Lib::forMedia(P11_MEDIA_HSM)->isOpen());
    ASSERT_EQ(list.count(), 2);
    std::vector<std::string> labels;
    for (int i = 0; i < list.count(); ++i) {
        TCP11Slot* slot = list[i].objectAs<TCP11Slot>();
        ASSERT_NE(slot, nullptr);
        EXPECT_STREQ(list[i].c_str(), slot->getTokenName());
        labels.push_back(slot->getLabel());
    }
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"Второй", "Первый"}));

    // The device list of the token prefix, as the device choice reads it:
    // token names with their slots attached, never the media code.
    for (const char* prefix : {"$", "$:", "$:some token"}) {
        SCOPED_TRACE(prefix);
        TCStringList devices;
        ASSERT_EQ(ZrX_GetDevicesList(prefix, devices, 0), 2);
        ASSERT_EQ(devices.count(), 2);
        for (int i = 0; i < devices.count(); ++i) {
            EXPECT_EQ(devices[i].str(), list[i].str());
            EXPECT_EQ(devices[i].objectAs<TCP11Slot>(), list[i].objectAs<TCP11Slot>());
            EXPECT_NE(devices[i].object(), 36u);
        }
    }

    // After the module is released it can be opened again.
    doneP11Lib();
    EXPECT_FALSE(TCP11Lib::forMedia(P11_MEDIA_HSM)->isOpen());
    TCStringList again;
    EXPECT_EQ(listTokenDevices(again), 2);
    doneP11Lib();
}

TEST(P11Support, MissingModuleLeavesNoDevices) {
    zrxtest::SoftHsm hsm;
    TCP11Lib::setModulePath(hsm.dir().file("missing.so"));
    EXPECT_EQ(initP11Lib(), P11_E_MODULE);
    TCStringList list;
    EXPECT_EQ(listTokenDevices(list), 0);
    EXPECT_EQ(list.count(), 0);
    // The device list says why, instead of "no devices".
    EXPECT_EQ(ZrX_GetDevicesList("$:", list, 0), int(P11_E_MODULE));
    EXPECT_EQ(list.count(), 0);
    TCP11Lib::setModulePath("");
    doneP11Lib();
}

}  // namespace
