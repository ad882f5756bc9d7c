#include "platform/Registry.h"

#include <string>
#include <tuple>
#include <vector>

#include "gtest/gtest.h"
#include "platform/Faults.h"
#include "platform/RegistryFixture.h"

namespace tq {
namespace {

std::vector<std::string> SubKeys(const CRegKey& key) {
    std::vector<std::string> names;
    std::string name;
    while (key.EnumKey(static_cast<uint32_t>(names.size()), name) == ERROR_SUCCESS) {
        names.push_back(name);
    }
    return names;
}

TEST_F(RegistryTest, KeyPathRules) {
    const std::string k255(255, 'k');
    std::string kana255;
    for (int i = 0; i < 255; ++i) {
        kana255 += "\x83\x41";  // "ア"
    }
    // path, answer, subkeys of the test key afterwards
    const std::tuple<std::string, int32_t, std::vector<std::string>> cases[] = {
        {"Trailing\\", ERROR_SUCCESS, {"Trailing"}},
        {k255, ERROR_SUCCESS, {k255}},
        {k255 + "k", ERROR_INVALID_PARAMETER, {}},
        {kana255, ERROR_SUCCESS, {kana255}},       // characters count, not bytes
        {"Bad\x81", ERROR_INVALID_PARAMETER, {}},  // lead byte at the end
    };
    for (const auto& [path, expected, keysAfter] : cases) {
        SCOPED_TRACE(path);
        CTempPrefix prefix;
        CRegKey base = MakeKey(), key;
        EXPECT_EQ(expected, key.Create(HKEY_LOCAL_MACHINE, kTestKey + "\\" + path, KEY_ALL_ACCESS));
        EXPECT_EQ(keysAfter, SubKeys(base));
        EXPECT_EQ(expected, key.Open(base, path, KEY_READ));
    }
}

TEST_F(RegistryTest, ValueNamesIgnoreCaseKeepFirstSpellingAndHaveALimit) {
    CRegKey key = MakeKey();
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("Name", 1));
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("NAME", 2));
    std::string name, data;
    uint32_t type = 0, v = 0;
    ASSERT_EQ(ERROR_SUCCESS, key.EnumValue(0, name, type, data));
    EXPECT_EQ("Name", name);
    EXPECT_EQ(std::string("\2\0\0\0", 4), data);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, key.EnumValue(1, name, type, data));
    EXPECT_EQ(ERROR_SUCCESS, key.SetDword(std::string(MAX_VALUE_NAME, 'v'), 1));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, key.SetDword(std::string(MAX_VALUE_NAME + 1, 'v'), 1));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.QueryDword(std::string(MAX_VALUE_NAME + 1, 'v'), v));
    EXPECT_EQ(ERROR_SUCCESS, key.DeleteValue("name"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.DeleteValue("name"));
    EXPECT_EQ(ERROR_NOACCESS, key.SetValue("Binary", REG_BINARY, nullptr, 4));
    ASSERT_EQ(ERROR_SUCCESS, key.SetValue("Binary", REG_BINARY, "\0\1\xFF\0", 4));
    uint32_t cb = 2;
    uint8_t buf[2] = {0xCC, 0xCC};  // too short: the size needed comes back, the buffer is kept
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryValue("Binary", &type, buf, &cb));
    EXPECT_EQ((std::vector<uint32_t>{4, REG_BINARY, 0xCC}),
              (std::vector<uint32_t>{cb, type, buf[0]}));
    CRegKey reader, writer;  // the handle's access rights are checked
    ASSERT_EQ(ERROR_SUCCESS, reader.Open(HKEY_LOCAL_MACHINE, kTestKey, KEY_READ));
    EXPECT_EQ(ERROR_ACCESS_DENIED, reader.SetDword("V", 1));
    ASSERT_EQ(ERROR_SUCCESS, writer.Open(HKEY_LOCAL_MACHINE, kTestKey, KEY_SET_VALUE));
    EXPECT_EQ(ERROR_ACCESS_DENIED, writer.QueryDword("Binary", v));
}

TEST_F(RegistryTest, DeleteKeyRules) {
    CRegKey base = MakeKey();
    MakeKey("Parent\\Child");
    EXPECT_EQ(ERROR_ACCESS_DENIED, base.DeleteSubKey("Parent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, base.DeleteSubKey("Missing"));
    EXPECT_EQ(ERROR_SUCCESS, base.DeleteSubKey("PARENT\\child"));
    EXPECT_EQ(ERROR_SUCCESS, base.DeleteSubKey("Parent"));
    EXPECT_EQ(Codes(3, ERROR_ACCESS_DENIED),  // the roots themselves
              (Codes{RegDeleteKey(HKEY_LOCAL_MACHINE, ""), RegDeleteKey(HKEY_CLASSES_ROOT, ""),
                     RegDeleteTree(HKEY_CURRENT_USER, "")}));
    MakeKey("Tree\\A\\B");
    ASSERT_EQ(ERROR_SUCCESS, MakeKey("Tree\\C").SetDword("V", 1));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTree(HKEY_LOCAL_MACHINE, kTestKey + "\\tree"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteTree(HKEY_LOCAL_MACHINE, kTestKey + "\\Tree"));
    CRegKey self = MakeKey("Self");
    EXPECT_EQ(ERROR_SUCCESS, self.DeleteSubKey(""));  // deletes the key itself
    EXPECT_TRUE(SubKeys(base).empty());
    MakeKey("Self");  // a new key of the same name is another key
    EXPECT_EQ(ERROR_KEY_DELETED, self.SetDword("V", 2));
}

// Every write asks the fault hook first (Create only for a key not there); a refusal is the
// call's answer and changes nothing.
TEST_F(RegistryTest, TheFaultHookSeesEveryWriteAndARefusalChangesNothing) {
    CRegKey key = MakeKey("Sub"), other;
    ASSERT_EQ(ERROR_SUCCESS, key.SetDword("V", 1));
    std::string seen;
    SetFaultHook([&](const char* op, const std::string&) { return seen += op, ERROR_DISK_FULL; });
    const Codes codes = {other.Create(HKEY_LOCAL_MACHINE, kTestKey + "\\Sub", KEY_READ),
                         other.Create(HKEY_LOCAL_MACHINE, kTestKey + "\\New", KEY_READ),
                         key.SetDword("W", 2),
                         key.DeleteValue("V"),
                         key.Flush(),
                         key.DeleteSubKey(""),
                         RegDeleteTree(HKEY_LOCAL_MACHINE, kTestKey)};
    SetFaultHook(nullptr);
    EXPECT_EQ(codes, (Codes{0, 112, 112, 112, 112, 112, 112}));  // ERROR_DISK_FULL
    EXPECT_EQ(seen, "reg-createreg-setreg-delete-valuereg-flushreg-delete-keyreg-delete-key");
    EXPECT_EQ(SubKeys(MakeKey()), std::vector<std::string>{"Sub"});
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kTestKey + "\\Sub", "W"), "<missing>");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kTestKey + "\\Sub", "V"), std::string("\1\0\0\0", 4));
}

TQ_CHILD_MAIN(RegWriteMany) {  // TAG COUNT: a subkey and a value per step
    CRegKey key;
    int32_t err = key.Create(HKEY_CURRENT_USER, "Many", KEY_ALL_ACCESS);
    for (int i = 0; err == ERROR_SUCCESS && i < std::stoi(args.at(1)); ++i) {
        // Create reads before it writes: the transaction that does both must not lose a race.
        CRegKey sub;
        err = sub.Create(HKEY_CURRENT_USER, "Many\\" + args.at(0) + std::to_string(i), KEY_READ);
        if (err == ERROR_SUCCESS) {
            err = key.SetDword(args.at(0) + std::to_string(i), static_cast<uint32_t>(i));
        }
    }
    return err == ERROR_SUCCESS ? 0 : 1;
}

TEST_F(RegistryTest, TwoProcessesWriting500ValuesEachLoseNone) {
    pid_t a = test::StartChild("RegWriteMany", {"a", "500"});
    pid_t b = test::StartChild("RegWriteMany", {"b", "500"});
    EXPECT_EQ(0, test::WaitChild(a));
    EXPECT_EQ(0, test::WaitChild(b));
    CRegKey key;
    uint32_t values = 0, subKeys = 0, v = 0;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, "Many", KEY_READ));
    ASSERT_EQ(ERROR_SUCCESS, key.QueryInfo(&subKeys, nullptr, &values, nullptr, nullptr));
    EXPECT_EQ(1000u, values);
    EXPECT_EQ(1000u, subKeys);
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDword("b499", v));
    EXPECT_EQ(499u, v);
}

}  // namespace
}  // namespace tq
