#pragma once
// The client of the gateway's paint endpoint: one request per picture, answered with the
// picture's bytes or nothing. The cover press paints covers through it (kind "cover") and the
// tutor paints the sketches of its replies (kind "painting"). Also two small helpers for the
// pictures it brings back: the aspect label nearest to a size, and a pass that pushes a
// painting's near-white paper to pure white.

#include "press/Press.h"
#include "tutor/Gateway.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nolby {

class Painter {
public:
    using Bytes = std::vector<uint8_t>;
    // The picture, or nothing when the painting failed. Called once, on the main thread.
    using Reply = std::function<void(std::optional<Bytes> picture)>;

    static constexpr const char* path = "v1/paint";
    static constexpr double timeout = 150;  // idle seconds
    // A reply longer than this is no picture the program keeps: it gives none.
    static constexpr size_t maxReply = 30'000'000;
    // Characters (as the user sees them) sent of the subject and of the palette phrase.
    static constexpr size_t subjectMax = 600, inksMax = 200;

    // The request body: kind, the subject and the palette cut to their lengths, the aspect;
    // no "inks" key at all without a palette.
    static nlohmann::json body(const std::string& kind, const std::string& subject, const std::string& aspect,
                               const std::optional<std::string>& inks);

    // Sends one paint request. Any failure (the gateway's, a status other than 200, a body
    // that breaks off, is empty or is longer than maxReply) answers nothing. Cancelling the
    // returned call silences the reply.
    static std::shared_ptr<Gateway::Call> fromPress(Gateway& gateway, const std::string& kind,
                                                    const std::string& subject, const std::string& aspect,
                                                    const std::optional<std::string>& inks, Reply reply);
    // The paint call of the cover press, over this gateway.
    static Press::Paint forPress(std::shared_ptr<Gateway> gateway);

    // The label of "1:1", "4:3", "3:4", "16:9", "3:2", "2:3" whose ratio is nearest to w / h
    // (by the logarithm of their quotient; a height below 1 counts as 1; the earlier wins a
    // tie).
    static std::string aspect(double w, double h);

    // The painting with its near-white pixels whitened (a pixel whose darkest channel is
    // above 236 becomes white, one above 200 moves towards white by the square of how far
    // above 200 it is), as a PNG; the input unchanged when it is not a picture. Works on the
    // colour of each pixel, not on its premultiplied value; alpha never changes.
    static Bytes whitened(std::span<const uint8_t> data);
};

}  // namespace nolby
