// Stored annotations (marks and dive holes) are drawn from an object and the box they
// carry, both read back from notebook files: any object and any box must give finite ink
// that draws soundly, in bounded time. The first 32 bytes are the box; the rest is the object (JSON, or a
// mark of a kind chosen by a byte).
#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"

#include "FuzzSupport.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;

namespace {

void check(const std::vector<InkOpRef>& ops) {
    requireFiniteOps(ops);
    requireDrawable(ops);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFaces();
    double edges[4] = {40, 60, 120, 24};
    if (size >= sizeof edges) {
        std::memcpy(edges, data, sizeof edges);
        data += sizeof edges;
        size -= sizeof edges;
    }
    const Rect box{edges[0], edges[1], edges[2], edges[3]};
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    nlohmann::json parsed = nlohmann::json::parse(rest, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        static const char* kinds[] = {"tick", "cross", "circle", "underline", "wavy", "arrow", "star", "Cross", ""};
        parsed = nlohmann::json{{"kind", kinds[size ? data[0] % std::size(kinds) : 0]},
                                {"note", std::string(rest.substr(std::min<size_t>(1, size)))}};
    }
    const J object(parsed);
    for (double pageW : {400.0, 600.0}) {
        Blocks blocks{{pageW, 869}, Ink::color(std::string("teal"), Ink::ink)};
        check(blocks.mark(object, box, size));
        check(blocks.dive(object, box, size));
        Laid link = blocks.link(object, size);
        check(link.ops);
        require(link.height == 0 && link.rooms.empty());
    }
    return 0;
}
