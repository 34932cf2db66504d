#include "ui/library/ColorScheme.h"

#include <gtest/gtest.h>

namespace nolby {
namespace {

TEST(ColorScheme, PortalValuesAndPalette) {
    EXPECT_EQ(ColorScheme::fromPortal(1), ColorScheme::Scheme::dark);
    EXPECT_EQ(ColorScheme::fromPortal(2), ColorScheme::Scheme::light);
    EXPECT_EQ(ColorScheme::fromPortal(0), std::nullopt);
    EXPECT_EQ(ColorScheme::fromPortal(7), std::nullopt);
    QPalette night;
    night.setColor(QPalette::Window, QColor(30, 30, 34));
    EXPECT_EQ(ColorScheme::fromPalette(night), ColorScheme::Scheme::dark);
    QPalette day;
    day.setColor(QPalette::Window, QColor(239, 239, 239));
    EXPECT_EQ(ColorScheme::fromPalette(day), ColorScheme::Scheme::light);
    ColorScheme scheme;  // without a portal answer, the palette decides
    EXPECT_NO_FATAL_FAILURE(scheme.scheme());
}

}  // namespace
}  // namespace nolby
