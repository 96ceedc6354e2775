#include <gtest/gtest.h>

#include "platform/net/NetEncoding.h"
#include "platform/net/StringStream.h"

TEST(Base64, EncodesRfc4648Vectors) {
    const TBase64Encoding b64(0, "");
    const char* cases[][2] = {{"", ""},
                              {"f", "Zg=="},
                              {"fo", "Zm8="},
                              {"foo", "Zm9v"},
                              {"foob", "Zm9vYg=="},
                              {"fooba", "Zm9vYmE="},
                              {"foobar", "Zm9vYmFy"}};
    for (auto& c : cases) {
        EXPECT_EQ(b64.Encode(c[0]), c[1]) << c[0];
        std::vector<uint8_t> out;
        EXPECT_TRUE(TBase64Encoding::Decode(c[1], out));
        EXPECT_EQ(std::string(out.begin(), out.end()), c[0]);
    }
    const unsigned char high[] = {0xFB, 0xFF, 0xBF};
    EXPECT_EQ(b64.EncodeBytesToString(high, 3), "+/+/");
}

TEST(Base64, LineBreaksOnlyWithASeparator) {
    const std::string data(100, 'x');
    const std::string oneLine = TBase64Encoding(80, "").Encode(data);
    EXPECT_EQ(oneLine.find('\n'), std::string::npos);
    EXPECT_EQ(oneLine.size(), 136u);
    const std::string broken = TBase64Encoding(76, "\r\n").Encode(data);
    EXPECT_EQ(broken.substr(76, 2), "\r\n");
    EXPECT_EQ(TBase64Encoding::DecodeStringToBytes(broken).size(), 100u);
}

TEST(Base64, DecodingRefusesWhatIsNotBase64) {
    struct Case {
        const char* text;
        bool ok;
        const char* bytes;
    } cases[] = {
        {"Zm9v\r\nYmFy", true, "foobar"},  // line breaks are skipped
        {"Zm9vYg", true, "foob"},          // padding may be left out
        {"Zm9vY", false, ""},              // a lone sextet
        {"Zm9v!", false, ""},              // outside the alphabet
        {"Zg==Zg==", false, ""},           // data after padding
        {"Zg===", false, ""},
        {"====", false, ""},
        {"Zm9vYmE==", false, ""},  // wrong padding length
        {"-_8", false, ""},        // URL alphabet is not accepted
    };
    for (auto& c : cases) {
        std::vector<uint8_t> out{1, 2};
        EXPECT_EQ(TBase64Encoding::Decode(c.text, out), c.ok) << c.text;
        EXPECT_EQ(std::string(out.begin(), out.end()), c.bytes) << c.text;
    }
}

TEST(StringStream, WritesReadsAndResizes) {
    TStringStream s;
    s.WriteString("{\"a\":\"Привет\"}");
    EXPECT_EQ(s.DataString(), "{\"a\":\"Привет\"}");
    EXPECT_EQ(s.Size(), int64_t(std::string("{\"a\":\"Привет\"}").size()));
    s.SetPosition(2);
    char buf[2];
    EXPECT_EQ(s.Read(buf, 2), 2u);
    EXPECT_EQ(std::string(buf, 2), "a\"");
    s.SetSize(0);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.ReadString(), "");
    s.Clear();
    s.WriteString("x");
    EXPECT_EQ(s.DataString(), "x");
}
