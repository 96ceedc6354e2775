#pragma once
// Texts of result codes by facility, the last message, and the error box
// that goes through the function the program registers.
#include <cstdarg>
#include <cstdint>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

// A facility's text provider: the (translated) text of one of its codes.
using KRTL_FacilityTextFunc = TCString (*)(uint32_t code);
// Registers (or replaces) the provider of a facility. The facility may be
// given as its number (0x090) or in its code position (0x900000).
void KRTL_AddFacilityMessages(uint32_t facility, KRTL_FacilityTextFunc provider, const char* shortName = nullptr,
                              const char* caption = nullptr);
void KRTL_RemoveFacilityMessages(uint32_t facility);
// Short name and caption of a registered facility (empty when none).
TCString KRTL_FacilityName(uint32_t facility);
TCString KRTL_FacilityCaption(uint32_t facility);

// The text of a code: the facility's provider, else the runtime's own table,
// else a generic text with the code. The text becomes the last message.
TCString KRTL_GetTextMessage(uint32_t code);
TCString kvdMessageByCode(uint32_t code);
// The last message produced (a code's text, an error shown, or one set by a library).
TCString KRTL_lastMesage();
void KRTL_SetLastMessage(const char* text);
void KRTL_SetLastMessageFmt(const char* fmt, ...) ZRX_PRINTF(1, 2);
// The text of a negative runtime error number (-errno).
TCString rtlTextError(int negErr);

// The function that shows message boxes for the library: text and whether it
// is an error; answers the box's result. The context word of the
// registration is accepted for the callers' sake and not used.
using KVD_ShowMessageFunc = int (*)(const char* text, int isError);
KVD_ShowMessageFunc kvdSetShowMessageFunc(KVD_ShowMessageFunc fn, uintptr_t context = 0);
KVD_ShowMessageFunc kvdGetShowMessageFunc();

// Error boxes (owner window, code or -1, flag, format, values).
// kvdShowErrorMessage / KRTL_ShowErrorMessage show the formatted text;
// kvdShowErrorLibMessage appends the code's text (". <text>!").
// Without a registered function the text goes to stderr. The shown text
// becomes the last message; answers the box's result (0 without a box).
int kvdShowErrorMessage(void* owner, uint32_t code, int flag, const char* fmt, ...) ZRX_PRINTF(4, 5);
int kvdShowErrorLibMessage(void* owner, uint32_t code, int flag, const char* fmt, ...) ZRX_PRINTF(4, 5);
int KRTL_ShowErrorMessage(void* owner, uint32_t code, int flag, const char* fmt, ...) ZRX_PRINTF(4, 5);
// A warning / information box through the same function (isError 0).
int kvdShowMessage(const char* fmt, ...) ZRX_PRINTF(1, 2);
