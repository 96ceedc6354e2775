#include <gtest/gtest.h>

#include "platform/net/Json.h"

TEST(Json, ValuesKeepTheirTextAsReceived) {
    auto v = TJSONObject::ParseJSONValue(
        R"({"s":"Привет \u0041","i":-12,"u":18446744073709551615,"big":123456789012345678901234,)"
        R"("f":1.50,"t":true,"n":null,"o":{},"a":[1]})");
    ASSERT_TRUE(v);
    const TJSONObject* o = asJSONObject(v.get());
    ASSERT_TRUE(o);
    EXPECT_EQ(o->Count(), 9u);
    const std::pair<const char*, const char*> cases[] = {{"s", "Привет A"},
                                                         {"i", "-12"},
                                                         {"u", "18446744073709551615"},
                                                         {"big", "123456789012345678901234"},
                                                         {"f", "1.50"},
                                                         {"t", "true"},
                                                         {"n", "null"},
                                                         {"o", ""},
                                                         {"a", ""}};
    for (auto& [name, text] : cases) {
        ASSERT_TRUE(o->GetValue(name)) << name;
        EXPECT_EQ(o->GetValue(name)->Value(), text) << name;
    }
    EXPECT_EQ(o->GetValue("missing"), nullptr);
    EXPECT_EQ(v->ToJSON(), R"({"s":"Привет A","i":-12,"u":18446744073709551615,"big":123456789012345678901234,)"
                           R"("f":1.50,"t":true,"n":null,"o":{},"a":[1]})");
}

TEST(Json, RefusesTextsThatAreNotOneValue) {
    for (const char* text : {"", "   ", "{", "{\"a\":1,}", "{\"a\":1} x", "[1,2", "nul", "{'a':1}", "\"\xff\"", "1e400",
                             "{\"a\":1}{\"b\":2}"})
        EXPECT_FALSE(TJSONObject::ParseJSONValue(text)) << text;
    EXPECT_TRUE(TJSONObject::ParseJSONValue(" {\"a\":1}\r\n"));
    EXPECT_TRUE(TJSONObject::ParseJSONValue("[]"));
    EXPECT_TRUE(TJSONObject::ParseJSONValue("17"));
}

TEST(Json, NestingDepthIsBounded) {
    const int limit = TJSONValue::kMaxDepth;
    std::string ok = std::string(limit, '[') + std::string(limit, ']');
    EXPECT_TRUE(TJSONObject::ParseJSONValue(ok));
    std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(TJSONObject::ParseJSONValue(deep));
}

TEST(Json, FindValueFollowsDottedPaths) {
    auto v = TJSONObject::ParseJSONValue(
        R"({"result":{"code":"0","message":"ok"},"x509object":{"type":2},"list":[{"a":1},{"a":2}],)"
        R"("dot.name":{"k":"v"},"dup":1,"dup":2})");
    ASSERT_TRUE(v);
    const std::pair<const char*, const char*> found[] = {{"result.code", "0"},      {"x509object.type", "2"},
                                                         {"list[1].a", "2"},        {"['dot.name'].k", "v"},
                                                         {"[\"dot.name\"].k", "v"}, {"dup", "1"}};
    for (auto& [path, text] : found) {
        const TJSONValue* r = v->FindValue(path);
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->Value(), text) << path;
    }
    EXPECT_EQ(v->FindValue(""), v.get());
    for (const char* path : {"result.missing", "result.code.deeper", "list[2].a", "list.a", "result[0]", "result..code",
                             ".result", "result.", "list[x]", "list[1", "['dot.name'"})
        EXPECT_EQ(v->FindValue(path), nullptr) << path;
}
