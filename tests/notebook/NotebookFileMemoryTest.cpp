// Reading a large notebook file keeps memory within a small multiple of the file's size:
// a 40 MB file reads in a child process whose address space is limited to 1.2 GB, a hostile
// file of tiny elements is cut short instead of growing without bound, and running out of
// memory gives no notebook and a clear issue, never an abort.
// Each limit is set in a freshly started copy of the test binary ("threadsafe" death tests):
// a forked child would inherit memory that earlier tests freed but kept mapped, and could
// read the notebook there without asking for more.
#include "notebook/NotebookFile.h"

#include "../support/Sanitizers.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

using namespace nolby;

namespace {

constexpr size_t kFileBytes = size_t(40) << 20;
constexpr rlim_t kAddressSpace = rlim_t(1200) << 20;

// A notebook such as a learner fills: pages of pen strokes and typed notes.
std::string realisticFile(size_t bytes, size_t& pages) {
    Page page;
    for (int s = 0; s < 100; ++s) {
        StrokeItem stroke{{}, "ink", 2.2, "pen"};
        for (int i = 0; i < 100; ++i)
            stroke.pts.insert(stroke.pts.end(), {24.25f + i * 1.37f, 100.5f + s * 7.1f + i * 0.01f, 0.4f + i * 0.003f});
        page.items.push_back(PageItem(stroke));
    }
    for (int t = 0; t < 20; ++t) {
        TextItem note;
        note.text = "a typed note of a few words, with $x^2$ in it";
        note.color = "ink";
        note.size = 17;
        page.items.push_back(PageItem(note));
    }
    Notebook one;
    one.pages = {page};
    const size_t perPage = NotebookFile::encode(one).size();
    Notebook n;
    n.pages.clear();
    for (size_t k = 0; k * perPage < bytes; ++k) {
        Page copy = page;
        copy.id = Uuid::random();
        for (PageItem& item : copy.items) std::visit([](auto& it) { it.id = Uuid::random(); }, item.value);
        n.pages.push_back(std::move(copy));
    }
    pages = n.pages.size();
    return NotebookFile::encode(n);
}

// Pages of empty items: each 18 bytes of text would take a whole item in memory.
std::string hostileFile(size_t bytes) {
    std::string text = R"({"id":"6B1F3C2A-0D4E-4F5A-9B8C-7D6E5F4A3B2C","pages":[)";
    const std::string item = R"({"text":{"_0":{}}})";
    for (bool firstPage = true; text.size() < bytes; firstPage = false) {
        text += firstPage ? R"({"items":[)" : R"(,{"items":[)";
        for (size_t i = 0; i < NotebookFile::maxItemsPerPage && text.size() < bytes; ++i) text += (i ? "," : "") + item;
        text += "]}";
    }
    return text + "]}";
}

size_t virtualMemory() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) << 10;
    return 0;
}

// Runs in the child: limits the address space, reads, and exits 0 when `ok` holds of the
// result; otherwise says why on standard error and exits 1.
template <class Ok>
void readUnderLimit(rlim_t limit, const std::string& text, Ok ok) {
    rlimit r{limit, limit};
    if (setrlimit(RLIMIT_AS, &r) != 0) _exit(3);
    NotebookFile::Decoded decoded = NotebookFile::decode(text);
    std::string why = ok(decoded);
    if (why.empty()) _exit(0);
    std::fprintf(stderr, "%s\n", why.c_str());
    _exit(1);
}

std::string firstIssue(const NotebookFile::Decoded& d) { return d.issues.empty() ? "(none)" : d.issues.front(); }

#define SKIP_UNDER_SHADOW_MEMORY()                                                                       \
    if (test::kShadowMemory)                                                                             \
    GTEST_SKIP() << "a sanitizer's shadow memory takes terabytes of address space: a limit on it says " \
                    "nothing about the reader"

}  // namespace

TEST(NotebookFileMemory, FortyMegabytesReadUnderAnAddressSpaceLimit) {
    SKIP_UNDER_SHADOW_MEMORY();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    size_t pages = 0;
    const std::string text = realisticFile(kFileBytes, pages);
    ASSERT_GE(text.size(), kFileBytes);
    ASSERT_LT(virtualMemory(), kAddressSpace / 2) << "the test process alone is too large to say anything";
    EXPECT_EXIT(readUnderLimit(kAddressSpace, text,
                               [&](const NotebookFile::Decoded& d) -> std::string {
                                   if (!d.notebook) return "no notebook: " + firstIssue(d);
                                   if (!d.issues.empty()) return "issues: " + firstIssue(d);
                                   if (d.notebook->pages.size() != pages) return "pages lost";
                                   return "";
                               }),
                ::testing::ExitedWithCode(0), "");
}

TEST(NotebookFileMemory, HostileFileIsCutShortWithinItsBudget) {
    SKIP_UNDER_SHADOW_MEMORY();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string text = hostileFile(kFileBytes);
    // What is kept may take memoryFactor times the file; growing lists and the strings of
    // the element being read may add half as much again. Anything more fails to allocate.
    const rlim_t limit = virtualMemory() + 5 * text.size() + (64 << 20);
    ASSERT_LT(limit, kAddressSpace);
    EXPECT_EXIT(readUnderLimit(limit, text,
                               [&](const NotebookFile::Decoded& d) -> std::string {
                                   if (!d.notebook) return "no notebook: " + firstIssue(d);
                                   for (const std::string& issue : d.issues)
                                       if (issue.find("holds more than a file of its size can") != std::string::npos)
                                           return "";
                                   return "the cut was not reported";
                               }),
                ::testing::ExitedWithCode(0), "");
}

TEST(NotebookFileMemory, RunningOutOfMemoryGivesNoNotebookAndSaysSo) {
    SKIP_UNDER_SHADOW_MEMORY();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    size_t pages = 0;
    const std::string text = realisticFile(kFileBytes, pages);
    // Far too little for the notebook the file holds.
    const rlim_t limit = virtualMemory() + (4 << 20);
    EXPECT_EXIT(readUnderLimit(limit, text,
                               [&](const NotebookFile::Decoded& d) -> std::string {
                                   if (d.notebook) return "a notebook was read in 4 MB";
                                   if (d.issues.size() != 1 || d.issues[0].find("out of memory") == std::string::npos)
                                       return "issue: " + firstIssue(d);
                                   return "";
                               }),
                ::testing::ExitedWithCode(0), "");
}
