#include "platform/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace muralto {
namespace {

const RegistryRoot HKCU = RegistryRoot::CurrentUser;

class RegistryTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir / "registry.db";
};

TEST_F(RegistryTest, NamesIgnoreCaseButKeepIt) {
    Registry r(path);
    r.WriteInteger(HKCU, "Software\\Test", "Minute", 15);
    EXPECT_TRUE(r.KeyExists(HKCU, "SOFTWARE\\test"));
    ASSERT_TRUE(r.ReadValue(HKCU, "software\\TEST", "MINUTE"));
    EXPECT_EQ(r.ReadValue(HKCU, "software\\TEST", "MINUTE")->AsInteger(), 15);
    r.WriteInteger(HKCU, "SOFTWARE\\TEST", "minute", 30); // the same value
    const auto values = r.Values(HKCU, "Software\\Test");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Minute");
    EXPECT_EQ(values[0].AsInteger(), 30);
    EXPECT_EQ(r.SubKeys(HKCU, "Software"), (std::vector<std::string>{"Test"}));
    EXPECT_FALSE(r.KeyExists(RegistryRoot::LocalMachine, "Software\\Test"));
}

TEST_F(RegistryTest, ValuesInCreationOrderSubkeysInNameOrder) {
    Registry r(path);
    for (const char* name : {"Zeta", "alpha", "Mid"})
        r.WriteValue(HKCU, "K", name, ValueType::String, name);
    r.WriteValue(HKCU, "K", "ALPHA", ValueType::String, "again"); // keeps its place
    std::vector<std::string> names;
    for (const auto& v : r.Values(HKCU, "K"))
        names.push_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    for (const char* sub : {"b", "C", "a"})
        r.CreateKey(HKCU, std::string("K\\") + sub);
    EXPECT_EQ(r.SubKeys(HKCU, "K"), (std::vector<std::string>{"a", "b", "C"}));
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
    Registry r(path);
    r.WriteValue(HKCU, "A\\B\\C", "v", ValueType::Binary, std::string("\x01\x00", 2));
    r.WriteValue(HKCU, "A", "keep", ValueType::String, "x");
    EXPECT_FALSE(r.DeleteValue(HKCU, "A", "missing"));
    EXPECT_TRUE(r.DeleteKey(HKCU, "A\\B"));
    EXPECT_FALSE(r.KeyExists(HKCU, "A\\B\\C"));
    EXPECT_TRUE(r.ReadValue(HKCU, "A", "keep"));
    EXPECT_FALSE(r.DeleteKey(HKCU, "A\\B"));
    EXPECT_TRUE(r.DeleteValue(HKCU, "A", "KEEP"));
    EXPECT_TRUE(r.Values(HKCU, "A").empty());
}

TEST_F(RegistryTest, TransactionWithoutCommitLeavesNothing) {
    Registry r(path);
    {
        Registry::Transaction t(r);
        r.WriteInteger(HKCU, "T", "a", 1);
    }
    EXPECT_FALSE(r.ReadValue(HKCU, "T", "a"));
}

TEST_F(RegistryTest, DamagedFileIsReportedAndLeftAlone) {
    const std::string garbage(8192, '\x5A');
    test::WriteFile(path, garbage);
    try {
        Registry r(path);
        FAIL();
    } catch (const RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("move it aside"), std::string::npos);
    }
    EXPECT_EQ(test::ReadFile(path), garbage);
}

// Two processes writing at once lose nothing; each reads what the other wrote.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    { Registry create(path); }
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            int status = 0;
            try {
                Registry r(path);
                for (int i = 0; i < 1000; ++i)
                    r.WriteInteger(HKCU, "Shared\\P" + std::to_string(c), "v" + std::to_string(i),
                                   i);
            } catch (...) {
                status = 1;
            }
            _exit(status);
        }
    }
    for (pid_t child : children) {
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry r(path);
    EXPECT_EQ(r.Values(HKCU, "Shared\\P0").size(), 1000u);
    EXPECT_EQ(r.Values(HKCU, "Shared\\P1").size(), 1000u);
    EXPECT_EQ(r.ReadValue(HKCU, "Shared\\P1", "v999")->AsInteger(), 999);
}

} // namespace
} // namespace muralto
