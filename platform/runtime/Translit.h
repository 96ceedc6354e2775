#pragma once
// Latin transliteration of Ukrainian (and Russian) text, by the national
// romanisation table, and safe file names made from owner names.
#include "platform/runtime/TCString.h"

// The text with Cyrillic letters replaced by their Latin spelling; other
// characters stay as they are. Case follows the source letter ("Щ" -> "Shch").
TCString uaTranslit(const char* text);
// A file name from an owner's name: transliterated, blanks become '_', path
// separators, control characters and every character a shell treats
// specially become '_', no leading dot, and never empty ("noname"); then the
// extension (with or without its dot).
TCString uaTranslitFileName(const char* text, const char* ext);
// The same cleaning without transliteration (names already in Latin, serials).
TCString safeFileName(const char* text, const char* ext);
