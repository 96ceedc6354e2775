#pragma once
// The converter classes the code-page table names. Every class whose decoder
// is not written yet makes a plain TBuffConverter (stored units unchanged);
// a decoder joins by giving its record a Make of its own.
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
