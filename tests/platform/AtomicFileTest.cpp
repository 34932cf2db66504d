#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace nolby;
namespace fs = std::filesystem;

namespace {

struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string tmpl = (fs::temp_directory_path() / "nolby-atomic-XXXXXX").string();
        path = mkdtemp(tmpl.data());
    }
    ~TempFolder() { fs::remove_all(path); }
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(path), fs::directory_iterator())); }
};

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(AtomicFile, WritesAndReplacesWholeFiles) {
    TempFolder dir;
    fs::path target = dir.path / "A.json";
    ASSERT_TRUE(AtomicFile::write(target, "first"));
    EXPECT_EQ(contents(target), "first");
    std::string big(1 << 20, 'x');
    big.back() = '\0';
    ASSERT_TRUE(AtomicFile::write(target, big));
    EXPECT_EQ(contents(target), big);
    ASSERT_TRUE(AtomicFile::write(target, ""));
    EXPECT_EQ(contents(target), "");
    EXPECT_EQ(dir.entries(), 1u);  // no temporary file left beside it
}

TEST(AtomicFile, AFailedWriteKeepsTheOldContentAndLeavesNoTemporary) {
    TempFolder dir;
    EXPECT_FALSE(AtomicFile::write(dir.path / "missing" / "A.json", "x"));
    EXPECT_EQ(dir.entries(), 0u);

    // A folder in the target's place cannot be replaced by a file.
    fs::create_directory(dir.path / "B.json");
    std::ofstream(dir.path / "B.json" / "inside") << "old";
    EXPECT_FALSE(AtomicFile::write(dir.path / "B.json", "new"));
    EXPECT_EQ(contents(dir.path / "B.json" / "inside"), "old");
    EXPECT_EQ(dir.entries(), 1u);
}
