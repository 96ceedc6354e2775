#pragma once
// The converter classes the code-page table names. UTF-8, UTF-7 and the
// single-byte family make converters of their own; the multi-byte classes
// (Shift-JIS, GBK, Big5, EUC, GB18030, ISO-2022) still make a plain
// TBuffConverter (stored units unchanged) until their decoders are written,
// each joining by giving its record a Make of its own.
#include "html/text/BuffConverter.h"

extern const TBuffConverterClassRec BuffConverterClass;
extern const TBuffConverterClassRec BuffConvUTF7Class;
extern const TBuffConverterClassRec BuffConvUTF8Class;
extern const TBuffConverterClassRec BuffConvSingleByteMapClass;
extern const TBuffConverterClassRec BuffConvHighMapClass;
extern const TBuffConverterClassRec BuffConvIsoMapClass;
extern const TBuffConverterClassRec BuffConvShiftJis932Class;
extern const TBuffConverterClassRec BuffConvBig5CP950Class;
extern const TBuffConverterClassRec BuffConvSingleByteClass;
extern const TBuffConverterClassRec BuffConvDoubleByteClass;
extern const TBuffConverterClassRec BuffConvIBM936Class;
extern const TBuffConverterClassRec BuffConvHangeul949Class;
extern const TBuffConverterClassRec BuffConvGB18030Class;
extern const TBuffConverterClassRec BuffConvEUC_JPClass;
extern const TBuffConverterClassRec BuffConvISO2022CNClass;
extern const TBuffConverterClassRec BuffConvISO2022JPClass;
extern const TBuffConverterClassRec BuffConvISO2022KRClass;
