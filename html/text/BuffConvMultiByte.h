#pragma once
// The converters of the East Asian multi-byte code pages: the EUC double-byte
// family (51936 EUC-CN, 51949 EUC-KR), Shift-JIS (932), GBK (936), Unified
// Hangul Code (949), Big5 (950), EUC-JP (51932), GB18030 (54936) and the
// ISO-2022 encodings (50220-50222, 50225, 50227). Each NextChar decodes one
// character into one UTF-16 unit; undecodable input gives U+FFFD (Shift-JIS:
// the lead byte's own value). A sequence cut off by the end of the content
// reads the terminating zeros as its missing bytes, never past them. Only the
// ISO-2022 converters keep state between characters.
#include <cstdint>

#include "html/text/BuffBaseConverter.h"

class TBuffConvDoubleByte;
using TBuffDoubleByteDecoder = char16_t (TBuffConvDoubleByte::*)(uint8_t Row, uint8_t Cell) const;

class TBuffConvDoubleByte : public TBuffBaseConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;

protected:
    void Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) override;

private:
    void InitDecoder();
    char16_t DecodeGB2312(uint8_t Row, uint8_t Cell) const;
    char16_t DecodeKSC5601(uint8_t Row, uint8_t Cell) const;

    TBuffDoubleByteDecoder FDecoder = nullptr;
};

class TBuffConvShiftJis932 : public TBuffConverter {
public:
    char16_t NextChar() override;
};

class TBuffConvBig5CP950 : public TBuffConverter {
public:
    char16_t NextChar() override;
};

class TBuffConvIBM936 : public TBuffBaseConverter {
public:
    char16_t NextChar() override;
};

class TBuffConvHangeul949 : public TBuffBaseConverter {
public:
    char16_t NextChar() override;
};

class TBuffConvGB18030 : public TBuffBaseConverter {
public:
    char16_t NextChar() override;
};

class TBuffConvEUC_JP : public TBuffBaseConverter {
public:
    char16_t NextChar() override;
};

enum TJPState {
    JPS_ASCII,
    JPS_JISX0201ROMAN,
    JPS_JISX0208,
    JPS_JISX0212,
    JPS_GB2312,
    JPS_KSC5601,
    JPS_8859_1,
    JPS_8859_7
};

class TBuffConvISO2022JP : public TBuffBaseConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;
    TJPState JPState = JPS_ASCII;
};

enum TKRState1 { KRSTATE_ASCII, KRSTATE_TWOBYTE };
enum TKRState2 { KRSTATE2_NONE, STATE2_DESIGNATED_KSC5601 };

class TBuffConvISO2022KR : public TBuffBaseConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;
    TKRState1 KRState1 = KRSTATE_ASCII;
    TKRState2 KRState2 = KRSTATE2_NONE;
};

enum TCNState1 { CNSTATE_ASCII, CNSTATE_TWOBYTE };
enum TCNState2 { CNSTATE2_NONE, STATE2_DESIGNATED_GB2312, STATE2_DESIGNATED_CNS11643_1 };
enum TCNState3 { CNSTATE3_NONE, STATE3_DESIGNATED_CNS11643_2 };

class TBuffConvISO2022CN : public TBuffBaseConverter {
public:
    void Assign(const TBuffConverter& Source) override;
    char16_t NextChar() override;
    TCNState1 CNState1 = CNSTATE_ASCII;
    TCNState2 CNState2 = CNSTATE2_NONE;
    TCNState3 CNState3 = CNSTATE3_NONE;
};
