#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/Messages.h"

namespace {
TCString caText(uint32_t code) {
    if (code == 0xC0900002u) return TCString("Сервер недоступен");
    return TCString("Неизвестный код");
}
std::string g_shown;
int g_isError = -1;
int showHook(const char* text, int isError) {
    g_shown = text;
    g_isError = isError;
    return 1;
}
}  // namespace

TEST(Messages, TextsByFacility) {
    KRTL_AddFacilityMessages(0x900000, &caText, "CA", "Сервер");
    EXPECT_EQ(KRTL_GetTextMessage(0xC0900002u), "Сервер недоступен");
    EXPECT_EQ(kvdMessageByCode(0xC0900077u), "Неизвестный код");
    EXPECT_EQ(KRTL_lastMesage(), "Неизвестный код");
    EXPECT_EQ(KRTL_FacilityName(0x090), "CA");
    EXPECT_EQ(KRTL_FacilityCaption(0xC0900000u & 0x0FFF0000u), "Сервер");

    // Codes of the runtime's own facility and unknown facilities.
    EXPECT_EQ(KRTL_GetTextMessage(0xC0800024u), "Операция отменена пользователем");
    EXPECT_EQ(KRTL_GetTextMessage(0xC0A00001u), "Код ошибки 0xC0A00001");
    EXPECT_FALSE(KRTL_GetTextMessage(0xC0400002u).isEmpty());  // system error text

    KRTL_RemoveFacilityMessages(0x090);
    EXPECT_EQ(KRTL_GetTextMessage(0xC0900002u), "Код ошибки 0xC0900002");
    KRTL_SetLastMessageFmt("Файл '%s' не найден", "a.txt");
    EXPECT_EQ(KRTL_lastMesage(), "Файл 'a.txt' не найден");
}

TEST(Messages, ErrorBoxesGoThroughTheRegisteredFunction) {
    EXPECT_EQ(kvdSetShowMessageFunc(&showHook, 0), nullptr);
    EXPECT_EQ(kvdShowErrorMessage(nullptr, 0xC0800002u, 1, "Ошибка записи сертификата в файл \"%s\"!", "c.pem"), 1);
    EXPECT_EQ(g_shown, "Ошибка записи сертификата в файл \"c.pem\"!");
    EXPECT_EQ(g_isError, 1);
    EXPECT_EQ(KRTL_lastMesage(), g_shown);

    kvdShowErrorLibMessage(nullptr, 0xC0800024u, 0, "Поиск ключей на носителе '%s'", "A:");
    EXPECT_EQ(g_shown, "Поиск ключей на носителе 'A:'. Операция отменена пользователем!");
    kvdShowErrorLibMessage(nullptr, 0xFFFFFFFFu, 0, "без кода");
    EXPECT_EQ(g_shown, "без кода");

    KRTL_ShowErrorMessage(nullptr, 0, 0, "%s", "x");
    EXPECT_EQ(g_shown, "x");
    kvdShowMessage("Внимание %d", 1);
    EXPECT_EQ(g_isError, 0);
    EXPECT_EQ(kvdSetShowMessageFunc(nullptr), &showHook);
}
