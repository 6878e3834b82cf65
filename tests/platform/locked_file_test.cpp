#include "platform/locked_file.h"
#include "support/held_lock.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using namespace k740;

// Another process holds the lock: the wait ends, saying so, instead of
// holding the program up for as long as the lock is held.
TEST(LockedFile, GivesUpOnALockHeldElsewhereAfterTheWait)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("K740.INI");
    HeldLock other(path);
    ASSERT_TRUE(other.held());
    for (const TLockMode mode : {TLockMode::Read, TLockMode::Edit}) {
        TLockedFile file(path, mode, 100);
        EXPECT_FALSE(file.isOpen());
        EXPECT_TRUE(file.lockedElsewhere());
    }
    // A lock let go within the wait is taken.
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.release();
    });
    TLockedFile file(path, TLockMode::Edit, 5000);
    letGo.join();
    EXPECT_TRUE(file.isOpen());
    EXPECT_FALSE(file.lockedElsewhere());
}
