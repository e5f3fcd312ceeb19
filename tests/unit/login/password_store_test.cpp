// password_store_test.cpp: the password file's read rules, the safe replace, and the portable file port.
#include "common/login/password_store.h"
#include "portable/password_files_portable.h"
#include "tests/fakes/fake_password_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace lt::login;
using namespace lt::test;

namespace {

const std::string kStore = "C:\\windows\\Password.dat";

struct PasswordStoreTest : ::testing::Test {
    FakePasswordFiles files;
    FakeSystemPaths system;
    PasswordStore store{files, system};
    LoginState state;
};

}  // namespace

TEST_F(PasswordStoreTest, opensTheExistingFileOrCreatesAnEmptyHiddenOne) {
    EXPECT_EQ(store.path(), kStore);
    ASSERT_TRUE(store.open(state));
    ASSERT_TRUE(files.exists(kStore));
    EXPECT_TRUE(files.files[kStore].hidden);
    EXPECT_EQ(files.files[kStore].bytes, "");
    EXPECT_FALSE(store.read(state));  // an empty store holds no password
    store.close(state);
    EXPECT_EQ(files.openHandles(), 0);
    EXPECT_EQ(files.calls, (std::vector<std::string>{"open " + kStore, "create-new " + kStore}));
}

TEST_F(PasswordStoreTest, readsAtMostTenBytesUpToAZeroByte) {
    struct Case { std::string bytes; bool holds; std::string password; };
    const Case cases[] = {
        {"abcd", true, "abcd"},
        {"abcdefghij", true, "abcdefghij"},
        {"abcdefghijklmn", true, "abcdefghij"},
        {std::string("ab\0cd", 5), true, "ab"},
        {std::string("\0abcd", 5), false, ""},  // would lock both programs out for good
        {"", false, ""},
        {"x", true, "x"},
    };
    for (const auto& c : cases) {
        files.files[kStore] = FakeFile{c.bytes, true, 0};
        ASSERT_TRUE(store.open(state));
        EXPECT_EQ(store.read(state), c.holds) << c.password;
        EXPECT_EQ(state.expectedPassword, c.password);
        store.close(state);
    }
}

TEST_F(PasswordStoreTest, aFailedReadHoldsNoPassword) {
    files.files[kStore] = FakeFile{"abcd", true, 0};
    files.failReads = true;
    ASSERT_TRUE(store.open(state));
    EXPECT_FALSE(store.read(state));
}

TEST_F(PasswordStoreTest, cannotOpenTheStoreWhileAnotherProgramHoldsIt) {
    files.files[kStore] = FakeFile{"abcd", true, 0};
    LoginState other;
    ASSERT_TRUE(store.open(other));
    EXPECT_FALSE(store.open(state));
    EXPECT_EQ(state.store, nullptr);
    store.close(other);
    EXPECT_TRUE(store.open(state));
}

TEST_F(PasswordStoreTest, replaceWritesBesideAndRenamesOverKeepingTheStoreOpen) {
    files.files[kStore] = FakeFile{"oldpw", true, 0};
    ASSERT_TRUE(store.open(state));
    state.expectedPassword = "abcd";
    ASSERT_TRUE(store.replace(state));
    EXPECT_EQ(files.files[kStore].bytes, "abcd");
    EXPECT_TRUE(files.files[kStore].hidden);
    EXPECT_FALSE(files.exists(kStore + ".new"));
    EXPECT_NE(state.store, nullptr);
    EXPECT_EQ(files.openHandles(), 1);
}

TEST_F(PasswordStoreTest, aFailedReplaceLeavesTheOldPasswordInTheFile) {
    struct Case { const char* what; bool failWrites, failReplace, failCreate, otherHolder; };
    const Case cases[] = {
        {"write fails half-way", true, false, false, false},
        {"rename fails", false, true, false, false},
        {"file beside cannot be made", false, false, true, false},
        {"another program holds the store", false, false, false, true},
    };
    for (const auto& c : cases) {
        FakePasswordFiles fresh;
        fresh.files[kStore] = FakeFile{"oldpw", true, 0};
        PasswordStore s(fresh, system);
        LoginState mine, other;
        if (c.otherHolder) {
            ASSERT_TRUE(s.open(other));
        }
        fresh.failWrites = c.failWrites;
        fresh.failReplace = c.failReplace;
        fresh.failCreate = c.failCreate;
        mine.expectedPassword = "abcd";
        EXPECT_FALSE(s.replace(mine)) << c.what;
        EXPECT_EQ(fresh.files[kStore].bytes, "oldpw") << c.what;
        EXPECT_FALSE(fresh.exists(kStore + ".new")) << c.what;
    }
}

TEST(PortablePasswordFiles, keepsTheShareModeAndReplacesInOneStep) {
    TempDir dir;
    PortablePasswordFiles files;
    const std::string path = dir.file("Password.dat");
    EXPECT_EQ(files.openExisting(path), nullptr);
    auto created = files.createNew(path);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(files.createNew(path), nullptr);       // exists
    EXPECT_EQ(files.openExisting(path), nullptr);    // held open
    const uint8_t bytes[] = {'a', 'b', 'c', 'd'};
    EXPECT_TRUE(created->write(bytes));
    EXPECT_FALSE(files.remove(path));
    created.reset();

    auto beside = files.createAlways(path + ".new");
    const uint8_t next[] = {'w', 'x', 'y', 'z', '1'};
    ASSERT_TRUE(beside->write(next));
    EXPECT_FALSE(files.replace(path + ".new", path));  // the new file is still open
    beside.reset();
    auto holder = files.openExisting(path);
    EXPECT_FALSE(files.replace(path + ".new", path));  // the store is held open
    holder.reset();
    ASSERT_TRUE(files.replace(path + ".new", path));

    auto reader = files.openExisting(path);
    ASSERT_NE(reader, nullptr);
    uint8_t buffer[10] = {};
    std::size_t got = 0;
    ASSERT_TRUE(reader->read(buffer, got));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), "wxyz1");
    reader.reset();
    EXPECT_TRUE(files.remove(path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PortablePasswordFiles, servesThePasswordStoreThroughABackslashPath) {
    TempDir dir;
    PortablePasswordFiles files;
    FakeSystemPaths system;
    system.windows = dir.path().string();
    PasswordStore store(files, system);
    LoginState state;
    ASSERT_TRUE(store.open(state));
    state.expectedPassword = "abcdefghij";
    ASSERT_TRUE(store.replace(state));
    store.close(state);
    std::ifstream in(dir.path() / "Password.dat", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "abcdefghij");
}
