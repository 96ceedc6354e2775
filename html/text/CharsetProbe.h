#pragma once
// The font character set the system's font mapper actually delivers for a
// requested one, asked once per value and remembered.
#include <functional>

// The charset delivered for Charset (0..255; other values answer themselves).
int ProbeFontCharset(int Charset);
// The question put to the font layer; tests give a fake. Setting it forgets
// the answers so far. Answers the previous one.
using ThtCharsetProbe = std::function<int(int Charset)>;
ThtCharsetProbe SetFontCharsetProbe(ThtCharsetProbe Probe);
