#include "platform/Oklab.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

TEST(Oklab, MixesInThePerceptualSpace) {
    // White and black are L 1 and 0; their perceptual middle is mid grey, lighter than
    // sRGB's arithmetic middle would make it in linear light.
    const oklab::Lab white = oklab::fromColor({1, 1, 1, 1});
    EXPECT_NEAR(white.L, 1, 1e-6);
    EXPECT_NEAR(white.a, 0, 1e-6);
    EXPECT_NEAR(white.b, 0, 1e-6);
    const Color grey = oklab::mix({0, 0, 0, 1}, {1, 1, 1, 1}, 0.5);
    EXPECT_NEAR(grey.r, 0.3885, 0.002);  // Oklab L 0.5 is sRGB ≈ 99/255
    EXPECT_NEAR(grey.r, grey.g, 1e-6);
    // The ends are the colours themselves, and a round trip keeps a colour.
    const Color cobalt = Color::hex(0x1c4cd6), cyan = Color::hex(0x2ecdf0);
    for (Color c : {oklab::mix(cobalt, cyan, 0), oklab::toColor(oklab::fromColor(cobalt))}) {
        EXPECT_NEAR(c.r, cobalt.r, 1e-6);
        EXPECT_NEAR(c.g, cobalt.g, 1e-6);
        EXPECT_NEAR(c.b, cobalt.b, 1e-6);
    }
    // Half-and-half is symmetric; alpha mixes linearly; a NaN fraction counts as 0.
    const Color ab = oklab::mix(cobalt, cyan, 0.5), ba = oklab::mix(cyan, cobalt, 0.5);
    EXPECT_NEAR(ab.g, ba.g, 1e-9);
    EXPECT_NEAR(oklab::mix({0, 0, 0, 0}, {0, 0, 0, 1}, 0.25).a, 0.25, 1e-12);
    EXPECT_EQ(oklab::mix(cobalt, cyan, std::nan("")).b, oklab::mix(cobalt, cyan, 0).b);
}
