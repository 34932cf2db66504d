// The sheet's input under real Qt events: mouse presses counted into triple clicks, drags,
// the cursor, keys, input-method composition and queries, the standard Copy, Select All and
// Paste keys, and the context menu.
#include "../../sheet/SheetPointerTestSupport.h"
#include "../../support/WindowEvents.h"

#include "ui/sheet/SheetInput.h"
#include "ui/sheet/SheetScrollView.h"

#include <QCoreApplication>

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

// A widget showing the sheet from its visible part's top: what the scroll area does.
class SheetWidget final : public QWidget {
public:
    explicit SheetWidget(InputRig& r)
        : host_(r.host),
          input(*this, r.host, r.pointer, r.input,
                [&r](QPointF p) { return Point{p.x(), p.y() + r.host.visibleRect().minY()}; },
                [&r](Point p) { return QPointF(p.x, p.y - r.host.visibleRect().minY()); }) {
        resize(800, 600);
    }
    SheetInput input;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride && input.shortcutOverride(static_cast<QKeyEvent*>(e))) return true;
        return QWidget::event(e);
    }
    void mousePressEvent(QMouseEvent* e) override { input.mousePress(e); }
    void mouseMoveEvent(QMouseEvent* e) override { input.mouseMove(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { input.mouseRelease(e); }
    void keyPressEvent(QKeyEvent* e) override {
        if (!input.keyPress(e)) QWidget::keyPressEvent(e);
    }
    void inputMethodEvent(QInputMethodEvent* e) override { input.inputMethod(e); }
    QVariant inputMethodQuery(Qt::InputMethodQuery q) const override { return input.inputMethodQuery(q); }

private:
    HostRecorder& host_;
};

// What the input method asks the focused widget, asked as the input method does.
QVariant query(QWidget& w, Qt::InputMethodQuery q) {
    QInputMethodQueryEvent e(q);
    QApplication::sendEvent(&w, &e);
    return e.value(q);
}

struct Rig {
    InputRig r;
    BlockItem a = paragraph(100), b = paragraph(200);
    NotebookModel& m;
    SheetWidget w{r};
    Rig() : m(r.open(notebookOf({{a, b}}))) {
        primeWords(m, a, {wordRun("The", 30, 120, 30), wordRun("entropy,", 70, 120, 60), wordRun("rises", 30, 150, 40)});
        primeWords(m, b, {wordRun("Heat", 30, 220, 40), wordRun("flows.", 80, 220, 50)});
        r.host.laid = handLayout({{0, 40, 600}});
        w.show();
        w.setFocus();
    }
    // A widget point over a page point (the visible part starts at the sheet's top).
    QPoint at(Point page) const {
        const Point s = r.sheet(0, page);
        return QPoint(int(s.x), int(s.y - r.host.visible.minY()));
    }
    const std::optional<SheetWords::Selection>& selection() { return w.input.pointer().selection(); }
};

// Lets a shown view lay itself out: a few turns of the event loop and of the rig's posted work.
void settle(ModelRig& rig) {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents();
        rig.scheduler().runPosted();
    }
}

}  // namespace

// A click (press and release) at a widget point and a time in milliseconds.
void click(QWidget& w, QPoint at, quint64 ms, Qt::KeyboardModifiers mods = {}) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, mods);
        e.setTimestamp(ms);
        QApplication::sendEvent(&w, &e);
    }
}

TEST(SheetInput, MouseClicksCountToThree) {
    Rig g;
    click(g.w, g.at({100, 115}), 10000);
    EXPECT_FALSE(g.selection());
    click(g.w, g.at({100, 115}), 10100);
    EXPECT_EQ(g.selection(), (SheetWords::Selection{{0, 1}, {0, 1}}));
    click(g.w, g.at({101, 116}), 10200);
    EXPECT_EQ(g.selection(), (SheetWords::Selection{{0, 0}, {0, 2}}));
    // Much later, a Shift-click extends.
    click(g.w, g.at({100, 215}), 12000, Qt::ShiftModifier);
    EXPECT_EQ(g.selection(), (SheetWords::Selection{{0, 0}, {0, 4}}));
    // Qt's own double click arrives as a second press, and is counted once.
    g.w.input.pointer().clearSelection();
    QTest::mouseDClick(&g.w, Qt::LeftButton, {}, g.at({100, 215}));
    EXPECT_EQ(g.selection(), (SheetWords::Selection{{0, 4}, {0, 4}}));
}

TEST(SheetInput, DraggingSelectsAndTheCursorFollows) {
    Rig g;
    QTest::mouseMove(&g.w, g.at({300, 400}));
    EXPECT_EQ(g.w.cursor().shape(), Qt::IBeamCursor);
    QTest::mouseMove(&g.w, QPoint(20, 300));
    EXPECT_EQ(g.w.cursor().shape(), Qt::ArrowCursor);
    QTest::mousePress(&g.w, Qt::LeftButton, {}, g.at({40, 115}), 1000);
    QMouseEvent move(QEvent::MouseMove, QPointF(g.at({100, 215})), QPointF(g.w.mapToGlobal(g.at({100, 215}))),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&g.w, &move);
    QTest::mouseRelease(&g.w, Qt::LeftButton, {}, g.at({100, 215}));
    EXPECT_EQ(g.selection(), (SheetWords::Selection{{0, 0}, {0, 4}}));
}

TEST(SheetInput, KeysTypeSendAndEscape) {
    Rig g;
    QTest::keyClicks(&g.w, "why");
    ASSERT_TRUE(g.m.editing.get());
    EXPECT_EQ(g.m.editing.get()->text, "why");
    QTest::keyClick(&g.w, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(g.m.editing.get()->text, "");
    QTest::keyClicks(&g.w, "how?");
    QTest::keyClick(&g.w, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(g.m.editing.get()->text, "how?\n");
    QTest::keyClick(&g.w, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(g.m.editing.get()) << "Ctrl+Return is the menu's";
    QTest::keyClick(&g.w, Qt::Key_Return);
    EXPECT_FALSE(g.m.editing.get());
    EXPECT_EQ(g.r.rig.tutor->asks, 1);
    QTest::keyClicks(&g.w, "no");
    QTest::keyClick(&g.w, Qt::Key_Escape);
    EXPECT_FALSE(g.m.editing.get());
    EXPECT_EQ(g.m.nb->pages[0].items.size(), 3u);
    // The space bar pages; Tab is not text.
    QTest::keyClick(&g.w, Qt::Key_Space);
    EXPECT_EQ(g.r.host.scrolls.size(), 1u);
    QTest::keyClick(&g.w, Qt::Key_Tab);
    EXPECT_FALSE(g.m.editing.get());
}

TEST(SheetInput, CompositionThroughTheInputMethod) {
    Rig g;
    EXPECT_TRUE(g.w.testAttribute(Qt::WA_InputMethodEnabled));
    QTest::keyClicks(&g.w, "a");
    QInputMethodEvent compose(QString::fromUtf8("\U0001D465"), {});
    QApplication::sendEvent(&g.w, &compose);
    EXPECT_EQ(g.m.editing.get()->text, "a\U0001D465");
    EXPECT_EQ(g.w.input.text().markedRange(), (SheetTextInput::Range{1, 2}));
    EXPECT_EQ(query(g.w, Qt::ImCursorPosition).toLongLong(), 3) << "UTF-16 units";
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\u00E9"));
    QApplication::sendEvent(&g.w, &commit);
    EXPECT_EQ(g.m.editing.get()->text, "a\u00E9");
    EXPECT_FALSE(g.w.input.text().hasMarkedText());
    // A cancelled composition leaves the note as it was.
    QInputMethodEvent again(QStringLiteral("k"), {});
    QApplication::sendEvent(&g.w, &again);
    QInputMethodEvent cancel;
    QApplication::sendEvent(&g.w, &cancel);
    EXPECT_EQ(g.m.editing.get()->text, "a\u00E9");
    const QRectF caret = query(g.w, Qt::ImCursorRectangle).toRectF();
    const Rect want = NotebookModel::caret(*g.m.editing.get());
    EXPECT_NEAR(caret.x(), 100 + want.minX(), 1e-9);
    EXPECT_NEAR(caret.height(), want.height(), 1e-9);
    EXPECT_EQ(caret.width(), 1);
}

TEST(SheetInput, CopySelectAllAndPasteOnTheirKeys) {
    Rig g;
    QTest::keyClick(&g.w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(g.r.host.clip);
    QTest::keyClick(&g.w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&g.w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(g.r.host.clip, "The entropy, rises\n\nHeat flows.");
    // An empty clipboard pastes nothing; 50,000 characters paste whole.
    g.r.host.clip = std::nullopt;
    QTest::keyClick(&g.w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_FALSE(g.m.editing.get());
    g.r.host.clip = std::string(50000, 'x');
    QTest::keyClick(&g.w, Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(g.m.editing.get());
    EXPECT_EQ(g.m.editing.get()->text.size(), 50000u);
}

TEST(SheetInput, TheContextMenuActsOnTheSelection) {
    Rig g;
    std::unique_ptr<QMenu> empty(g.w.input.menu(&g.w));
    ASSERT_EQ(empty->actions().size(), 1);
    EXPECT_EQ(empty->actions()[0]->text(), "Select All");
    g.w.input.pointer().menuAt(g.r.sheet(0, {100, 115}));
    std::unique_ptr<QMenu> menu(g.w.input.menu(&g.w));
    QStringList titles;
    for (QAction* a : menu->actions()) titles << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(titles, (QStringList{QString::fromUtf8("Ask About \u201Centropy\u201D"), "Explain", "Go Deeper", "-",
                                   "Copy", QString::fromUtf8("Look Up \u201Centropy\u201D"), "-", "Select All"}));
    menu->actions()[4]->trigger();
    EXPECT_EQ(g.r.host.clip, "entropy,");
    menu->actions()[0]->trigger();
    ASSERT_TRUE(g.m.editing.get());
    EXPECT_EQ(g.m.editing.get()->about, "entropy");
}

TEST(SheetInput, TheScrollViewHandsItsEventsToTheSheetsInput) {
    ModelRig rig;
    BlockItem a = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{a}}));
    primeInk(m, a, 100, 300);
    SheetScrollView view(rig.model, std::make_shared<SheetState>(), rig.store.scheduler);
    view.resize(900, 600);
    view.show();
    settle(rig);
    view.setFocus();
    EXPECT_TRUE(view.testAttribute(Qt::WA_InputMethodEnabled));
    QTest::keyClicks(&view, "hi");
    ASSERT_TRUE(m.editing.get());
    EXPECT_EQ(m.editing.get()->text, "hi");
    EXPECT_EQ(query(view, Qt::ImCursorPosition).toLongLong(), 2);
    QInputMethodEvent compose(QStringLiteral("k"), {});
    QApplication::sendEvent(&view, &compose);
    EXPECT_EQ(m.editing.get()->text, "hik");
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(m.editing.get());
    // A press on paper far beside the page opens nothing.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 300));
    EXPECT_FALSE(m.editing.get());
}

// The real view counts Qt's double-click events as presses: a double click selects the word,
// a triple its block.
TEST(SheetInput, DoubleAndTripleClicksThroughTheWindowSelectAWordThenItsBlock) {
    ModelRig rig;
    BlockItem a = paragraph(100), b = paragraph(200);
    NotebookModel& m = rig.open(notebookOf({{a, b}}));
    primeWords(m, a, {wordRun("The", 30, 120, 30), wordRun("entropy,", 70, 120, 60), wordRun("rises", 30, 150, 40)});
    primeWords(m, b, {wordRun("Heat", 30, 220, 40), wordRun("flows.", 80, 220, 50)});
    SheetScrollView view(rig.model, std::make_shared<SheetState>(), rig.store.scheduler);
    view.resize(900, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    settle(rig);
    const SheetLayout* layout = view.sheet().layout();
    ASSERT_TRUE(layout);
    // A page point as the window sees it.
    const auto at = [&](Point page) {
        const Rect s = *layout->view({page.x, page.y, 0, 0}, 0);
        return view.viewport()->mapTo(&view, QPoint(int(s.x), int(s.y - view.scrollPosition())));
    };
    const auto selection = [&] { return view.sheet().pointer().selection(); };
    QWindow* window = view.windowHandle();
    const int t = 1000000;  // far from any earlier click
    windowClick(window, at({100, 115}), t);
    EXPECT_FALSE(selection());
    windowClick(window, at({100, 115}), t + 150);
    EXPECT_EQ(selection(), (SheetWords::Selection{{0, 1}, {0, 1}}));
    windowClick(window, at({101, 116}), t + 300);
    EXPECT_EQ(selection(), (SheetWords::Selection{{0, 0}, {0, 2}}));
}

// A long address typed into a note wraps within the note's width instead of running past
// the page's edge: while it is typed, and once it is sent.
TEST(SheetInput, ALongRunTypedInANoteStaysWithinThePage) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    SheetScrollView view(rig.model, std::make_shared<SheetState>(), rig.store.scheduler);
    view.resize(900, 600);
    view.show();
    settle(rig);
    view.setFocus();
    const std::string address = "https://example.org/lessons/" + std::string(96, 'q') + "/end";
    QTest::keyClicks(&view, QString::fromStdString("see " + address));
    ASSERT_TRUE(m.editing.get());
    const NotebookModel::Editing note = *m.editing.get();
    EXPECT_EQ(note.text, "see " + address);
    const double right = note.x + note.width;
    EXPECT_GE(NotebookModel::editingHeight(note), 3 * NotebookModel::noteLineHeight);
    EXPECT_LE(NotebookModel::caret(note).maxX(), right + 2);
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_FALSE(m.editing.get());
    const PageItem& sent = m.nb->pages[0].items.back();
    ASSERT_TRUE(sent.text());
    EXPECT_LE(m.bounds(sent).maxX(), right + 4);  // the ink's own slack beyond its last letter
    EXPECT_LT(m.bounds(sent).maxX(), m.nb->pageW);
}
