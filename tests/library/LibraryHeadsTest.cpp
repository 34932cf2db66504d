// The store's list of heads: the facts of the pages a head carries, and whole notebooks given
// back by id, alike every time, whether the store keeps a clean file's bytes, a repaired
// notebook or one saved in this run.
#include "LibraryTestSupport.h"

#include <nlohmann/json.hpp>

using namespace nolby;
using namespace nolby::test;

namespace {

PageItem note(const std::string& text) {
    TextItem t;
    t.text = text;
    t.width = 100;
    return PageItem(t);
}

PageItem stroke() {
    StrokeItem s;
    s.pts = {1, 2, 0.5f, 3, 4, 0.5f};
    return PageItem(s);
}

Page pageOf(std::vector<PageItem> items) {
    Page p;
    p.items = std::move(items);
    return p;
}

}  // namespace

TEST(NotebookHead, CarriesThePageFactsACoverReads) {
    struct Case {
        const char* what;
        std::vector<Page> pages;
        size_t written;
        std::optional<std::string> opening;
    } cases[] = {
        {"one empty page", {Page{}}, 0, std::nullopt},
        {"no pages", {}, 0, std::nullopt},
        {"notes on the first and third", {pageOf({note("first")}), Page{}, pageOf({note("third")})}, 2, "first"},
        {"strokes and an empty note before the words", {pageOf({stroke(), note(""), note("words"), note("later")})}, 1,
         "words"},
        {"words only on the second page", {pageOf({stroke()}), pageOf({note("second")})}, 2, std::nullopt},
    };
    for (const Case& c : cases) {
        Notebook n = notebook("t", 1, 2, 3);
        n.pages = c.pages;
        const NotebookHead head(n);
        EXPECT_EQ(head.pageCount, c.pages.size()) << c.what;
        EXPECT_EQ(head.writtenPages, c.written) << c.what;
        EXPECT_EQ(head.opening, c.opening) << c.what;
        EXPECT_EQ(head.id, n.id);
        EXPECT_EQ(head.issue, 3);
        EXPECT_FALSE(head.body) << "a head made from a notebook keeps no pages";
    }
}

TEST(Library, GivesLoadedNotebooksBackWholeByIdAsTheirFilesHoldThem) {
    Store s;
    Notebook n = notebook("kept", 1, 10, 1);
    n.pages = {pageOf({note("one"), stroke()}), Page{}, pageOf({note("three")})};
    n.turns.push_back(Turn{at(5), "read", "note", "a reply", 0});
    s.put(n);
    Library& lib = s.open();
    ASSERT_EQ(lib.notebooks->size(), 1u);
    const NotebookHead head = lib.notebooks->front();  // a copy, as the shelf holds it
    EXPECT_EQ(head.writtenPages, 2u);
    EXPECT_EQ(head.opening, "one");
    // Asked for twice (the store decodes the file's bytes each time): the same notebook.
    for (int i = 0; i < 2; ++i) {
        std::optional<Notebook> whole = lib.notebook(n.id);
        ASSERT_TRUE(whole);
        EXPECT_EQ(NotebookFile::encode(*whole), NotebookFile::encode(n));
    }
    EXPECT_EQ(NotebookFile::encode(*Library::whole(head)), NotebookFile::encode(n));
    EXPECT_EQ(lib.head(n.id)->title, "kept");
    EXPECT_FALSE(lib.head(Uuid::random()));

    // A save puts the edited notebook in the list; the old bytes are no longer what it gives.
    Notebook edited = *lib.notebook(n.id);
    edited.pages[1].items.push_back(note("two"));
    edited.updated = at(20);
    lib.save(edited, false);
    EXPECT_EQ(lib.notebooks->front().writtenPages, 3u);
    EXPECT_EQ(NotebookFile::encode(*lib.notebook(n.id)), NotebookFile::encode(edited));
    // The head the list held before still gives what it stood for.
    EXPECT_EQ(NotebookFile::encode(*Library::whole(head)), NotebookFile::encode(n));
}

TEST(Library, ARepairedNotebookIsGivenBackAlikeEachTime) {
    // Two pages with one id: the reader gives the later a fresh, random id.
    Store s;
    Notebook n = notebook("twins", 1, 10, 1);
    n.pages = {pageOf({note("a")}), pageOf({note("b")})};
    n.pages[1].id = n.pages[0].id;
    s.put(n);
    Library& lib = s.open();
    ASSERT_EQ(lib.loadNotes().size(), 1u);
    const std::optional<Notebook> first = lib.notebook(n.id), second = lib.notebook(n.id);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->pages[1].id, n.pages[0].id);
    EXPECT_EQ(first->pages[1].id, second->pages[1].id);
}
