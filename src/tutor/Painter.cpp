#include "tutor/Painter.h"

#include "platform/Pict.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nolby {

nlohmann::json Painter::body(const std::string& kind, const std::string& subject, const std::string& aspect,
                             const std::optional<std::string>& inks) {
    nlohmann::json body = {{"kind", kind}, {"subject", unicode::prefix(subject, subjectMax)}, {"aspect", aspect}};
    if (inks) body["inks"] = unicode::prefix(*inks, inksMax);
    return body;
}

namespace {

// One paint request: the body gathered up to the limit, and the one reply.
class PaintCall final : public Gateway::Call, public std::enable_shared_from_this<PaintCall> {
public:
    explicit PaintCall(Painter::Reply reply) : reply_(std::move(reply)) {}

    void start(Gateway& gateway, nlohmann::json body) {
        auto self = shared_from_this();
        Gateway::Reader reader;
        reader.onResponse = [self](int status) {
            // Another status is a failure whose body is not read.
            if (status != 200) self->stop();
        };
        reader.onBody = [self](std::string_view bytes) { self->piece(bytes); };
        reader.onEnd = [self](std::exception_ptr error) {
            if (error || self->bytes_.empty()) return self->answer(std::nullopt);
            self->answer(std::move(self->bytes_));
        };
        inner_ = gateway.send(Painter::path, body, {}, Painter::timeout, std::move(reader));
    }

    void cancel() override {
        cancelled_ = true;
        reply_ = {};
        if (auto inner = std::exchange(inner_, {}).lock()) inner->cancel();
    }
    bool cancelled() const override { return cancelled_; }

private:
    void piece(std::string_view bytes) {
        if (!reply_) return;
        // A picture longer than the limit would only be its cut-off beginning.
        if (bytes.size() > Painter::maxReply - bytes_.size()) return stop();
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }

    void stop() {
        if (auto inner = std::exchange(inner_, {}).lock()) inner->cancel();
        answer(std::nullopt);
    }

    void answer(std::optional<Painter::Bytes> picture) {
        inner_.reset();
        auto reply = std::move(reply_);
        reply_ = {};
        bytes_ = {};
        if (reply) reply(std::move(picture));
    }

    Painter::Reply reply_;
    Painter::Bytes bytes_;
    // Weak: the gateway's call keeps itself alive until it ends, and its reader holds this
    // one; holding it back would make a ring that outlives a call that never ends.
    std::weak_ptr<Gateway::Call> inner_;
    bool cancelled_ = false;
};

}  // namespace

std::shared_ptr<Gateway::Call> Painter::fromPress(Gateway& gateway, const std::string& kind, const std::string& subject,
                                                  const std::string& aspect, const std::optional<std::string>& inks,
                                                  Reply reply) {
    auto call = std::make_shared<PaintCall>(std::move(reply));
    call->start(gateway, body(kind, subject, aspect, inks));
    return call;
}

Press::Paint Painter::forPress(std::shared_ptr<Gateway> gateway) {
    return [gateway](const std::string& kind, const std::string& subject, const std::string& aspect,
                     const std::optional<std::string>& inks, Press::Reply reply) {
        fromPress(*gateway, kind, subject, aspect, inks, [reply](std::optional<Bytes> picture) {
            if (reply) reply(std::move(picture));
        });
    };
}

std::string Painter::aspect(double w, double h) {
    struct Label {
        const char* name;
        double ratio;
    };
    static const Label labels[] = {{"1:1", 1}, {"4:3", 4.0 / 3}, {"3:4", 0.75}, {"16:9", 16.0 / 9}, {"3:2", 1.5}, {"2:3", 2.0 / 3}};
    const double r = w / std::max(h, 1.0);
    const char* best = labels[0].name;
    double distance = std::fabs(std::log(labels[0].ratio / r));
    for (const Label& l : labels) {
        const double d = std::fabs(std::log(l.ratio / r));
        // Not a number (a width that is not one) is never nearer: the first label stays.
        if (d < distance) {
            distance = d;
            best = l.name;
        }
    }
    return best;
}

namespace {

// A channel un-premultiplied by its alpha (rounded to the nearest value), and back.
inline uint32_t straight(uint32_t c, uint32_t a) { return std::min<uint32_t>((c * 255 + a / 2) / a, 255); }
inline uint32_t premultiplied(uint32_t c, uint32_t a) { return (c * a + 127) / 255; }

}  // namespace

Painter::Bytes Painter::whitened(std::span<const uint8_t> data) {
    const Bytes unchanged(data.begin(), data.end());
    std::shared_ptr<const Image> picture = Pict::image(data);
    if (!picture) return unchanged;
    const int w = picture->width(), h = picture->height();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return unchanged;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, picture->surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    uint8_t* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (!pixels) {
        cairo_surface_destroy(surface);
        return unchanged;
    }
    for (int y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            if (a == 0) continue;
            uint32_t c[3] = {straight((p >> 16) & 0xff, a), straight((p >> 8) & 0xff, a), straight(p & 0xff, a)};
            const uint32_t m = std::min({c[0], c[1], c[2]});
            if (m <= 200) continue;
            if (m > 236) {
                c[0] = c[1] = c[2] = 255;
            } else {
                const double t = (static_cast<double>(m) - 200) / 36;
                for (uint32_t& v : c) v = static_cast<uint32_t>(v + (255 - v) * t * t);
            }
            row[x] = (a << 24) | (premultiplied(c[0], a) << 16) | (premultiplied(c[1], a) << 8) | premultiplied(c[2], a);
        }
    }
    cairo_surface_mark_dirty(surface);
    std::shared_ptr<const Image> out = Image::adopt(surface);
    if (!out) return unchanged;
    std::optional<std::vector<uint8_t>> png = Pict::encode(*out, Pict::png);
    return png ? std::move(*png) : unchanged;
}

}  // namespace nolby
