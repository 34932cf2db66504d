#include "platform/FontSource.h"

#include "platform/Unicode.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <mutex>
#include <unordered_map>

namespace nolby {

namespace {

std::string nameEntry(hb_face_t* face, hb_ot_name_id_t id) {
    unsigned len = hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, nullptr, nullptr);
    if (len == 0) return {};
    std::string s(len + 1, '\0');
    unsigned size = len + 1;
    hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, &size, s.data());
    s.resize(size);
    return s;
}

}  // namespace

std::shared_ptr<const FontFile> FontFile::load(const std::string& path, unsigned index) {
    // One FontFile per file and face index for the life of the process, so every user of a
    // face shares its instances and their outline caches. Failures are not remembered: a
    // file may appear later.
    static std::mutex m;
    static std::map<std::string, std::shared_ptr<const FontFile>> loaded;
    std::string key = path + "#" + std::to_string(index);
    std::lock_guard<std::mutex> guard(m);
    auto it = loaded.find(key);
    if (it != loaded.end()) return it->second;
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(path.c_str());
    if (!blob) return nullptr;
    hb_face_t* face = hb_face_create(blob, index);
    hb_blob_destroy(blob);
    if (!face || hb_face_get_glyph_count(face) == 0) {
        hb_face_destroy(face);
        return nullptr;
    }
    hb_face_make_immutable(face);
    std::shared_ptr<FontFile> f(new FontFile());
    f->face_ = face;
    f->path_ = path;
    f->index_ = index;
    f->upem_ = hb_face_get_upem(face);
    f->psName_ = nameEntry(face, HB_OT_NAME_ID_POSTSCRIPT_NAME);
    f->family_ = nameEntry(face, HB_OT_NAME_ID_TYPOGRAPHIC_FAMILY);
    if (f->family_.empty()) f->family_ = nameEntry(face, HB_OT_NAME_ID_FONT_FAMILY);
    unsigned n = hb_ot_var_get_axis_count(face);
    std::vector<hb_ot_var_axis_info_t> infos(n);
    hb_ot_var_get_axis_infos(face, 0, &n, infos.data());
    for (unsigned i = 0; i < n; ++i)
        f->axes_.push_back({infos[i].tag, infos[i].min_value, infos[i].default_value, infos[i].max_value});
    loaded.emplace(key, f);
    return f;
}

FontFile::~FontFile() { hb_face_destroy(face_); }

namespace systemfonts {

namespace {

std::mutex& lock() {
    static std::mutex m;
    return m;
}

// Runs a fontconfig match for the pattern; the matched file, or null.
std::shared_ptr<const FontFile> matchFile(FcPattern* pat, const std::string* wantFamily) {
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    std::shared_ptr<const FontFile> out;
    if (match) {
        bool familyOk = !wantFamily;
        FcChar8* fam = nullptr;
        for (int i = 0; !familyOk && FcPatternGetString(match, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
            familyOk = unicode::lowercased(reinterpret_cast<const char*>(fam)) == unicode::lowercased(*wantFamily);
        FcChar8* file = nullptr;
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (familyOk && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            out = FontFile::load(reinterpret_cast<const char*>(file), static_cast<unsigned>(index & 0xFFFF));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    return out;
}

}  // namespace

std::shared_ptr<const FontFile> family(const std::string& name) {
    std::lock_guard<std::mutex> guard(lock());
    static std::map<std::string, std::shared_ptr<const FontFile>> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    auto file = matchFile(pat, &name);
    cache.emplace(name, file);
    return file;
}

std::shared_ptr<const FontFile> covering(char32_t c) {
    std::lock_guard<std::mutex> guard(lock());
    static std::unordered_map<char32_t, std::shared_ptr<const FontFile>> cache;
    auto it = cache.find(c);
    if (it != cache.end()) return it->second;

    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcCharSet* cs = FcCharSetCreate();
    FcCharSetAddChar(cs, static_cast<FcChar32>(c));
    FcPatternAddCharSet(pat, FC_CHARSET, cs);
    FcCharSetDestroy(cs);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res = FcResultNoMatch;
    FcFontSet* set = FcFontSort(nullptr, pat, FcFalse, nullptr, &res);
    std::shared_ptr<const FontFile> found;
    for (int i = 0; set && i < set->nfont && !found; ++i) {
        FcCharSet* have = nullptr;
        FcChar8* file = nullptr;
        if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &have) != FcResultMatch ||
            !FcCharSetHasChar(have, static_cast<FcChar32>(c)) ||
            FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch)
            continue;
        int index = 0;
        FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
        found = FontFile::load(reinterpret_cast<const char*>(file), static_cast<unsigned>(index & 0xFFFF));
    }
    if (set) FcFontSetDestroy(set);
    FcPatternDestroy(pat);
    cache.emplace(c, found);
    return found;
}

}  // namespace systemfonts
}  // namespace nolby
