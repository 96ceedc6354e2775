#pragma once
// The converter classes the code-page table names. Each record makes a
// converter of its own class; only TBuffConverter itself (UTF-16 and
// ISO 8859-1) hands out the stored units unchanged.
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
