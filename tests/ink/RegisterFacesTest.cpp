// The app registers the handwriting faces once at start-up, before any layout; the ink
// tests do the same, so no test can cache a stand-in font by asking for one first.
#include "ink/Faces.h"

#include <gtest/gtest.h>

namespace {

class RegisterFaces : public ::testing::Environment {
public:
    void SetUp() override { nolby::Faces::registerFrom(); }
};

[[maybe_unused]] ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new RegisterFaces);

}  // namespace
