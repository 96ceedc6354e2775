#include "html/text/BuffConverterClasses.h"

#include "html/text/BuffConvMaps.h"
#include "html/text/BuffConvMultiByte.h"
#include "html/text/BuffConvSingleByte.h"
#include "html/text/BuffConvUTF7.h"
#include "html/text/BuffConvUTF8.h"

namespace {
template <class T> std::unique_ptr<TBuffConverter> make() { return std::make_unique<T>(); }
constexpr auto makeBase = make<TBuffConverter>;
}  // namespace

const TBuffConverterClassRec BuffConverterClass{"TBuffConverter", makeBase};
const TBuffConverterClassRec BuffConvUTF7Class{"TBuffConvUTF7", make<TBuffConvUTF7>};
const TBuffConverterClassRec BuffConvUTF8Class{"TBuffConvUTF8", make<TBuffConvUTF8>};
const TBuffConverterClassRec BuffConvSingleByteMapClass{"TBuffConvSingleByteMap", make<TBuffConvSingleByteMap>};
const TBuffConverterClassRec BuffConvHighMapClass{"TBuffConvHighMap", make<TBuffConvHighMap>};
const TBuffConverterClassRec BuffConvIsoMapClass{"TBuffConvIsoMap", make<TBuffConvIsoMap>};
const TBuffConverterClassRec BuffConvShiftJis932Class{"TBuffConvShiftJis932", make<TBuffConvShiftJis932>};
const TBuffConverterClassRec BuffConvBig5CP950Class{"TBuffConvBig5CP950", make<TBuffConvBig5CP950>};
const TBuffConverterClassRec BuffConvSingleByteClass{"TBuffConvSingleByte", make<TBuffConvSingleByte>};
const TBuffConverterClassRec BuffConvDoubleByteClass{"TBuffConvDoubleByte", make<TBuffConvDoubleByte>};
const TBuffConverterClassRec BuffConvIBM936Class{"TBuffConvIBM936", make<TBuffConvIBM936>};
const TBuffConverterClassRec BuffConvHangeul949Class{"TBuffConvHangeul949", make<TBuffConvHangeul949>};
const TBuffConverterClassRec BuffConvGB18030Class{"TBuffConvGB18030", make<TBuffConvGB18030>};
const TBuffConverterClassRec BuffConvEUC_JPClass{"TBuffConvEUC_JP", make<TBuffConvEUC_JP>};
const TBuffConverterClassRec BuffConvISO2022CNClass{"TBuffConvISO2022CN", make<TBuffConvISO2022CN>};
const TBuffConverterClassRec BuffConvISO2022JPClass{"TBuffConvISO2022JP", make<TBuffConvISO2022JP>};
const TBuffConverterClassRec BuffConvISO2022KRClass{"TBuffConvISO2022KR", make<TBuffConvISO2022KR>};
