// The model's headers before Qt's: Qt's keyword macros (emit, slots) would rewrite them.
#include "app/DebugHooks.h"

#include "app/DebugHooksPalette.h"

#include "ui/library/ColorScheme.h"

#include <QApplication>

namespace nolby::DebugHooks {

QPalette palette(LaunchArguments::Appearance appearance) {
    return ColorScheme::palette(appearance == LaunchArguments::Appearance::light ? ColorScheme::Scheme::light
                                                                                : ColorScheme::Scheme::dark);
}

std::optional<LaunchArguments::Appearance> applyAppearance() {
    const auto appearance = LaunchArguments::parse(arguments()).appearance;
    if (appearance) QApplication::setPalette(palette(*appearance));
    return appearance;
}

}  // namespace nolby::DebugHooks
