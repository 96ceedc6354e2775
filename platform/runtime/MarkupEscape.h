#pragma once
// Text made safe inside HTML or XML markup, in element content and in quoted
// attribute values alike (either quote): '&', '<', '>', '"' and '\'' become
// references. An embedded NUL, which neither language can carry and which
// cuts the text short wherever it is read as a C string, shows as "\00", so
// that a name hiding one ("www.bank.ua\0.evil.example") is seen whole.
#include <string>
#include <string_view>

std::string escapeMarkup(std::string_view text);
void appendEscapedMarkup(std::string& out, std::string_view text);
