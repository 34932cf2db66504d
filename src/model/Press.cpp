#include "model/Press.h"

#include "platform/DataFolder.h"
#include "platform/Files.h"

#include <system_error>

namespace nolby {

Press::Press(const std::filesystem::path& dataFolder) : dir(dataFolder / "Covers") {
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    // Whatever the extension, a name that is a UUID marks a printed cover.
    for (const std::string& name : Files::names(dir))
        if (auto id = Uuid::parse(std::filesystem::path(name).stem().string())) printed_.insert(*id);
}

const std::shared_ptr<Press>& Press::shared() {
    static const std::shared_ptr<Press> press = std::make_shared<Press>(Platform::support());
    return press;
}

void Press::forget(const Uuid& id) {
    std::error_code ignored;
    std::filesystem::remove(dir / fileName(id), ignored);
    printed_.erase(id);
}

}  // namespace nolby
