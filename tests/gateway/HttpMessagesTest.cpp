// Requests as the gateway's connection layer reads them, byte by byte where bytes may come
// in any pieces.
#include "HttpMessages.h"

#include <gtest/gtest.h>

using namespace nolby::service;

TEST(HttpMessages, HeadsParseOrNameTheStatusThatRefusesThem) {
    struct Case {
        std::string head;
        int status;  // 0: parses
    };
    const Case cases[] = {
        {"POST /v1/messages HTTP/1.1\r\nHost: 127.0.0.1:8787\r\n\r\n", 0},
        {"\r\nPOST /v1/messages HTTP/1.1\nHost: x\n\n", 0},  // a stray blank line first, bare LFs
        {"GET /_control/log?all=1 HTTP/1.0\r\n\r\n", 0},
        {"POST /v1/messages HTTP/2.0\r\n\r\n", 505},
        {"POST /v1/messages\r\n\r\n", 400},
        {"POST  /v1/messages HTTP/1.1\r\n\r\n", 400},
        {"POST http://127.0.0.1/v1/messages HTTP/1.1\r\n\r\n", 400},
        {"POST /v1/messages HTTP/1.1\r\nHost 127.0.0.1\r\n\r\n", 400},
        {"POST /v1/messages HTTP/1.1\r\nHost: a\r\n folded\r\n\r\n", 400},
        {"POST /v1/messages HTTP/1.1\r\nBad Name: x\r\n\r\n", 400},
        {"POST /v1/messages HTTP/1.1\r\nX: a\x01" "b\r\n\r\n", 400},
        {"", 400},
    };
    for (const Case& c : cases) {
        std::variant<HttpRequest, int> parsed = parseHead(c.head);
        if (c.status == 0) {
            ASSERT_TRUE(std::holds_alternative<HttpRequest>(parsed)) << c.head;
        } else {
            ASSERT_TRUE(std::holds_alternative<int>(parsed)) << c.head;
            EXPECT_EQ(std::get<int>(parsed), c.status) << c.head;
        }
    }
    std::string many = "POST / HTTP/1.1\r\n";
    for (int i = 0; i < 101; ++i) many += "X-" + std::to_string(i) + ": 1\r\n";
    EXPECT_EQ(std::get<int>(parseHead(many + "\r\n")), 431);

    const HttpRequest r = std::get<HttpRequest>(parseHead("GET /_control/log?all=1 HTTP/1.0\r\nHOST:  a:1 \r\nX-Two: 1\r\nx-two: 2\r\n\r\n"));
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.path, "/_control/log");
    EXPECT_EQ(r.target, "/_control/log?all=1");
    EXPECT_EQ(r.version, "HTTP/1.0");
    EXPECT_EQ(r.header("Host"), "a:1");
    EXPECT_EQ(r.header("x-two"), "1");
    EXPECT_EQ(r.count("X-TWO"), 2u);
}

TEST(HttpMessages, AHeadEndsAtItsFirstEmptyLineWhereverTheBytesBreak) {
    const std::string bytes = "\r\nPOST / HTTP/1.1\r\nHost: a\r\n\r\nbody";
    const size_t end = bytes.find("body");
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        const std::optional<size_t> found = headEnd(std::string_view(bytes).substr(0, cut));
        EXPECT_EQ(found, cut < end ? std::nullopt : std::optional<size_t>(end)) << cut;
        // Searching on from 3 bytes before where the last search stopped finds it too.
        EXPECT_EQ(headEnd(bytes, cut >= 3 && cut < end ? cut - 3 : 0), end) << cut;
    }
    EXPECT_EQ(headEnd("GET / HTTP/1.1\n\nrest"), 16u);
    EXPECT_FALSE(headEnd("\r\n\r\n\n"));  // blank lines alone are no head
}

TEST(HttpMessages, BodiesAreFramedByOneLengthOrByChunks) {
    struct Case {
        std::string fields;
        int status;  // 0: framed
        bool chunked;
        size_t length;
    };
    const Case cases[] = {
        {"", 0, false, 0},  // a bodiless POST: an empty body
        {"Content-Length: 12\r\n", 0, false, 12},
        {"Content-Length: 12\r\nContent-Length: 12\r\n", 0, false, 12},
        {"Content-Length: 12\r\nContent-Length: 13\r\n", 400, false, 0},
        {"Content-Length: -1\r\n", 400, false, 0},
        {"Content-Length: 1e3\r\n", 400, false, 0},
        {"Content-Length: 99999999999999999999\r\n", 400, false, 0},
        {"Transfer-Encoding: chunked\r\n", 0, true, 0},
        {"Transfer-Encoding: Chunked\r\n", 0, true, 0},
        {"Transfer-Encoding: gzip, chunked\r\n", 501, false, 0},
        {"Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", 400, false, 0},
    };
    for (const Case& c : cases) {
        std::variant<Framing, int> f = framing(std::get<HttpRequest>(parseHead("POST / HTTP/1.1\r\n" + c.fields + "\r\n")));
        if (c.status) {
            EXPECT_EQ(std::get<int>(f), c.status) << c.fields;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Framing>(f)) << c.fields;
        EXPECT_EQ(std::get<Framing>(f).chunked, c.chunked) << c.fields;
        EXPECT_EQ(std::get<Framing>(f).length, c.length) << c.fields;
    }
}

TEST(HttpMessages, ChunksDecodeTheSameInAnyPiecesAndStopAtTheLimit) {
    const std::string wire = "5;name=value\r\nhello\r\n1A\r\n, and the rest of the body\r\n0\r\nTrailer: x\r\n\r\nNEXT";
    const std::string body = "hello, and the rest of the body";
    for (size_t piece = 1; piece <= wire.size(); ++piece) {
        ChunkedBody decoder;
        std::string out;
        std::string in;
        ChunkedBody::State state = ChunkedBody::State::more;
        size_t fed = 0;
        while (state == ChunkedBody::State::more && fed < wire.size()) {
            in += wire.substr(fed, piece);
            fed += piece;
            size_t at = 0;
            state = decoder.feed(in, at, out, 1000);
            in.erase(0, at);
        }
        EXPECT_EQ(state, ChunkedBody::State::done) << piece;
        EXPECT_EQ(out, body) << piece;
        EXPECT_EQ(in + wire.substr(std::min(fed, wire.size())), "NEXT") << piece;  // the next request is left alone
    }
    const std::pair<std::string, ChunkedBody::State> ends[] = {
        {"20\r\n", ChunkedBody::State::tooLarge},  // 32 bytes announced, 31 allowed
        {"zz\r\n", ChunkedBody::State::bad},
        {"\r\n", ChunkedBody::State::bad},
        {"3\r\nabcX\r\n", ChunkedBody::State::bad},  // data longer than its size
        {"1" + std::string(2000, ' ') + "\r\n", ChunkedBody::State::bad},
    };
    for (const auto& [bytes, state] : ends) {
        ChunkedBody decoder;
        std::string out;
        size_t at = 0;
        EXPECT_EQ(decoder.feed(bytes, at, out, 31), state) << bytes.substr(0, 12);
    }
}
