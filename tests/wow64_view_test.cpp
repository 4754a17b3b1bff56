// The shipped 32-bit launcher on a 64-bit system sees what a 32-bit process sees: the 32-bit
// registry view (HKLM\Software is WOW6432Node in the 64-bit one) and "Program Files (x86)".
// A launcher that reached past its view would read another LastStart, write the product's
// values where the product never looks, and apply a patch staged for the 64-bit product.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>

#include "test_support.h"

namespace tendril {
namespace {

using testing::CopyBuildOutput;
using testing::Exists;
using testing::RunToExit;
using testing::TempFolder;

constexpr wchar_t kDataKey[] = L"Software\\VelmoraLab\\Tendril23.0\\data";
constexpr wchar_t kValueKey[] = L"Software\\VelmoraLab\\Tendril23.0\\wow64-view";
constexpr wchar_t kRedirectedValueKey[] =
    L"Software\\WOW6432Node\\VelmoraLab\\Tendril23.0\\wow64-view";

bool IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// `view` is KEY_WOW64_32KEY or KEY_WOW64_64KEY.
bool SetDword(REGSAM view, const wchar_t* subkey, const wchar_t* name, std::optional<DWORD> value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status =
        value ? RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                               sizeof(DWORD))
              : RegDeleteValueW(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || (!value && status == ERROR_FILE_NOT_FOUND);
}

std::optional<std::wstring> ReadString(REGSAM view, const wchar_t* subkey, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t data[256] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(data);
}

void DeleteKey(REGSAM view, const wchar_t* subkey) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subkey, view, 0);
}

class Wow64ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!IsWow64()) {
            GTEST_SKIP() << "not a 32-bit process on a 64-bit system";
        }
        ASSERT_TRUE(CopyBuildOutput(L"tendril.exe", install_ / L"tendril.exe"));
        ASSERT_TRUE(CopyBuildOutput(L"ulmo_recorder.dll", install_ / L"ulmo.dll"));
    }

    void TearDown() override {
        SetDword(KEY_WOW64_32KEY, kDataKey, L"LastStart", std::nullopt);
        SetDword(KEY_WOW64_64KEY, kDataKey, L"LastStart", std::nullopt);
    }

    // Stages one file and starts "-r": true when the run happened (the file moved).
    bool UpdateRunHappens() {
        const std::wstring patch = install_ / L"patch";
        CreateDirectoryW(patch.c_str(), nullptr);
        EXPECT_TRUE(testing::WriteBytes(patch + L"\\staged.txt", "new"));
        EXPECT_EQ(RunToExit(install_ / L"tendril.exe", L"tendril.exe -r"), 0u);
        const bool moved = Exists(install_ / L"staged.txt");
        DeleteFileW((install_ / L"staged.txt").c_str());
        testing::RemoveTree(patch);
        return moved;
    }

    TempFolder install_;
};

TEST_F(Wow64ViewTest, LastStartIsReadFromThe32BitView) {
    const DWORD after_boot = static_cast<DWORD>(std::time(nullptr));
    struct Case {
        std::optional<DWORD> view32;
        std::optional<DWORD> view64;
        bool due;
    };
    for (const Case& c :
         {Case{after_boot, std::nullopt, false}, Case{std::nullopt, after_boot, true},
          Case{0, after_boot, true}, Case{after_boot, 0, false}}) {
        ASSERT_TRUE(SetDword(KEY_WOW64_32KEY, kDataKey, L"LastStart", c.view32));
        ASSERT_TRUE(SetDword(KEY_WOW64_64KEY, kDataKey, L"LastStart", c.view64));
        EXPECT_EQ(UpdateRunHappens(), c.due)
            << "32-bit view " << (c.view32 ? std::to_string(*c.view32) : "missing")
            << ", 64-bit view " << (c.view64 ? std::to_string(*c.view64) : "missing");
    }
}

TEST_F(Wow64ViewTest, ImportedValuesLandInThe32BitViewThatIsWow6432Node) {
    DeleteKey(KEY_WOW64_64KEY, kValueKey);
    ASSERT_TRUE(SetDword(KEY_WOW64_32KEY, kValueKey, L"placeholder", 1));
    ASSERT_TRUE(CreateDirectoryW((install_ / L"patch").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((install_ / L"regupd").c_str(), nullptr));
    ASSERT_TRUE(testing::WriteBytes(install_ / L"regupd\\view.regupd",
                                    "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\VelmoraLab\\"
                                    "Tendril23.0\\wow64-view]\r\n\"Written\"=\"by tendril\"\r\n"));

    EXPECT_EQ(RunToExit(install_ / L"tendril.exe", L"tendril.exe -r"), 0u);
    const auto in_32bit_view = ReadString(KEY_WOW64_32KEY, kValueKey, L"Written");
    const auto in_wow6432node = ReadString(KEY_WOW64_64KEY, kRedirectedValueKey, L"Written");
    const auto in_64bit_view = ReadString(KEY_WOW64_64KEY, kValueKey, L"Written");
    DeleteKey(KEY_WOW64_32KEY, kValueKey);
    DeleteKey(KEY_WOW64_64KEY, kValueKey);

    EXPECT_EQ(in_32bit_view, std::optional<std::wstring>(L"by tendril"));
    EXPECT_EQ(in_wow6432node, std::optional<std::wstring>(L"by tendril"));
    EXPECT_EQ(in_64bit_view, std::nullopt);
    EXPECT_FALSE(Exists(install_ / L"regupd"));
}

// ProgramFiles(x86) and ProgramW6432 are set for every process of a 64-bit system.
std::wstring EnvironmentFolder(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder);
}

// Stages `file` in the product's patch folder below `program_files`; gives the "Velmora Lab"
// folder to remove afterwards, or empty when staging failed.
std::wstring StageBelow(const std::wstring& program_files, const std::wstring& file) {
    const std::wstring product = program_files + L"\\Velmora Lab";
    const std::wstring tendril = product + L"\\Velmora Tendril 23.0";
    const std::wstring patch = tendril + L"\\patch";
    for (const std::wstring& folder : {product, tendril, patch}) {
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    return testing::WriteBytes(patch + L"\\" + file, "f") ? product : std::wstring();
}

TEST_F(Wow64ViewTest, ProgramFilesPatchFolderIsTheOneBelowProgramFilesX86) {
    const std::wstring x86 = EnvironmentFolder(L"ProgramFiles(x86)");
    const std::wstring native = EnvironmentFolder(L"ProgramW6432");
    ASSERT_FALSE(x86.empty());
    ASSERT_FALSE(native.empty());
    ASSERT_NE(x86, native);
    const std::wstring x86_product = StageBelow(x86, L"from-x86.txt");
    const std::wstring native_product = StageBelow(native, L"from-native.txt");
    ASSERT_FALSE(x86_product.empty());
    ASSERT_FALSE(native_product.empty());
    ASSERT_TRUE(SetDword(KEY_WOW64_32KEY, kDataKey, L"LastStart", std::nullopt));

    EXPECT_EQ(RunToExit(install_ / L"tendril.exe", L"tendril.exe -r"), 0u);
    const bool x86_moved = Exists(install_ / L"from-x86.txt");
    const bool native_moved = Exists(install_ / L"from-native.txt");
    const bool native_still_staged =
        Exists(native_product + L"\\Velmora Tendril 23.0\\patch\\from-native.txt");
    testing::RemoveTree(x86_product);
    testing::RemoveTree(native_product);

    EXPECT_TRUE(x86_moved);
    EXPECT_FALSE(native_moved);
    EXPECT_TRUE(native_still_staged);
}

// The shell's program-files folder is the ProgramFilesDir value of the process's registry view;
// the launcher reads that value instead of loading shell32. Pointing it elsewhere shows which
// view and value it reads.
class ProgramFilesValueTest : public Wow64ViewTest {
protected:
    static constexpr wchar_t kVersionKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

    void SetUp() override {
        Wow64ViewTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        original_ = ReadString(KEY_WOW64_32KEY, kVersionKey, L"ProgramFilesDir");
        ASSERT_TRUE(original_.has_value());
    }

    void TearDown() override {
        if (original_) {
            SetValue(REG_SZ, *original_);
        }
        Wow64ViewTest::TearDown();
    }

    static bool SetValue(DWORD type, const std::wstring& value) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                          &key) != ERROR_SUCCESS) {
            return false;
        }
        const LSTATUS status = RegSetValueExW(
            key, L"ProgramFilesDir", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    // Starts a due run that finds no patch folder in the installation: true when `file`, staged
    // below `program_files`, was applied; `shell32_loaded` says whether the run loaded shell32,
    // seen by user32, which comes with it and stays when shell32 is freed again.
    bool AppliedFrom(const std::wstring& program_files, const std::wstring& file,
                     bool& shell32_loaded) {
        const std::wstring product = StageBelow(program_files, file);
        EXPECT_FALSE(product.empty());
        EXPECT_TRUE(SetDword(KEY_WOW64_32KEY, kDataKey, L"LastStart", std::nullopt));
        const auto exit_code =
            RunToExit(install_ / L"tendril.exe", L"tendril.exe -r --loaded=user32.dll");
        EXPECT_TRUE(exit_code.has_value());
        shell32_loaded = exit_code == 1u;
        const bool applied = Exists(install_ / file);
        testing::RemoveTree(product);
        return applied;
    }

    std::optional<std::wstring> original_;
};

TEST_F(ProgramFilesValueTest, PlainValueIsUsedWithoutLoadingShell32) {
    TempFolder program_files;
    ASSERT_TRUE(SetValue(REG_SZ, program_files.path()));
    bool shell32_loaded = true;
    EXPECT_TRUE(AppliedFrom(program_files.path(), L"from-value.txt", shell32_loaded));
    EXPECT_FALSE(shell32_loaded);
}

// A value to expand or a relative one is not taken as a folder: the shell is asked, as before.
TEST_F(ProgramFilesValueTest, OtherValuesAreLeftToTheShell) {
    struct Case {
        DWORD type;
        std::wstring value;
    };
    for (const Case& c : {Case{REG_EXPAND_SZ, *original_}, Case{REG_SZ, L"relative"}}) {
        ASSERT_TRUE(SetValue(c.type, c.value));
        bool shell32_loaded = false;
        const bool applied = AppliedFrom(*original_, L"from-shell.txt", shell32_loaded);
        EXPECT_TRUE(shell32_loaded) << c.type << " " << testing::Narrow(c.value);
        if (c.type == REG_EXPAND_SZ) {
            // Wine's shell reads the same value; it holds the folder here.
            EXPECT_TRUE(applied);
        }
        DeleteFileW((install_ / L"from-shell.txt").c_str());
    }
}

}  // namespace
}  // namespace tendril
