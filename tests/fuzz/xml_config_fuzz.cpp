// Any input either fails with an XML code or gives a tree that writes out and
// reads back to the same text; the configuration readers take any tree.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/P12Template.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/config/XmlHesh.h"
#include "platform/core/config/XmlNode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TCXMLNodeParser p(true);
    p.setMacroMode(0);
    const KResult r = p.loadText(reinterpret_cast<const char*>(data), size);
    if (r != 0) {
        if (r < 0xC08000A0u || r > 0xC08000A5u) std::abort();
        return 0;
    }
    const TCString text = p.toText();
    TCXMLNodeParser q(true);
    q.setMacroMode(0);
    if (q.loadText(text.c_str(), text.length()) != 0 || q.toText() != text) std::abort();

    TCXMLNode* root = p.getRoot();
    for (int i = 0; i < root->nodesCount(); ++i) {
        TCXProfileDescriptor d;
        initProfile(&d, root->at(i));
    }
    TZrXP12Template t;
    t.assign(root, "fuzz");
    addXMLFBDescriptors(root);
    clearFBDescriptors();
    setHesh(root, "cpkix");
    if (!verifyHesh(root, "cpkix", 0)) std::abort();
    return 0;
}
