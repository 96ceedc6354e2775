#pragma once
// The default configuration's base profiles (app/data/xcfg), by id.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/config/Profiles.h"
#include "platform/core/config/XmlNode.h"

namespace zrxtest {

class DefaultProfiles {
public:
    DefaultProfiles() {
        TCXMLNodeParser parser;
        const std::string file = std::string(ZRX_SOURCE_DIR) + "/app/data/xcfg/ZrX509_ZERUvorido.xcfg";
        EXPECT_EQ(0u, parser.load(file.c_str()));
        const TCXMLNode* list = parser.getRoot() ? parser.getRoot()->findNode("core\\profiles") : nullptr;
        for (int i = 0; list && i < list->nodesCount(); ++i) {
            auto p = std::make_unique<TCXProfileDescriptor>();
            if (initProfile(p.get(), list->at(i)) == 1) profiles_.push_back(std::move(p));
        }
    }
    TCXProfileDescriptor* byId(int id) {
        for (auto& p : profiles_)
            if (p->id == id) return p.get();
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<TCXProfileDescriptor>> profiles_;
};

}  // namespace zrxtest
