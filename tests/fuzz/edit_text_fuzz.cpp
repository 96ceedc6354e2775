// Input: an edit mask, a line feed, then text put under it. The whole input
// also goes through the object-identifier check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/OidEdit.h"
#include "platform/framework/Mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string in(reinterpret_cast<const char*>(data), size);
    size_t nl = in.find('\n');
    std::string mask = in.substr(0, nl == std::string::npos ? in.size() : nl);
    std::string value = nl == std::string::npos ? std::string() : in.substr(nl + 1);
    MaskToQtInputMask(mask);
    std::string edit = MaskEditText(mask, value);
    TEditMaskInfo info = TEditMaskInfo::Parse(mask);
    // The edit text has exactly one character per mask position.
    if (!info.empty() && size_t(Utf8Length(edit)) != info.positions.size()) std::abort();
    MaskTextOf(mask, edit);
    int pos = -1;
    MaskValidate(mask, edit, pos);
    MaskValidate(mask, value, pos);
    MaskIsBlank(mask, value);
    // A formatted text formats to itself.
    if (!info.empty() && MaskEditText(mask, edit) != edit) std::abort();
    isValidOidText(in);
    return 0;
}
