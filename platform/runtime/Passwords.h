#pragma once
// Password policy and keyboard layout.
#include <cstddef>

#include "platform/runtime/TCString.h"

// Bounds in characters and the test password (null: none).
void setPassMinMax(int minLen, int maxLen, const char* testPassword);
// Fills the bounds (either pointer may be null); answers the test password
// ("" when none).
const char* getPassMinMax(int* minLen, int* maxLen);
inline const char* getPassMinMax(int& minLen, int& maxLen) { return getPassMinMax(&minLen, &maxLen); }
// Sets or (null) clears the test password.
void setTestPassword(const char* testPassword);
// Copies the typed password into the caller's buffer (room for the policy
// maximum of 32 characters: 4*32+1 bytes); text longer than the maximum is
// cut at a character boundary. Answers 0, or -1 when shorter than 8 characters
// or the arguments are null (the buffer still gets the copy when it exists).
int checkPasswLen8(const char* password, char* buffer, size_t bufferSize = 129);
// Quality test: true when the password has at least the policy minimum of
// characters and a strength score of at least `level` (score: one point per
// class of lower-case, upper-case, digits and other characters; one point each
// for 8, 10, 12 and 16 characters; minus two for a run of one repeated
// character or a plain sequence covering half of it).
bool testPassword(const char* password, int level);
int passwordScore(const char* password);

// Keyboard layout: ISO 639-2 short name ("eng", "rus", "ukr") and a name.
TCString getKBLayoutNameSN3();
TCString getKBLayoutName();
// The windowing layer installs the input-locale source (a 2- or 3-letter
// language code or locale name such as "uk_UA"); without one, or when it
// answers an empty text, the locale environment ($ZRX_KB_LAYOUT, LC_ALL,
// LC_CTYPE, LANG) is used.
using KBLayoutSource = TCString (*)();
KBLayoutSource setKBLayoutSource(KBLayoutSource fn);
// ISO 639-2 code of a language or locale name ("en_US.UTF-8" -> "eng").
TCString languageCodeSN3(const char* localeName);
