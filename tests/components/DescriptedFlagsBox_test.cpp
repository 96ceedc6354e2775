#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "components/CDescriptedFlagsBox.h"
#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/XmlNode.h"
#include "platform/framework/Forms.h"

#include "CompoundFixture.h"

namespace {

struct DescriptedBoxTest : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override {
        EnsureApplication();
        clearFBDescriptors();
        const char* xml =
            "<flagDescriptors>"
            "<keyUsage type='set'>"
            "<item name='digitalSignature' caption='Цифровая подпись' val='0x80'/>"
            "<item name='keyAgreement' caption='Согласование ключей' val='0x8'/>"
            "</keyUsage>"
            "<usage2 type='flags'>"
            "<item caption='Подпись' val='0x80'/>"
            "<item caption='Шифрование' val='0x20'/>"
            "</usage2>"
            "</flagDescriptors>";
        TCXMLNodeParser p(true);
        ASSERT_EQ(p.loadText(xml, strlen(xml)), 0u);
        std::unique_ptr<TCXMLNode> root(p.detachRoot());
        ASSERT_EQ(addXMLFBDescriptors(root.get()), 2);
        form = CreateComponent<TForm>(Application);
    }
    void TearDown() override {
        form->Free();
        clearFBDescriptors();
    }
    TCDescriptedFlagsBox* box(const char* name) {
        auto* b = new TCDescriptedFlagsBox(form);
        b->SetParent(form);
        b->SetName(name);
        return b;
    }
};

TEST_F(DescriptedBoxTest, ItemsFollowTheName) {
    auto* b = box("keyUsage");
    ASSERT_EQ(b->Items()->Count(), 2);
    EXPECT_EQ(b->List()->ItemByValue(0x80)->Caption(), "Цифровая подпись");
    // Another descriptor renames the items it shares by value and adds the rest.
    b->SetName("usage2");
    ASSERT_EQ(b->Items()->Count(), 3);
    EXPECT_EQ(b->List()->ItemByValue(0x80)->Caption(), "Подпись");
    EXPECT_EQ(b->List()->ItemByValue(0x8)->Caption(), "Согласование ключей");
    b->SetName("keyUsage");
    EXPECT_EQ(b->Items()->Count(), 3);

    auto* none = box("unknownField");
    EXPECT_EQ(none->Items()->Count(), 0);
    EXPECT_EQ(none->Name(), "unknownField");
}

TEST_F(DescriptedBoxTest, TextValues) {
    auto* b = box("keyUsage");
    struct {
        bool convert;
        const char* text;
        bool ok;
        uint64_t value;
        const char* back;
    } cases[] = {
        {false, "136", true, 0x88, "0x88"},
        {false, "0x80", true, 0x80, "0x80"},
        {false, "$8", true, 0x8, "0x8"},
        {false, "88", true, 0x8, "0x8"},   // 0x58: only the bits of items stay
        {false, "8F", false, 0x8, "0x8"},  // unreadable: the value stays
        {false, "", true, 0, ""},
        {true, "digitalSignature,keyAgreement", true, 0x88, "digitalSignature,keyAgreement"},
        {true, "keyAgreement", true, 0x8, "keyAgreement"},
        {true, "bogus", false, 0x8, "keyAgreement"},
        {true, "", true, 0, ""},
    };
    for (auto& c : cases) {
        b->SetConvertValue(c.convert);
        EXPECT_EQ(b->setTextValue(c.text), c.ok) << c.text;
        EXPECT_EQ(b->GetChecked(), c.value) << c.text;
        EXPECT_EQ(b->getTextValue(), c.back) << c.text;
    }
}

}  // namespace
