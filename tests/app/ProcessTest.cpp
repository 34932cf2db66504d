// build/bin/nolby as a process, against the local gateway on a free port, with its data,
// settings and runtime folders private to the test; and build/bin/nolby-ink on a data folder
// this test's own store holds.

#include "AppTestSupport.h"
#include "library/Library.h"
#include "notebook/NotebookFile.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/FolderLock.h"
#include "support/Processes.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <set>
#include <thread>

using namespace nolby;

namespace {

namespace fs = std::filesystem;

// How a process that ran to its end ended.
struct Ended {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    std::string out, err;
};

struct Nolby {
    test::TestApp app;  // the gateway; its own library is not the process's
    test::TempFolder home;
    QProcess process;
    // Whether NOLBY_API names the test's gateway; without it the app looks for one at the
    // usual address and else starts its own.
    bool named = true;
    // Further variables for the process (set, or removed when empty).
    std::vector<std::pair<QString, QString>> variables;

    fs::path data() const { return home.path / "data" / "app.nolby.Nolby"; }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"data", "config", "runtime"}) fs::create_directories(home.path / folder);
        fs::permissions(home.path / "runtime", fs::perms::owner_all);
        env.insert("XDG_DATA_HOME", QString::fromStdString((home.path / "data").string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((home.path / "config").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((home.path / "runtime").string()));
        env.insert("HOME", QString::fromStdString(home.path.string()));
        if (named) env.insert("NOLBY_API", QString::fromStdString(app.served.base()));
        else env.remove("NOLBY_API");
        env.remove("ANTHROPIC_API_KEY");  // nothing of the machine's own reaches a model
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const auto& [name, value] : variables) {
            if (value.isEmpty()) env.remove(name);
            else env.insert(name, value);
        }
        return env;
    }
    void start(const QStringList& arguments) {
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationDirPath() + "/nolby", arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    // Another start on the same folders, run to its end.
    Ended run(const QStringList& arguments) const {
        QProcess later;
        later.setProcessEnvironment(environment());
        later.start(QCoreApplication::applicationDirPath() + "/nolby", arguments);
        Ended ended;
        if (!later.waitForFinished(30000)) return ended;
        ended.status = later.exitStatus();
        ended.code = later.exitCode();
        ended.out = later.readAllStandardOutput().toStdString();
        ended.err = later.readAllStandardError().toStdString();
        return ended;
    }
    // Whether the gateway has been asked for a tutor turn.
    bool asked() const {
        return !app.served.logOf("/v1/messages").empty();
    }
    // The gateways this app has started and that still run.
    std::vector<pid_t> ownGateways() const {
        return test::childrenNamed(static_cast<pid_t>(process.processId()), "nolby-gateway");
    }
    // Tutor blocks in the notebooks on disk.
    size_t blocksOnDisk() const {
        size_t n = 0;
        for (const std::string& name : Files::names(data() / "Notebooks"))
            if (auto bytes = Files::read(data() / "Notebooks" / name))
                if (auto notebook = NotebookFile::decode(*bytes).notebook)
                    for (const auto& page : notebook->pages)
                        for (const auto& item : page.items) n += item.block() ? 1 : 0;
        return n;
    }
    size_t notebookFiles() const {
        size_t n = 0;
        for (const std::string& name : Files::names(data() / "Notebooks")) n += fs::path(name).extension() == ".json";
        return n;
    }
    ~Nolby() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

}  // namespace

TEST(NolbyProcess, SigtermMidLessonLeavesTheNotebookWholeWithItsNote) {
    Nolby nolby;
    nolby.start({"--learn", "What is a fraction?"});
    // The note is written and the turn under way: saves are waiting on their debounce.
    QTRY_VERIFY_WITH_TIMEOUT(nolby.asked(), 30000);
    nolby.process.terminate();
    ASSERT_TRUE(nolby.process.waitForFinished(20000));
    EXPECT_EQ(nolby.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(nolby.process.exitCode(), 0);

    auto library = Library::make(nolby.data(), nolby.app.scheduler, nullptr, nullptr);
    EXPECT_TRUE(library->loadNotes().empty());
    ASSERT_EQ(library->notebooks->size(), 1u);
    const Notebook notebook = *library->notebook(library->notebooks->front().id);
    bool found = false;
    for (const auto& item : notebook.pages.front().items)
        found = found || (item.text() && item.text()->text == "What is a fraction?");
    EXPECT_TRUE(found);
    // No temporary left behind by a write cut short.
    for (const auto& entry : std::filesystem::directory_iterator(nolby.data() / "Notebooks"))
        EXPECT_EQ(entry.path().extension(), ".json") << entry.path();
}

TEST(NolbyProcess, ALaterStartHandsItsRequestToTheRunningOneAndNothingIsLost) {
    Nolby nolby;
    nolby.start({"--learn", "What is a fraction?"});
    QTRY_VERIFY_WITH_TIMEOUT(nolby.asked(), 30000);
    // A plain start and one asking for a new notebook: each hands its request over and ends,
    // opening nothing of its own on the folder.
    for (const QStringList& arguments : {QStringList{}, QStringList{"-open", "new"}}) {
        const Ended later = nolby.run(arguments);
        EXPECT_EQ(later.status, QProcess::NormalExit) << arguments.join(' ').toStdString();
        EXPECT_EQ(later.code, 0) << later.err;
    }
    EXPECT_EQ(nolby.process.state(), QProcess::Running);
    // The running one made the new notebook, numbered after the first.
    QTRY_COMPARE_WITH_TIMEOUT(nolby.notebookFiles(), size_t(2), 10000);
    std::set<int64_t> issues;
    for (const std::string& name : Files::names(nolby.data() / "Notebooks"))
        if (auto bytes = Files::read(nolby.data() / "Notebooks" / name))
            if (auto n = NotebookFile::decode(*bytes).notebook; n && n->issue) issues.insert(*n->issue);
    EXPECT_EQ(issues, (std::set<int64_t>{1, 2}));

    nolby.process.terminate();
    ASSERT_TRUE(nolby.process.waitForFinished(20000));
    EXPECT_EQ(nolby.process.exitCode(), 0);
    // The lesson's note is whole; the new notebook, left empty, went as empty ones do.
    auto library = Library::make(nolby.data(), nolby.app.scheduler, nullptr, nullptr);
    ASSERT_EQ(library->notebooks->size(), 1u);
    const Notebook lesson = *library->notebook(library->notebooks->front().id);
    EXPECT_EQ(lesson.issue, 1);
    bool noteKept = false;
    for (const auto& item : lesson.pages.front().items)
        noteKept = noteKept || (item.text() && item.text()->text == "What is a fraction?");
    EXPECT_TRUE(noteKept);
}

TEST(NolbyProcess, AStartFindingTheFolderHeldByOneThatDoesNotAnswerOpensNothing) {
    Nolby nolby;
    fs::create_directories(nolby.data());
    auto held = FolderLock::take(nolby.data());  // as by an instance hung before it opened its door
    ASSERT_EQ(held->state(), FolderLock::State::held);
    const Ended later = nolby.run({"-open", "new"});
    EXPECT_EQ(later.status, QProcess::NormalExit);
    EXPECT_EQ(later.code, 1);
    EXPECT_NE(later.err.find("nolby: another Nolby holds the data folder " + nolby.data().string() +
                             " and does not answer; nothing was opened"),
              std::string::npos)
        << later.err;
    EXPECT_EQ(nolby.notebookFiles(), 0u);
}

TEST(NolbyProcess, ASaveRacingAnotherProcesssLoadIsNeverLost) {
    using Step = AtomicFile::Step;
    test::TempFolder data;
    auto scheduler = std::make_shared<ManualScheduler>();
    auto library = Library::make(data.path, scheduler, nullptr, nullptr);  // holds the folder
    ASSERT_TRUE(library->owner());
    Notebook unnumbered;
    unnumbered.title = "unnumbered";
    ASSERT_TRUE(AtomicFile::write(library->dir / NotebookFile::fileName(unnumbered.id), NotebookFile::encode(unnumbered)));
    Notebook n;
    n.title = "written while another loads";
    n.issue = 1;
    library->save(n, true);

    // The write stops half-way: its temporary is on the disk, the rename still to come.
    std::atomic<int> phase{0};
    AtomicFile::setStepHook([&](Step step, const fs::path&) {
        if (step != Step::written) return;
        phase = 1;
        while (phase != 2) std::this_thread::yield();
    });
    std::thread writer([&] { scheduler->runBackground(0); });
    while (phase != 1) std::this_thread::yield();

    // Meanwhile another process loads the folder: it only reads.
    QProcess ink;
    ink.start(QCoreApplication::applicationDirPath() + "/nolby-ink",
              {"library", "--data", QString::fromStdString(data.path.string())});
    const bool inkEnded = ink.waitForFinished(30000);
    size_t temporaries = 0;
    for (const std::string& name : Files::names(library->dir)) temporaries += AtomicFile::isTemporary(name);
    EXPECT_EQ(temporaries, 1u);  // the write's own, left alone
    phase = 2;
    writer.join();
    AtomicFile::setStepHook(nullptr);
    ASSERT_TRUE(inkEnded);
    EXPECT_EQ(ink.exitCode(), 0);
    const std::string out = ink.readAllStandardOutput().toStdString();
    EXPECT_EQ(out.substr(0, out.find('\n')),
              "read only: a running Nolby holds this folder; nothing was numbered, saved or cleared");
    EXPECT_NE(out.find("issue -  \"unnumbered\""), std::string::npos) << out;

    scheduler->drain();
    EXPECT_TRUE(library->unsaved->empty());
    auto onDisk = [&](const Uuid& id) {
        return NotebookFile::decode(*Files::read(library->dir / NotebookFile::fileName(id))).notebook;
    };
    EXPECT_EQ(onDisk(n.id)->title, "written while another loads");
    EXPECT_EQ(onDisk(unnumbered.id)->issue, std::nullopt);
    for (const std::string& name : Files::names(library->dir)) EXPECT_FALSE(AtomicFile::isTemporary(name)) << name;
}

// Without NOLBY_API and with nobody at the usual address, the app starts a gateway of its own,
// which answers the lesson, and never outlives the app: not after SIGTERM, when the app stops
// it, nor after SIGKILL, when it is told to end as the app dies. The model's key goes to it.
TEST(NolbyProcess, StartsAGatewayOfItsOwnThatNeverOutlivesIt) {
    struct Case {
        const char* name;
        bool answered;  // wait for the lesson's answer first
        int signal;
    };
    for (const Case& c : {Case{"SIGTERM", true, SIGTERM}, Case{"SIGKILL", false, SIGKILL}}) {
        SCOPED_TRACE(c.name);
        Nolby nolby;
        nolby.named = false;
        if (!c.answered) {
            // The key goes to the gateway, whose model is nowhere: nothing leaves the machine.
            nolby.variables = {{"ANTHROPIC_API_KEY", "sk-test-only-for-the-gateway"},
                               {"NOLBY_UPSTREAM", QString::fromStdString(test::unusedBase())}};
        }
        nolby.start({"--learn", "What is a fraction?", "-gateway-at", QString::fromStdString(test::unusedBase())});
        QTRY_VERIFY_WITH_TIMEOUT(nolby.ownGateways().size() == 1, 30000);
        const pid_t gateway = nolby.ownGateways().front();
        if (c.answered) {
            QTRY_VERIFY_WITH_TIMEOUT(nolby.blocksOnDisk() > 0, 60000);
            EXPECT_FALSE(nolby.asked());  // the test's own gateway, at no address given, was never used
        } else {
            EXPECT_NE(test::environmentOf(gateway).find("\nANTHROPIC_API_KEY=sk-test-only-for-the-gateway\n"),
                      std::string::npos);
        }
        ::kill(static_cast<pid_t>(nolby.process.processId()), c.signal);
        ASSERT_TRUE(nolby.process.waitForFinished(20000));
        if (c.signal == SIGTERM) {
            EXPECT_EQ(nolby.process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(nolby.process.exitCode(), 0);
        }
        EXPECT_TRUE(test::waitGone(gateway));
    }
}

// A gateway already answering at the usual address is used as it is: none is started.
TEST(NolbyProcess, AGatewayAnsweringAtTheUsualAddressIsUsedAndNoneStarted) {
    Nolby nolby;
    nolby.named = false;
    nolby.start({"--learn", "What is a fraction?", "-gateway-at", QString::fromStdString(nolby.app.served.base())});
    QTRY_VERIFY_WITH_TIMEOUT(nolby.asked(), 30000);
    EXPECT_TRUE(nolby.ownGateways().empty());
    nolby.process.terminate();
    ASSERT_TRUE(nolby.process.waitForFinished(20000));
    EXPECT_EQ(nolby.process.exitCode(), 0);
}
