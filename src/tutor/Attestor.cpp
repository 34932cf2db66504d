#include "tutor/Attestor.h"

namespace nolby {

namespace {

class Unsupported final : public Attestor {
public:
    bool supported() const override { return false; }
    std::optional<std::string> generateKey() override { return std::nullopt; }
    std::optional<std::string> attestKey(const std::string&, const std::string&) override { return std::nullopt; }
};

}  // namespace

std::shared_ptr<Attestor> Attestor::unsupported() { return std::make_shared<Unsupported>(); }

}  // namespace nolby
