#pragma once
// The three handwriting faces every piece of handwriting is set in, loaded from the font
// files among the resources and cached per size.

#include "platform/Font.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace nolby::Faces {

enum class Face { hand, scrawl, round };

// Exactly "hand", "scrawl" or "round" (case-sensitive).
std::optional<Face> faceFromRawValue(std::string_view raw);
std::string_view rawValue(Face face);

// The system family that stands in when no handwriting font file can be found: URW's
// Z003, a chancery script, the nearest thing to a casual hand among the system fonts we
// install.
inline constexpr const char* kNoteworthyStandIn = "Z003";

// Loads "Excalifont.ttf", "ShantellSans.ttf" and "Caveat.ttf" from the folder (or its
// "Fonts/" subfolder) and builds the three faces. Without a folder, the resource folder.
// Does nothing once a face is registered; with no file found, a later call tries again.
void registerFrom(const std::optional<std::filesystem::path>& folder = std::nullopt);

// The face at a size; one font per face and hundredth of a point, made once. With no
// handwriting files registered, the stand-in system face. Safe on any thread.
std::shared_ptr<const Font> font(Face face, double size);

// The cache key of a face at a size: "hand@1700" for hand at 17 points.
std::string sizeKey(Face face, double size);

}  // namespace nolby::Faces
