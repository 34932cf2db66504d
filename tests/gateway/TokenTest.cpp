// Session tokens: signed, so a gateway accepts only what a gateway with its secret issued
// and only until the token expires; anything else is one 401, after which the app logs in
// again.
#include "GatewayTestSupport.h"
#include "SessionToken.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

using namespace nolby;
using namespace nolby::testing;
using service::SessionToken;

namespace {

const std::string kSecret(32, 's');
const std::string kInstallation = "0123456789abcdef0123456789abcdef";

// A correct signature over any text, so that only the reading of the text can refuse it.
std::string signedBody(const std::string& body) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), kSecret.data(), static_cast<int>(kSecret.size()), reinterpret_cast<const unsigned char*>(body.data()),
         body.size(), out, &length);
    char hex[3];
    std::string text = body + ".";
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", out[i]);
        text += hex;
    }
    return text;
}

}  // namespace

TEST(GatewayToken, OnlyTheSecretThatSignedATokenMakesItValid) {
    const SessionToken token{kInstallation, 1800000000, 3};
    const std::string text = token.sign(kSecret);
    std::optional<SessionToken> back = SessionToken::verify(text, kSecret);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->installation, token.installation);
    EXPECT_EQ(back->expires, token.expires);
    EXPECT_EQ(back->epoch, token.epoch);

    auto with = [&](size_t at, char c) {
        std::string t = text;
        t[at] = c;
        return t;
    };
    const size_t mac = text.rfind('.') + 1;
    const std::pair<std::string, const char*> refused[] = {
        {text, "another secret"},  // checked below with a secret of its own
        {with(mac, text[mac] == '0' ? '1' : '0'), "signature changed"},
        {with(text.size() - 1, text.back() == '0' ? '1' : '0'), "signature's last digit changed"},
        {with(7, text[7] == '0' ? '1' : '0'), "installation changed"},
        {with(40, '7'), "expiry changed"},
        {std::string(text).replace(text.find(".3."), 3, ".4."), "epoch changed"},
        {text.substr(0, mac) + std::string(64, 'A'), "signature in capitals"},
        {text + ".0", "a part too many"},
        {text.substr(0, text.size() - 1), "signature cut"},
        {"nolby-Yd3JQ_3ZpZx0Wk2v3nG9Qm1s8aVv5tQp", "a token of the gateway's first form"},
        {"", "empty"},
        {text + std::string(300, '0'), "too long"},
    };
    EXPECT_FALSE(SessionToken::verify(text, std::string(32, 't')));
    for (size_t i = 1; i < std::size(refused); ++i)
        EXPECT_FALSE(SessionToken::verify(refused[i].first, kSecret)) << refused[i].second;
    // Counts are written one way only, even under a signature that matches.
    EXPECT_TRUE(SessionToken::verify(signedBody("nolby1." + kInstallation + ".1.3"), kSecret));
    for (const std::string& body : {"nolby1." + kInstallation + ".01.3", "nolby1." + kInstallation + ".-1.3",
                                    "nolby1." + kInstallation + ".1.3 ", "nolby1." + kInstallation.substr(1) + ".1.3",
                                    "nolby1." + kInstallation + ".1.99999999999999999999", "nolby2." + kInstallation + ".1.3"})
        EXPECT_FALSE(SessionToken::verify(signedBody(body), kSecret)) << body;
}

TEST(GatewayToken, AnExpiredOrForeignTokenIsRefusedOnceAndTheAppLogsInAgain) {
    auto now = std::make_shared<std::atomic<int64_t>>(1773482400);  // 2026-03-14, 10:00 UTC
    service::Options options = quiet();
    options.secret = kSecret;
    options.tokenLifetime = 3600;
    options.now = [now] { return std::chrono::system_clock::from_time_t(*now); };
    Served served(options);
    Client client(served);
    ASSERT_EQ(client.send().status, 200);
    const std::string first = client.store->read().value_or("");
    *now += 3599;
    ASSERT_EQ(client.send().status, 200);
    EXPECT_EQ(client.store->read(), first);  // still good
    *now += 1;
    ASSERT_EQ(client.send().status, 200);  // expired: refused, renewed, sent again
    const std::string second = client.store->read().value_or("");
    EXPECT_NE(second, first);
    EXPECT_EQ(served.logOf("/v1/attest").size(), 2u);

    // A gateway with another secret knows none of them.
    service::Options other = options;
    other.secret = std::string(32, 'o');
    Served elsewhere(other);
    const Http::Headers bearer = {{"authorization", "Bearer " + second}};
    EXPECT_EQ(post(elsewhere.base(), "v1/messages", {{"messages", json::array()}}, bearer).status, 401);
    EXPECT_EQ(post(served.base(), "_control/fault", {{"kind", "revoke"}, {"token", "nolby1.made-up"}}).status, 400);
}
