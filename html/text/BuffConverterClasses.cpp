#include "html/text/BuffConverterClasses.h"

#include "html/text/BuffConvMaps.h"
#include "html/text/BuffConvSingleByte.h"
#include "html/text/BuffConvUTF7.h"
#include "html/text/BuffConvUTF8.h"

namespace {
template <class T>
std::unique_ptr<TBuffConverter> make() {
    return std::make_unique<T>();
}
constexpr auto makeBase = make<TBuffConverter>;
}  // namespace

const TBuffConverterClassRec BuffConverterClass{"TBuffConverter", makeBase};
const TBuffConverterClassRec BuffConvUTF7Class{"TBuffConvUTF7", make<TBuffConvUTF7>};
const TBuffConverterClassRec BuffConvUTF8Class{"TBuffConvUTF8", make<TBuffConvUTF8>};
const TBuffConverterClassRec BuffConvSingleByteMapClass{"TBuffConvSingleByteMap", make<TBuffConvSingleByteMap>};
const TBuffConverterClassRec BuffConvHighMapClass{"TBuffConvHighMap", make<TBuffConvHighMap>};
const TBuffConverterClassRec BuffConvIsoMapClass{"TBuffConvIsoMap", make<TBuffConvIsoMap>};
const TBuffConverterClassRec BuffConvShiftJis932Class{"TBuffConvShiftJis932", makeBase};
const TBuffConverterClassRec BuffConvBig5CP950Class{"TBuffConvBig5CP950", makeBase};
const TBuffConverterClassRec BuffConvSingleByteClass{"TBuffConvSingleByte", make<TBuffConvSingleByte>};
const TBuffConverterClassRec BuffConvDoubleByteClass{"TBuffConvDoubleByte", makeBase};
const TBuffConverterClassRec BuffConvIBM936Class{"TBuffConvIBM936", makeBase};
const TBuffConverterClassRec BuffConvHangeul949Class{"TBuffConvHangeul949", makeBase};
const TBuffConverterClassRec BuffConvGB18030Class{"TBuffConvGB18030", makeBase};
const TBuffConverterClassRec BuffConvEUC_JPClass{"TBuffConvEUC_JP", makeBase};
const TBuffConverterClassRec BuffConvISO2022CNClass{"TBuffConvISO2022CN", makeBase};
const TBuffConverterClassRec BuffConvISO2022JPClass{"TBuffConvISO2022JP", makeBase};
const TBuffConverterClassRec BuffConvISO2022KRClass{"TBuffConvISO2022KR", makeBase};
