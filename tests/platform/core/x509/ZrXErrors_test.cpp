#include "platform/core/x509/ZrXErrors.h"

#include <gtest/gtest.h>

#include "platform/core/config/XmlNode.h"
#include "platform/core/container/ContainerCodes.h"
#include "platform/runtime/Messages.h"

namespace {

// The x509 layer answers for the whole facility: its own codes, the key
// containers' codes, and the runtime's texts for the rest.
TEST(ZrXErrors, TextsOfTheLayerAndOfKeyContainers) {
    const struct {
        KResult code;
        const char* text;
    } cases[] = {
        {0xC0800060, "Неверный пароль контейнера или контейнер повреждён"},
        {0xC0800066, "Носитель не найден"},
        {0xC080006B, "Пароль не задан или недопустим"},
        {0xC0800072, "Личные ключи хранятся в устройстве и не могут быть скопированы"},
        {0xC0800019, "Объект не найден"},
        {0xC0800080, "Объект не помещается в отведённый буфер"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(ZrXGetErrorText(c.code).str(), c.text);
    }
    // Every container code has a text of its own.
    for (KResult code = 0xC0800060; code <= 0xC0800072; ++code) {
        SCOPED_TRACE(code);
        ASSERT_NE(zrx::container::containerCodeText(code), nullptr);
        EXPECT_EQ(ZrXGetErrorText(code).str(), zrx::container::containerCodeText(code));
    }
    EXPECT_FALSE(ZrXGetErrorText(0xC0801234).isEmpty());
}

// Registered with the runtime's message table, every code of the facility
// that has a text shows it in logs and boxes (not "Код ошибки ...").
TEST(ZrXErrors, FacilityTextsReachTheRuntimeTable) {
    registerZrXMessages();
    const struct {
        KResult code;
        const char* text;
    } cases[] = {
        {0xC0800087, "Издатель не является центром сертификации"},
        {0xC0800080, "Объект не помещается в отведённый буфер"},
        {0xC0800060, "Неверный пароль контейнера или контейнер повреждён"},
        {XML_E_SYNTAX, "Нарушен формат XML"},
    };
    for (const auto& c : cases) EXPECT_EQ(KRTL_GetTextMessage(c.code).str(), c.text) << std::hex << c.code;
    for (KResult code = 0xC0800080; code <= 0xC0800091; ++code)
        EXPECT_EQ(KRTL_GetTextMessage(code).str(), ZrXGetErrorText(code).str()) << std::hex << code;
    EXPECT_EQ(KRTL_GetTextMessage(0xC0801234).str(), "Код ошибки 0xC0801234");
    KRTL_RemoveFacilityMessages(0x080u);
}

}  // namespace
