#include "platform/AtomicFile.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

using namespace nolby;
namespace fs = std::filesystem;

namespace {

using test::TempFolder;

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

TEST(AtomicFile, CreatingAFileThatIsThereLeavesItAsItIs) {
    TempFolder dir;
    fs::path target = dir.path / "secret";
    EXPECT_FALSE(AtomicFile::tryCreate(target, "first", 0600));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(AtomicFile::tryCreate(target, "second", 0600), std::errc::file_exists);
    EXPECT_EQ(contents(target), "first");
    // Another writer that gets there while the bytes are being written wins.
    AtomicFile::setStepHook([&](AtomicFile::Step step, const fs::path& at) {
        if (step == AtomicFile::Step::closed && at.filename() == "late") std::ofstream(at) << "theirs";
    });
    EXPECT_EQ(AtomicFile::tryCreate(dir.path / "late", "ours"), std::errc::file_exists);
    AtomicFile::setStepHook(nullptr);
    EXPECT_EQ(contents(dir.path / "late"), "theirs");
    EXPECT_EQ(dir.entries(), 2u);  // no temporary left beside them
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

TEST(AtomicFile, TellsItsOwnTemporariesApart) {
    const std::string id = "0F8E2C4A-1B3D-4E5F-8A9B-0C1D2E3F4A5B";
    struct Case {
        std::string name;
        bool temporary;
    };
    const Case cases[] = {
        {"." + id + ".json." + id + ".tmp", true},
        {".A.json." + id + ".tmp", true},
        {"." + id + ".json", false},                 // a hidden notebook file
        {"A.json." + id + ".tmp", false},            // not hidden
        {".A.json." + id + ".TMP", false},
        {".A.json.ZZZZZZZZ-1B3D-4E5F-8A9B-0C1D2E3F4A5B.tmp", false},  // not hexadecimal
        {".A.json" + id + ".tmp", false},            // no dot before the id
        {"." + id + ".tmp", false},                  // no target name
        {".tmp", false},
    };
    for (const auto& c : cases) EXPECT_EQ(AtomicFile::isTemporary(c.name), c.temporary) << c.name;

    // And what write() leaves behind when it dies before the rename is one of them.
    TempFolder dir;
    AtomicFile::setStepHook([](AtomicFile::Step step, const fs::path&) {
        if (step == AtomicFile::Step::written) throw 1;
    });
    EXPECT_THROW(AtomicFile::write(dir.path / "A.json", "x"), int);
    AtomicFile::setStepHook(nullptr);
    ASSERT_EQ(dir.entries(), 1u);
    EXPECT_TRUE(AtomicFile::isTemporary(fs::directory_iterator(dir.path)->path().filename().string()));
}

TEST(AtomicFile, AFailingDiskSaysWhyAndKeepsTheOldContent) {
    using Step = AtomicFile::Step;
    struct Case {
        Step step;
        int error;
    };
    const Case cases[] = {{Step::opened, EROFS}, {Step::written, ENOSPC}, {Step::synced, EIO},
                          {Step::closed, EDQUOT}, {Step::renamed, EACCES}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.step));
        TempFolder dir;
        const fs::path target = dir.path / "A.json";
        ASSERT_TRUE(AtomicFile::write(target, "old"));
        AtomicFile::setFaultHook([&](Step step, const fs::path&) { return step == c.step ? c.error : 0; });
        EXPECT_EQ(AtomicFile::tryWrite(target, "new"), std::error_code(c.error, std::system_category()));
        AtomicFile::setFaultHook(nullptr);
        EXPECT_EQ(contents(target), "old");
        EXPECT_EQ(dir.entries(), 1u);
        EXPECT_EQ(AtomicFile::tryWrite(target, "new"), std::error_code());
        EXPECT_EQ(contents(target), "new");
    }
}
