#pragma once
// The resource folder (fonts, prompts): "../resources" beside the executable's own folder,
// unless NOLBY_RESOURCES in the environment names another.

#include <filesystem>

namespace nolby::resources {

std::filesystem::path folder();

}  // namespace nolby::resources
