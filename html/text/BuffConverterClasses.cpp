#include "html/text/BuffConverterClasses.h"

namespace {
std::unique_ptr<TBuffConverter> makeBase() { return std::make_unique<TBuffConverter>(); }
}  // namespace

const TBuffConverterClassRec BuffConverterClass{"TBuffConverter", makeBase};
const TBuffConverterClassRec BuffConvUTF7Class{"TBuffConvUTF7", makeBase};
const TBuffConverterClassRec BuffConvUTF8Class{"TBuffConvUTF8", makeBase};
const TBuffConverterClassRec BuffConvSingleByteMapClass{"TBuffConvSingleByteMap", makeBase};
const TBuffConverterClassRec BuffConvHighMapClass{"TBuffConvHighMap", makeBase};
const TBuffConverterClassRec BuffConvIsoMapClass{"TBuffConvIsoMap", makeBase};
const TBuffConverterClassRec BuffConvShiftJis932Class{"TBuffConvShiftJis932", makeBase};
const TBuffConverterClassRec BuffConvBig5CP950Class{"TBuffConvBig5CP950", makeBase};
const TBuffConverterClassRec BuffConvSingleByteClass{"TBuffConvSingleByte", makeBase};
const TBuffConverterClassRec BuffConvDoubleByteClass{"TBuffConvDoubleByte", makeBase};
const TBuffConverterClassRec BuffConvIBM936Class{"TBuffConvIBM936", makeBase};
const TBuffConverterClassRec BuffConvHangeul949Class{"TBuffConvHangeul949", makeBase};
const TBuffConverterClassRec BuffConvGB18030Class{"TBuffConvGB18030", makeBase};
const TBuffConverterClassRec BuffConvEUC_JPClass{"TBuffConvEUC_JP", makeBase};
const TBuffConverterClassRec BuffConvISO2022CNClass{"TBuffConvISO2022CN", makeBase};
const TBuffConverterClassRec BuffConvISO2022JPClass{"TBuffConvISO2022JP", makeBase};
const TBuffConverterClassRec BuffConvISO2022KRClass{"TBuffConvISO2022KR", makeBase};
