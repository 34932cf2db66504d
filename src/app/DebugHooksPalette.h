#pragma once
// The desk's "-appearance" hook: the application's palette set light for exactly "light",
// dark for any other value; nothing without the argument. Run each time a desk is shown.

#include "app/LaunchArguments.h"

#include <QPalette>

#include <optional>

namespace nolby::DebugHooks {

// The palette of an appearance.
QPalette palette(LaunchArguments::Appearance appearance);

// Applies "-appearance" from the process's arguments to the application; the appearance
// applied, none when the argument is absent.
std::optional<LaunchArguments::Appearance> applyAppearance();

}  // namespace nolby::DebugHooks
