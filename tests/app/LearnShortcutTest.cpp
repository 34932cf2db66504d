// The Learn shortcut: the line a second `nolby --learn` sends (headless), and a second
// process's hand-off reaching the first instance's server, played in-process by a client on
// its own thread and the server on the main thread's event loop.
#include "app/LearnLine.h"
#include "app/LearnShortcut.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

namespace nolby {
namespace {

using State = LearnLine::Read::State;

TEST(LearnLine, TopicIsTrimmedAndABlankOneIsNone) {
    struct Case {
        std::string text;
        std::optional<std::string> topic;
    };
    const Case cases[] = {
        {"photosynthesis", "photosynthesis"},
        {"  why is the sky blue? \n", "why is the sky blue?"},
        {"\t\n  ", std::nullopt},
        {"", std::nullopt},
        {"\u00a0Fourier\u2003", "Fourier"},  // no-break and em spaces are white space too
    };
    for (const auto& c : cases) EXPECT_EQ(LearnLine::topic(c.text), c.topic) << '"' << c.text << '"';
}

using Request = LearnLine::Request;
using Kind = LearnLine::Request::Kind;

TEST(LearnLine, EncodedRequestsReadBack) {
    struct Case {
        Request sent;
        Request read;
    };
    const Case cases[] = {
        {{Kind::learn, "derivatives"}, {Kind::learn, "derivatives"}},
        {{Kind::learn, "two\nlines"}, {Kind::learn, "two lines"}},
        {{Kind::learn, "  spaced  "}, {Kind::learn, "spaced"}},
        {{Kind::learn, "   "}, {Kind::learn, ""}},  // taken, and begins nothing
        {{Kind::learn, "λ-calculus ∘ 猫"}, {Kind::learn, "λ-calculus ∘ 猫"}},
        {{Kind::open, "title:tides and moons"}, {Kind::open, "title:tides and moons"}},
        {{Kind::open, "newest"}, {Kind::open, "newest"}},
        {{Kind::open, " "}, {Kind::show, ""}},  // opening nothing is coming forward
        {{Kind::show, "ignored"}, {Kind::show, ""}},
    };
    for (const auto& c : cases) {
        const std::string line = LearnLine::encode(c.sent);
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(LearnLine::decode(line), (LearnLine::Read{State::line, c.read})) << line;
    }
}

TEST(LearnLine, ALongTopicIsCutAtACharacterAndStillFitsOneLine) {
    std::string topic;
    while (topic.size() < 3 * LearnLine::kMaxLine) topic += "é";  // two bytes each, misaligned below
    topic = "x" + topic;
    const std::string line = LearnLine::encode({Kind::learn, topic});
    EXPECT_LE(line.size(), LearnLine::kMaxLine);
    const auto read = LearnLine::decode(line);
    ASSERT_EQ(read.state, State::line);
    EXPECT_EQ(read.request->text.size() % 2, 1u);  // "x" and whole "é"s only
}

TEST(LearnLine, GarbageIsRecognisedAndPartialLinesWait) {
    struct Case {
        std::string bytes;
        State state;
    };
    const Case cases[] = {
        {"learn half a top", State::waiting},
        {"", State::waiting},
        {std::string(LearnLine::kMaxLine, 'a'), State::garbage},        // no line feed in a whole line's room
        {"learn " + std::string(LearnLine::kMaxLine, 'a') + "\n", State::garbage},
        {"learn " + std::string(LearnLine::kMaxLine - 7, 'a') + "\n", State::line},
        {"learn bad \xff\xfe utf-8\n", State::garbage},
        {std::string("learn null \0 inside\n", 20), State::garbage},
        {"learn escape \x1b[2J\n", State::garbage},
        {"learn windows line\r\n", State::line},
        {"show\nmore after", State::line},  // one line is read; the rest is never looked at
        {"teach me this\n", State::garbage},  // not a request
        {"show me\n", State::garbage},
        {"learn\n", State::line},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LearnLine::decode(c.bytes).state, c.state) << ::testing::PrintToString(c.bytes);
}

TEST(LearnLine, SocketLivesInTheRuntimeFolder) {
    EXPECT_EQ(LearnLine::socketPath("/run/user/1000", 1000), "/run/user/1000/nolby-learn");
    EXPECT_EQ(LearnLine::socketPath(nullptr, 1000, "/tmp"), "/tmp/nolby-learn-1000");
    EXPECT_EQ(LearnLine::socketPath("", 7, "/var/tmp"), "/var/tmp/nolby-learn-7");
    EXPECT_EQ(LearnLine::socketPath("relative", 7, "/tmp"), "/tmp/nolby-learn-7");
}

// ---- The server and a second process's hand-off ----

class LearnShortcutTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("nolby-learn"); }

    // Hands the request over from another thread while the main thread serves.
    LearnShortcut::HandOff handOffFromAnotherThread(const Request& request) {
        auto result = std::async(std::launch::async, [&] { return LearnShortcut::handOff(request, path()); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
        return result.get();
    }
    bool learnFromAnotherThread(const std::string& topic) {
        return handOffFromAnotherThread({Kind::learn, topic}) == LearnShortcut::HandOff::taken;
    }

    // Sends raw bytes as a misbehaving sender would, then lets the server see them.
    void sendRaw(const QByteArray& bytes, bool thenClose) {
        QLocalSocket socket;
        socket.connectToServer(path());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(bytes);
        socket.flush();
        QTest::qWait(50);
        if (thenClose) socket.disconnectFromServer();
        QTest::qWait(50);
    }
};

TEST_F(LearnShortcutTest, ASecondLearnReachesTheFirstInstance) {
    LearnShortcut first(path());
    ASSERT_TRUE(first.listen());
    std::vector<std::string> topics;
    first.onLearn = [&](const std::string& t) { topics.push_back(t); };
    QStringList signalled;
    QObject::connect(&first, &LearnShortcut::learn, [&](const QString& t) { signalled << t; });

    EXPECT_TRUE(learnFromAnotherThread("  the French Revolution \n"));
    EXPECT_TRUE(learnFromAnotherThread("entropy"));
    EXPECT_EQ(topics, (std::vector<std::string>{"the French Revolution", "entropy"}));
    EXPECT_EQ(signalled, (QStringList{"the French Revolution", "entropy"}));
}

TEST_F(LearnShortcutTest, ABlankTopicIsTakenButMakesNothing) {
    LearnShortcut first(path());
    ASSERT_TRUE(first.listen());
    int learned = 0, reached = 0;
    first.onLearn = [&](const std::string&) { ++learned; };
    QObject::connect(&first, &LearnShortcut::reached, [&] { ++reached; });

    EXPECT_TRUE(learnFromAnotherThread("   "));
    EXPECT_TRUE(learnFromAnotherThread(""));
    EXPECT_EQ(learned, 0);
    EXPECT_EQ(reached, 2);
}

TEST_F(LearnShortcutTest, OpenAndShowRequestsReachTheFirstInstance) {
    LearnShortcut first(path());
    ASSERT_TRUE(first.listen());
    std::vector<std::string> opened;
    int learned = 0, reached = 0;
    first.onOpen = [&](const std::string& n) { opened.push_back(n); };
    first.onLearn = [&](const std::string&) { ++learned; };
    QObject::connect(&first, &LearnShortcut::reached, [&] { ++reached; });

    EXPECT_EQ(handOffFromAnotherThread({Kind::open, "newest"}), LearnShortcut::HandOff::taken);
    EXPECT_EQ(handOffFromAnotherThread({Kind::show, ""}), LearnShortcut::HandOff::taken);
    EXPECT_EQ(opened, (std::vector<std::string>{"newest"}));
    EXPECT_EQ(learned, 0);
    EXPECT_EQ(reached, 2);
}

TEST_F(LearnShortcutTest, NobodyListeningAndSomethingThatNeverAnswersAreToldApart) {
    EXPECT_EQ(LearnShortcut::handOff({Kind::learn, "entropy"}, path(), 300, 300), LearnShortcut::HandOff::nobody);
    // A socket whose owner accepts the connection but never reads (an instance hung at start).
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(path()));
    EXPECT_EQ(LearnShortcut::handOff({Kind::learn, "entropy"}, path(), 300, 300), LearnShortcut::HandOff::silent);
}

TEST_F(LearnShortcutTest, GarbageOnTheSocketIsIgnoredAndTheServerStillServes) {
    LearnShortcut first(path());
    ASSERT_TRUE(first.listen());
    std::vector<std::string> topics;
    first.onLearn = [&](const std::string& t) { topics.push_back(t); };

    sendRaw("\xff\xfe\xfd not text\n", true);
    sendRaw(QByteArray(3 * LearnLine::kMaxLine, 'z'), true);  // no line, far too long
    sendRaw("half a line and then silence", true);
    sendRaw(QByteArray("nul\0byte\n", 9), true);
    EXPECT_TRUE(topics.empty());

    EXPECT_TRUE(learnFromAnotherThread("still here"));
    EXPECT_EQ(topics, (std::vector<std::string>{"still here"}));
}

TEST_F(LearnShortcutTest, ASocketLeftByAnInstanceThatDiedIsReplaced) {
    {
        // A file standing where the socket goes, as a crashed instance leaves it.
        QFile stale(path());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    LearnShortcut first(path());
    EXPECT_TRUE(first.listen());
    std::vector<std::string> topics;
    first.onLearn = [&](const std::string& t) { topics.push_back(t); };
    EXPECT_TRUE(learnFromAnotherThread("recovered"));
    EXPECT_EQ(topics, (std::vector<std::string>{"recovered"}));
}

TEST_F(LearnShortcutTest, ASecondInstanceDoesNotTakeTheSocketOfALiveOne) {
    LearnShortcut first(path());
    ASSERT_TRUE(first.listen());
    LearnShortcut second(path());
    EXPECT_FALSE(second.listen());
    EXPECT_TRUE(first.listening());
}

TEST(LearnShortcutDialog, AsksWhatToLearnAndTrimsTheAnswer) {
    struct Case {
        QString typed;
        bool accept;
        std::optional<std::string> topic;
    };
    const Case cases[] = {
        {"  quaternions ", true, "quaternions"},
        {"   ", true, std::nullopt},
        {"quaternions", false, std::nullopt},
    };
    for (const auto& c : cases) {
        QString label;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            label = dialog->labelText();
            dialog->setTextValue(c.typed);
            c.accept ? dialog->accept() : dialog->reject();
        });
        EXPECT_EQ(LearnShortcut::askForTopic(), c.topic) << c.typed.toStdString();
        EXPECT_EQ(label, "What would you like to learn?");
    }
}

}  // namespace
}  // namespace nolby
