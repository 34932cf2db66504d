// Typing on the sheet: notes opened by typing, the space bar, Return by the notebook's way,
// Escape's cases, erasing, line and page moves, composition counted in UTF-16, undo of
// typing, and pasting big and empty clipboards.
#include "SheetPointerTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

using K = SheetKeys::Key;
using Sel = SheetWords::Selection;

const std::string& noteText(NotebookModel& m) { return m.editing.get()->text; }

// A paragraph of two words on page 0 and room below it.
NotebookModel& lesson(InputRig& r) {
    BlockItem a = paragraph(100);
    NotebookModel& m = r.open(notebookOf({{a}}));
    primeWords(m, a, {wordRun("kinetic", 30, 120, 50), wordRun("energy.", 90, 120, 50)});
    r.host.laid = handLayout({{0, 40, 600}});
    r.host.visible = {0, 300, 800, 600};
    return m;
}

}  // namespace

TEST(SheetTextInput, ALetterOpensANoteAtTheTypingSpot) {
    InputRig r;
    NotebookModel& m = lesson(r);
    r.host.follow = false;
    const NotebookModel::TypingSpot spot = m.typingSpot();
    r.input.type("a");
    ASSERT_TRUE(m.editing.get());
    EXPECT_EQ(noteText(m), "a");
    EXPECT_EQ(m.editing.get()->y, spot.spot->y);
    EXPECT_TRUE(r.host.follow);
    EXPECT_TRUE(r.typing.revealCaret);
    // A space inside a note is a space; white space alone never opens one.
    r.input.type(" ");
    EXPECT_EQ(noteText(m), "a ");
    m.commitEditing();
    for (const char* blank : {"\n", "   ", "\t\n "}) {
        r.input.type(blank);
        EXPECT_FALSE(m.editing.get()) << blank;
    }
    EXPECT_TRUE(r.host.scrolls.empty());
}

TEST(SheetTextInput, TheSpaceBarPages) {
    InputRig r;
    lesson(r);
    r.input.type(" ");
    r.input.type(" ", true);
    EXPECT_EQ(r.host.scrolls, (std::vector<HostRecorder::Scroll>{{300 + 528, true}, {300 - 528, true}}));
    EXPECT_FALSE(r.host.follow) << "paging up stops following";
    EXPECT_FALSE(r.model().editing.get());
}

TEST(SheetTextInput, TypingWithWordsSelectedAsksAboutThem) {
    InputRig r;
    NotebookModel& m = lesson(r);
    r.pointer.setSelection(Sel{{0, 1}, {0, 1}});
    r.input.type("w");
    ASSERT_TRUE(m.editing.get());
    EXPECT_EQ(m.editing.get()->about, "energy");
    EXPECT_EQ(m.editing.get()->x, 38);
    EXPECT_EQ(noteText(m), "w");
    EXPECT_FALSE(r.pointer.selection());
}

TEST(SheetTextInput, ReturnByTheNotebooksWay) {
    {  // nothing to send and the next step on offer: it is taken
        InputRig r;
        lesson(r);
        r.host.follow = false;
        r.key(K::returnKey);
        EXPECT_EQ(r.rig.tutor->asks, 1);
        EXPECT_EQ(r.rig.haptics->played.size(), 1u) << "the next step's own tap";
        EXPECT_EQ(r.host.haptics, 0);
        EXPECT_TRUE(r.host.follow);
    }
    {  // an open question waits for its answer: nothing
        InputRig r;
        r.open(notebookOf({{askBlock(100)}}));
        ASSERT_EQ(r.model().way().kind, NotebookModel::Way::Kind::skip);
        r.model().writeHere();
        r.key(K::returnKey);
        EXPECT_EQ(r.rig.tutor->asks, 0);
        EXPECT_TRUE(r.rig.haptics->played.empty());
    }
    {  // a note with words: committed and sent
        InputRig r;
        NotebookModel& m = lesson(r);
        r.input.type("why?");
        r.key(K::returnKey, {.shift = true});
        EXPECT_EQ(noteText(m), "why?\n");
        r.key(K::enter);
        EXPECT_FALSE(m.editing.get());
        EXPECT_EQ(m.nb->pages[0].items.back().text()->text, "why?");
        EXPECT_EQ(r.rig.tutor->asks, 1);
        EXPECT_EQ(r.host.haptics, 1);
    }
    {  // Shift-Return with no note is white space: nothing opens
        InputRig r;
        NotebookModel& m = lesson(r);
        r.key(K::returnKey, {.shift = true});
        EXPECT_FALSE(m.editing.get());
        EXPECT_EQ(r.rig.tutor->asks, 0);
    }
    // Ctrl+Return belongs to the menu.
    EXPECT_EQ(SheetKeys::command(K::returnKey, {.control = true}), std::nullopt);
}

TEST(SheetTextInput, ReturnSendsAPendingDraftOnlyInsideANote) {
    InputRig r;
    NotebookModel& m = lesson(r);
    r.typing.draft = "why?";
    r.key(K::returnKey);
    EXPECT_FALSE(m.editing.get());
    ASSERT_TRUE(m.nb->pages[0].items.back().text());
    EXPECT_EQ(m.nb->pages[0].items.back().text()->text, "why?") << "the draft went into a note before the turn";
    EXPECT_EQ(r.rig.tutor->asks, 1);
    EXPECT_EQ(r.typing.draft, "");
    // When no note can open (the selected words are gone) the draft waits and nothing is asked.
    r.typing.draft = "and?";
    r.pointer.setSelection(Sel{{5, 0}, {5, 0}});
    r.key(K::returnKey);
    EXPECT_EQ(r.typing.draft, "and?");
    EXPECT_EQ(r.rig.tutor->asks, 1);
    // Characters pile onto a waiting draft.
    r.input.type("!");
    EXPECT_EQ(r.typing.draft, "and?!");
}

TEST(SheetTextInput, EscapesCases) {
    {  // a new note: emptied and dropped
        InputRig r;
        NotebookModel& m = lesson(r);
        r.input.type("hmm");
        r.key(K::escape);
        EXPECT_FALSE(m.editing.get());
        EXPECT_EQ(m.nb->pages[0].items.size(), 1u);
    }
    {  // a reopened note: back to what it said, not deleted
        InputRig r;
        BlockItem a = paragraph(100);
        TextItem kept = note(300, "my question");
        NotebookModel& m = r.open(notebookOf({{a, kept}}));
        r.host.laid = handLayout({{0, 40, 600}});
        r.click(0, {40, 305});
        ASSERT_TRUE(m.editing.get());
        ASSERT_FALSE(m.editing.get()->isNew);
        r.key(K::backspace, {.shift = true, .control = true});
        r.input.type("other");
        r.key(K::escape);
        EXPECT_FALSE(m.editing.get());
        ASSERT_EQ(m.nb->pages[0].items.size(), 2u);
        EXPECT_EQ(m.nb->pages[0].items[1].text()->text, "my question");
        EXPECT_FALSE(m.notice.get()) << "no \"Note removed\"";
    }
    {  // no note, words selected: the selection goes; then, in a deep dive, the dive closes
        InputRig r;
        lesson(r);
        r.host.hasClose = true;
        r.pointer.setSelection(Sel{{0, 0}, {0, 1}});
        r.typing.draft = "x";
        r.key(K::escape);
        EXPECT_FALSE(r.pointer.selection());
        EXPECT_EQ(r.typing.draft, "");
        EXPECT_EQ(r.host.closes, 0);
        r.key(K::escape);
        EXPECT_EQ(r.host.closes, 1);
    }
    {  // the notebook's own sheet: nothing
        InputRig r;
        lesson(r);
        r.key(K::escape);
        EXPECT_EQ(r.host.closes, 0);
        EXPECT_FALSE(r.model().editing.get());
    }
}

TEST(SheetTextInput, ErasingCharactersWordsAndTheWholeNote) {
    InputRig r;
    NotebookModel& m = lesson(r);
    struct Case {
        std::string text;
        SheetKeys::Modifiers mods;
        std::string after;
    };
    const Case cases[] = {
        {"one two  ", {.alt = true}, "one "},
        {"one two  ", {.control = true}, "one "},
        {"one\ntwo", {.control = true}, "one\n"},
        {"line\nbreaks", {.shift = true, .control = true}, ""},
        {"ab\u00E9", {}, "ab"},
        {"e\u0301x\u0301", {}, "e\u0301"},  // a character with its accent goes at once
        {"\U0001D465", {}, ""},
    };
    for (const Case& c : cases) {
        m.commitEditing();
        r.input.type("x");
        m.editing.modify([&](auto& e) { e->text = c.text; });
        r.key(K::backspace, c.mods);
        EXPECT_EQ(noteText(m), c.after) << c.text;
    }
    // Backspace on an empty note leaves it open and empty.
    r.key(K::backspace);
    r.key(K::backspace);
    EXPECT_TRUE(m.editing.get());
    EXPECT_EQ(noteText(m), "");
    // A draft is erased first.
    m.commitEditing();
    r.typing.draft = "ab";
    r.key(K::backspace);
    EXPECT_EQ(r.typing.draft, "a");
}

TEST(SheetTextInput, LinePageAndDocumentMoves) {
    InputRig r;
    NotebookModel& m = lesson(r);
    using S = HostRecorder::Scroll;
    struct Case {
        K key;
        SheetKeys::Modifiers mods;
        bool follow;
        S scroll;
    };
    const Case cases[] = {
        {K::down, {}, true, {356, true}},
        {K::up, {}, false, {244, true}},
        {K::pageDown, {}, true, {828, true}},  // following as it was
        {K::pageUp, {}, false, {-228, true}},
        {K::home, {.control = true}, false, {0, true}},
        {K::end, {.control = true}, true, {r.host.laid->height, true}},
        {K::up, {.control = true}, false, {0, true}},
        {K::down, {.control = true}, true, {r.host.laid->height, true}},
    };
    for (const Case& c : cases) {
        r.host.follow = true;
        if (c.key == K::end || (c.key == K::down && c.mods.control)) r.host.follow = false;
        r.host.scrolls.clear();
        r.key(c.key, c.mods);
        EXPECT_EQ(r.host.scrolls, std::vector<S>{c.scroll}) << static_cast<int>(c.key);
        EXPECT_EQ(r.host.follow, c.follow) << static_cast<int>(c.key);
    }
    // The arrows are the note's while it has text.
    r.input.type("a");
    r.host.scrolls.clear();
    r.key(K::up);
    r.key(K::down);
    EXPECT_TRUE(r.host.scrolls.empty());
    m.editing.modify([](auto& e) { e->text.clear(); });
    r.key(K::down);
    EXPECT_EQ(r.host.scrolls.size(), 1u);
    // Left, Right and Delete are swallowed; Tab and keys with Meta are not the sheet's.
    EXPECT_EQ(SheetKeys::command(K::left, {}), SheetKeys::Command::other);
    EXPECT_EQ(SheetKeys::command(K::other, {}), std::nullopt);
    EXPECT_EQ(SheetKeys::command(K::up, {.meta = true}), std::nullopt);
}

TEST(SheetTextInput, CompositionCountsUtf16) {
    InputRig r;
    NotebookModel& m = lesson(r);
    EXPECT_EQ(r.input.markedRange(), SheetTextInput::Range{});
    EXPECT_EQ(r.input.selectedRange(), (SheetTextInput::Range{0, 0}));
    r.input.setMarkedText("");
    EXPECT_FALSE(m.editing.get()) << "an empty composition opens nothing";
    r.input.type("a\U0001D465");  // a𝑥: three UTF-16 units
    r.input.setMarkedText("\U0001D465");
    EXPECT_EQ(noteText(m), "a\U0001D465\U0001D465");
    EXPECT_EQ(r.input.markedRange(), (SheetTextInput::Range{3, 2}));
    r.input.setMarkedText("\U0001D465y");
    EXPECT_EQ(r.input.markedRange(), (SheetTextInput::Range{3, 3}));
    EXPECT_EQ(r.input.selectedRange(), (SheetTextInput::Range{6, 0}));
    r.input.insertText("z");
    EXPECT_EQ(noteText(m), "a\U0001D465z");
    EXPECT_FALSE(r.input.hasMarkedText());
    // Unmarking keeps what was shown.
    r.input.setMarkedText("\u00E9");
    r.input.unmarkText();
    EXPECT_EQ(noteText(m), "a\U0001D465z\u00E9");
    // A composition with no note open opens one at the typing spot.
    m.commitEditing();
    r.input.setMarkedText("k");
    ASSERT_TRUE(m.editing.get());
    EXPECT_EQ(noteText(m), "k");
    EXPECT_EQ(r.input.markedRange(), (SheetTextInput::Range{0, 1}));
}

TEST(SheetTextInput, UndoAndRedoOfTyping) {
    InputRig r;
    NotebookModel& m = lesson(r);
    EXPECT_FALSE(r.input.undoTyping());
    r.input.type("a");
    r.input.type("b");
    r.input.type("c");
    EXPECT_TRUE(r.input.undoTyping());
    EXPECT_EQ(noteText(m), "");
    EXPECT_TRUE(r.input.redoTyping());
    EXPECT_EQ(noteText(m), "abc");
    EXPECT_FALSE(r.input.redoTyping());
    EXPECT_TRUE(r.input.undoTyping());
    r.input.type("d");
    EXPECT_FALSE(r.input.redoTyping()) << "typed since the undo";
    EXPECT_TRUE(r.input.undoTyping());
    m.commitEditing();
    r.input.type("e");
    EXPECT_FALSE(r.input.redoTyping()) << "another note";
}

TEST(SheetTextInput, PastingBigAndEmptyClipboards) {
    InputRig r;
    NotebookModel& m = lesson(r);
    r.input.paste();
    r.host.clip = "";
    r.input.paste();
    EXPECT_FALSE(m.editing.get());
    EXPECT_TRUE(r.host.scrolls.empty());
    std::string big;
    for (int i = 0; i < 5000; ++i) big += "entropy \U0001D465 ";  // 50,000 characters
    r.host.clip = big;
    r.input.paste();
    ASSERT_TRUE(m.editing.get());
    EXPECT_EQ(noteText(m), big);
    EXPECT_EQ(r.input.selectedRange().location, 55000);
    r.key(K::returnKey);
    EXPECT_FALSE(m.editing.get());
    EXPECT_EQ(r.rig.tutor->asks, 1);
}

TEST(SheetTextInput, TheCaretOnTheSheet) {
    InputRig r;
    NotebookModel& m = lesson(r);
    EXPECT_FALSE(r.input.caretRect());
    r.input.type("a");
    const Rect caret = NotebookModel::caret(*m.editing.get());
    const std::optional<Rect> shown = r.input.caretRect();
    ASSERT_TRUE(shown);
    expectNear(*shown, {100 + caret.minX(), caret.minY(), 1, caret.height()});
    r.host.laid.reset();
    EXPECT_FALSE(r.input.caretRect());
}
