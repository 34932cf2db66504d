#include "ink/Mag.h"
#include "ink/Rng.h"

#include <gtest/gtest.h>

using namespace nolby;

TEST(Rng, SeedingAddsTheIncrementOnce) {
    Rng zero(0);
    EXPECT_EQ(zero.state, Rng::G);
    // The first draw mixes 2G: the second output of a plain SplitMix64 started at 0.
    EXPECT_EQ(zero.next(), 0x6e789e6aa1b965f4ull);
    EXPECT_EQ(zero.next(), 0x06c45d188009454full);
    EXPECT_EQ(zero.next(), 0xf88bb8a8724c81ecull);

    Rng grain(23);
    EXPECT_EQ(grain.next(), 0x993810e13b72e5f7ull);
    // Seed arithmetic wraps.
    Rng top(UINT64_MAX);
    EXPECT_EQ(top.next(), 0xe99ff867dbf682c9ull);
}

TEST(Rng, CopiesReplayAndUnitsStayBelowOne) {
    Rng a(42), b(42);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(a.next(), b.next());
    Rng c = a;
    EXPECT_EQ(c.unit(), a.unit());

    Rng zero(0);
    EXPECT_DOUBLE_EQ(zero.unit(), static_cast<double>(0x6e789e6aa1b965f4ull >> 11) * 0x1p-53);
    Rng r(7);
    for (int i = 0; i < 10000; ++i) {
        double u = r.unit();
        ASSERT_GE(u, 0);
        ASSERT_LT(u, 1);
    }
}

TEST(Rng, JitterIsRoundedInTheDocumentedOrder) {
    Rng a(5), b(5);
    double u = b.unit();
    EXPECT_EQ(a.jitter(0.7), u * 2 * 0.7 - 0.7);
    Rng c(5);
    EXPECT_EQ(c.range(2, 5), 2 + 3 * u);
}

TEST(StableHash, IsFnv1aOfTheUtf8Bytes) {
    EXPECT_EQ(stableHash(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(stableHash("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(stableHash("hello"), 0xa430d84680aabd0bull);
    // Composed and decomposed "café" are different bytes, so different hashes.
    EXPECT_EQ(stableHash("caf\xC3\xA9"), 0x48e8823acfa40d89ull);
    EXPECT_EQ(stableHash("cafe\xCC\x81"), 0x14ecc3ece0723bb7ull);
    static_assert(stableHash("") == 0xcbf29ce484222325ull);
}

TEST(Mag, TagPacksTheFirstLetterHighest) {
    EXPECT_EQ(Mag::tag("wght"), 0x77676874u);
    EXPECT_EQ(Mag::tag("opsz"), 0x6F70737Au);
    EXPECT_EQ(Mag::tag("abc"), 0x00616263u);
    EXPECT_EQ(Mag::tag("abcde"), 0x62636465u);  // the first letter is shifted out
    EXPECT_EQ(Mag::tag(""), 0u);
}
