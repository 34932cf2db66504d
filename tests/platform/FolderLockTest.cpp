#include "platform/FolderLock.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace nolby;

TEST(FolderLock, OneHolderAtATimeAndTheLockEndsWithItsHolder) {
    test::TempFolder dir;
    auto first = FolderLock::take(dir.path);
    EXPECT_EQ(first->state(), FolderLock::State::held);
    EXPECT_TRUE(first->owns());
    auto second = FolderLock::take(dir.path);
    EXPECT_EQ(second->state(), FolderLock::State::busy);
    EXPECT_FALSE(second->owns());

    // Another process finds it busy too, and a process that ends, however it ends, lets go.
    const pid_t child = fork();
    if (child == 0) _exit(FolderLock::take(dir.path)->state() == FolderLock::State::busy ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    first.reset();
    const pid_t holder = fork();
    if (holder == 0) {
        auto lock = FolderLock::take(dir.path);
        ::kill(::getpid(), SIGKILL);  // dies holding it
    }
    waitpid(holder, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(FolderLock::take(dir.path)->state(), FolderLock::State::held);
    EXPECT_TRUE(std::filesystem::exists(dir.path / FolderLock::fileName));
}

TEST(FolderLock, AFolderWithoutALockFileToOpenHasNoHolder) {
    test::TempFolder dir;
    auto lock = FolderLock::take(dir.path / "missing");
    EXPECT_EQ(lock->state(), FolderLock::State::absent);
    EXPECT_TRUE(lock->owns());
}
