// build/bin/nolby as a process, against the local gateway on a free port, with its data,
// settings and runtime folders private to the test.

#include "AppTestSupport.h"
#include "model/Library.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <filesystem>

using namespace nolby;

namespace {

struct Nolby {
    test::TestApp app;  // the gateway; its own library is not the process's
    test::TempFolder home;
    QProcess process;

    std::filesystem::path data() const { return home.path / "data" / "app.nolby.Nolby"; }

    void start(const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"data", "config", "runtime"}) std::filesystem::create_directories(home.path / folder);
        std::filesystem::permissions(home.path / "runtime", std::filesystem::perms::owner_all);
        env.insert("XDG_DATA_HOME", QString::fromStdString((home.path / "data").string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((home.path / "config").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((home.path / "runtime").string()));
        env.insert("HOME", QString::fromStdString(home.path.string()));
        env.insert("NOLBY_API", QString::fromStdString(app.served.base()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationDirPath() + "/nolby", arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    // Whether the gateway has been asked for a tutor turn.
    bool asked() const {
        return !app.served.logOf("/v1/messages").empty();
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
    const Notebook& notebook = library->notebooks->front();
    bool found = false;
    for (const auto& item : notebook.pages.front().items)
        found = found || (item.text() && item.text()->text == "What is a fraction?");
    EXPECT_TRUE(found);
    // No temporary left behind by a write cut short.
    for (const auto& entry : std::filesystem::directory_iterator(nolby.data() / "Notebooks"))
        EXPECT_EQ(entry.path().extension(), ".json") << entry.path();
}
