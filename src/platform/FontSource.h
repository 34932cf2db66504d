#pragma once
// Where font faces come from: font files we ship, and system fonts found through
// fontconfig (only for named stand-ins and as the last fallback for characters that
// none of our faces has).

#include <hb-ot.h>
#include <hb.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nolby {

struct FontAxis {
    uint32_t tag;
    double min, def, max;
};

// One face of a font file, loaded once and shared: immutable and safe on any thread.
class FontFile {
public:
    // Null when the file is missing or holds no usable face.
    static std::shared_ptr<const FontFile> load(const std::string& path, unsigned index = 0);
    ~FontFile();
    FontFile(const FontFile&) = delete;
    FontFile& operator=(const FontFile&) = delete;

    hb_face_t* face() const { return face_; }
    const std::string& path() const { return path_; }
    unsigned index() const { return index_; }
    unsigned unitsPerEm() const { return upem_; }
    const std::string& postScriptName() const { return psName_; }
    const std::string& familyName() const { return family_; }
    const std::vector<FontAxis>& axes() const { return axes_; }

private:
    FontFile() = default;
    hb_face_t* face_ = nullptr;
    std::string path_, psName_, family_;
    unsigned index_ = 0, upem_ = 1000;
    std::vector<FontAxis> axes_;
};

namespace systemfonts {

// The system face whose family fontconfig actually matched to `family` (fontconfig always
// answers with something; a different family counts as not found). Cached.
std::shared_ptr<const FontFile> family(const std::string& family);

// A system face that has the character, preferring plain sans faces; null when none has it.
// Cached per character.
std::shared_ptr<const FontFile> covering(char32_t c);

}  // namespace systemfonts
}  // namespace nolby
