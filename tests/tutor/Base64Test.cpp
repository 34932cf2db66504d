#include "tutor/Base64.h"
#include "tutor/Sha256.h"

#include <gtest/gtest.h>

using namespace nolby;

TEST(Base64, EncodesAndDecodesTheStandardVectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(Base64::encode(bytes), text);
        EXPECT_EQ(Base64::decode(text), bytes) << text;
    }
}

TEST(Base64, RefusesAnythingButExactBase64) {
    for (const char* bad : {"Zg", "Zg=", "Zm9v\n", "Zm 9v", " Zm9v", "Zm9v=", "Z===", "====", "Zg==Zg==", "Zm-v", "Zm_v",
                            "Z=g="})
        EXPECT_EQ(Base64::decode(bad), std::nullopt) << bad;
}

TEST(Sha256, DigestsBytes) {
    auto hex = [](const std::string& d) {
        std::string out;
        for (unsigned char c : d) out += "0123456789abcdef"[c >> 4], out += "0123456789abcdef"[c & 15];
        return out;
    };
    EXPECT_EQ(hex(sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256("").size(), 32u);
}
