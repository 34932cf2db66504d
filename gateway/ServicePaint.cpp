#include "Painting.h"
#include "ServiceImpl.h"

#include "ink/J.h"
#include "platform/Pict.h"

namespace nolby::service {

namespace {

// A reply over the painter's 30,000,000-byte limit: a real picture followed by zeros.
constexpr size_t kHugeReply = 30'000'064;

std::string bytesOf(const std::optional<std::vector<uint8_t>>& encoded) {
    return encoded ? std::string(encoded->begin(), encoded->end()) : std::string();
}

}  // namespace

void GatewayService::Impl::paint(const HttpRequest& req, HttpResponse& res) {
    if (!admitted(req)) return refuse(res, req, 401, "The session token was not accepted.\n");
    std::optional<json> body = parseObject(req.body);
    const uint64_t entry = record(req, body);
    if (resting(res, entry)) return;
    if (!body) return answer(res, entry, 400, "The request body is not a JSON object.\n");

    std::string kind = "png";
    for (const Fault& f : take({"paint-status", "paint-empty", "paint-text", "paint-jpeg", "paint-huge", "paint-delay"})) {
        const J j(f.settings);
        if (f.kind == "paint-delay") {
            if (!sleep(std::clamp(j.num("seconds", 1), 0.0, 3600.0))) return answer(res, entry, 503, "Stopping.\n");
        } else if (f.kind == "paint-status") {
            return answer(res, entry, static_cast<int>(std::clamp<int64_t>(j.int_("status", 500), 200, 599)),
                          j.str("text", "The painter is not available.\n"));
        } else {
            kind = f.kind;
        }
    }
    if (kind == "paint-empty") return answer(res, entry, 200, "", "image/png");
    if (kind == "paint-text") return answer(res, entry, 200, "This is not a picture.\n", "image/png");

    // Waits for a turn to paint (waking when the service stops).
    while (!painters.try_acquire_for(std::chrono::milliseconds(50)))
        if (stopping()) return answer(res, entry, 503, "Stopping.\n");
    std::string encoded;
    {
        struct Turn {
            std::counting_semaphore<64>& painters;
            ~Turn() { painters.release(); }
        } turn{painters};
        const J j(*body);
        std::shared_ptr<const Image> image = painting(j.str("subject", ""), j.str("aspect", "1:1"));
        if (!image) return answer(res, entry, 500, "The painting failed.\n");
        encoded = bytesOf(Pict::encode(*image, kind == "paint-jpeg" ? Pict::jpeg : Pict::png));
    }
    if (kind == "paint-jpeg") return answer(res, entry, 200, encoded, "image/jpeg");
    std::string png = std::move(encoded);
    if (kind == "paint-huge") png.resize(std::max(png.size(), kHugeReply), '\0');
    answer(res, entry, 200, png, "image/png");
}

}  // namespace nolby::service
