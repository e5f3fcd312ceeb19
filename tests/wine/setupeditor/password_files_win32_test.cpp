// password_files_win32_test.cpp: the Win32 password file port: share mode, hidden attribute, replace in one step.
#include "common/login/password_store.h"
#include "tests/wine/support/driver.h"
#include "win32/password_files_win32.h"
#include "win32/system_paths_win32.h"

#include <gtest/gtest.h>

using namespace lt;

namespace {

struct PasswordFilesWin32Test : ::testing::Test {
    void SetUp() override { wine::cleanSharedFiles(); }
    void TearDown() override { wine::cleanSharedFiles(); }
    win32::PasswordFilesWin32 files;
    win32::SystemPathsWin32 system;
    std::string path = wine::sharedFile("Password.dat");
};

}  // namespace

TEST_F(PasswordFilesWin32Test, createsHiddenFilesSharedForReadingOnly) {
    auto created = files.createNew(path);
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(wine::isHidden(path));
    EXPECT_EQ(files.createNew(path), nullptr);
    EXPECT_EQ(files.openExisting(path), nullptr);  // read and write asked, only reading shared
    const uint8_t bytes[] = {'a', 'b', 'c', 'd'};
    ASSERT_TRUE(created->write(bytes));
    EXPECT_FALSE(files.remove(path));
    created.reset();
    EXPECT_EQ(wine::readFile(path), std::string("abcd"));
}

TEST_F(PasswordFilesWin32Test, theStoreReplacesItsFileInOneStepKeepingItHidden) {
    login::PasswordStore store(files, system);
    login::LoginState state;
    ASSERT_TRUE(store.open(state));
    state.expectedPassword = "first";
    ASSERT_TRUE(store.replace(state));
    store.close(state);
    state.expectedPassword = "second12";
    ASSERT_TRUE(store.replace(state));
    store.close(state);
    EXPECT_EQ(wine::readFile(path), std::string("second12"));
    EXPECT_TRUE(wine::isHidden(path));
    EXPECT_FALSE(wine::fileExists(path + ".new"));

    // Another program holding the store: the save fails and the file keeps its password.
    login::LoginState other;
    ASSERT_TRUE(store.open(other));
    state.expectedPassword = "third";
    EXPECT_FALSE(store.replace(state));
    store.close(other);
    EXPECT_EQ(wine::readFile(path), std::string("second12"));
    EXPECT_FALSE(wine::fileExists(path + ".new"));
}
