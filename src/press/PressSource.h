#pragma once
// What a page's paper reads of the cover press: a notebook's printed cover, which covers
// were printed during this run, and a counter raised whenever a cover is printed or
// finishes loading. The cover press implements it; until a notebook has a press, NoPress
// answers: no covers, none fresh, a version that never moves.

#include "platform/Image.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <memory>
#include <set>

namespace nolby {

class PressSource {
public:
    virtual ~PressSource() = default;
    // The notebook's printed cover at 700 px wide when `px` is at most 700, else at 1600 px;
    // null when it has none. A miss may start loading it (the version rises when it lands).
    virtual std::shared_ptr<const Image> image(const Uuid& id, int px) = 0;
    // The notebooks whose cover was printed during this run.
    virtual const std::set<Uuid>& fresh() const = 0;
    virtual int64_t version() const = 0;
};

class NoPress final : public PressSource {
public:
    std::shared_ptr<const Image> image(const Uuid&, int) override { return nullptr; }
    const std::set<Uuid>& fresh() const override { return none_; }
    int64_t version() const override { return 0; }

private:
    std::set<Uuid> none_;
};

}  // namespace nolby
