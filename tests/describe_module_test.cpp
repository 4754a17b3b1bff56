#include "platform/describe_module_win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/image_identity.h"
#include "debug_record.h"
#include "test_support.h"

namespace tendril {
namespace {

using vrel::DescribeLoadedModule;
using vrel::LoadedModuleDescription;

std::uint64_t AddressOf(const void* code) {
    return reinterpret_cast<std::uintptr_t>(code);
}

std::string OwnPathNarrow() {
    std::string path(32768, '\0');
    path.resize(GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring OwnPathWide() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using LoadedModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

TEST(DescribeLoadedModuleTest, OwnExecutableMatchesItsHeadersAndItsFile) {
    LoadedModuleDescription description;
    ASSERT_EQ(
        DescribeLoadedModule(AddressOf(reinterpret_cast<const void*>(&OwnPathNarrow)), description),
        0);

    const std::string path = OwnPathNarrow();
    EXPECT_EQ(description.file_name, path.substr(path.find_last_of('\\') + 1));
    EXPECT_EQ(description.file_name.find('\\'), std::string::npos);

    const HMODULE self = GetModuleHandleW(nullptr);
    EXPECT_EQ(description.base, AddressOf(self));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(self);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const std::uint8_t*>(self) + dos->e_lfanew);
    EXPECT_EQ(description.size, nt->OptionalHeader.SizeOfImage);

    const auto in_file = testing::DebugRecordInFile(OwnPathWide());
    ASSERT_TRUE(in_file) << "no CodeView record in the executable";
    EXPECT_FALSE(description.debug_identity.empty());
    EXPECT_EQ(description.debug_identity, in_file->identity);
}

TEST(DescribeLoadedModuleTest, RecordThatNamesNoPdbIsTooShort) {
    // What ld writes for --build-id alone: RSDS, GUID, age and an empty name, 25 bytes.
    const std::wstring path = testing::BuildOutputFolder() + L"\\ulmo_recorder.dll";
    const auto in_file = testing::DebugRecordInFile(path);
    ASSERT_TRUE(in_file);
    ASSERT_LT(in_file->size_of_data, 28u);
    const LoadedModule module(LoadLibraryExW(path.c_str(), nullptr, 0));
    ASSERT_TRUE(module);

    LoadedModuleDescription description;
    description.file_name = "untouched";
    const auto run = reinterpret_cast<const void*>(GetProcAddress(module.get(), "Run"));
    EXPECT_EQ(DescribeLoadedModule(AddressOf(run), description), vrel::results::kInvalidSize);
    EXPECT_EQ(description.file_name, "untouched");
}

TEST(DescribeLoadedModuleTest, AddressInNoModuleIsAnErrorAndLeavesTheOutputAlone) {
    void* const page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(page, nullptr);
    LoadedModuleDescription description;
    description.file_name = "untouched";
    const vrel::Result result = DescribeLoadedModule(AddressOf(page), description);
    VirtualFree(page, 0, MEM_RELEASE);
    EXPECT_LT(result, 0) << std::hex << result;
    EXPECT_EQ(description.file_name, "untouched");
}

// A copy of a module from the build output below a path longer than MAX_PATH, loaded.
// Cleans up itself: the plain removal of the temporary folder can't reach that deep.
class DeepModuleCopy {
public:
    DeepModuleCopy(const std::wstring& base, const std::wstring& build_output,
                   const std::wstring& name) {
        folders_[0] = L"\\\\?\\" + base + L"\\" + std::wstring(100, L'a');
        folders_[1] = folders_[0] + L"\\" + std::wstring(100, L'b');
        for (const auto& folder : folders_) {
            CreateDirectoryW(folder.c_str(), nullptr);
        }
        path_ = folders_[1] + L"\\" + name;
        if (CopyFileW((testing::BuildOutputFolder() + L"\\" + build_output).c_str(), path_.c_str(),
                      FALSE)) {
            module_.reset(LoadLibraryExW(path_.c_str(), nullptr, 0));
        }
    }
    ~DeepModuleCopy() {
        module_.reset();
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folders_[1].c_str());
        RemoveDirectoryW(folders_[0].c_str());
    }
    DeepModuleCopy(const DeepModuleCopy&) = delete;
    DeepModuleCopy& operator=(const DeepModuleCopy&) = delete;

    HMODULE module() const { return module_.get(); }
    std::wstring path() const { return path_.substr(4); }  // without the "\\?\" prefix

private:
    std::wstring folders_[2];
    std::wstring path_;
    LoadedModule module_;
};

TEST(DescribeLoadedModuleTest, ModuleUnderAPathLongerThan259BytesIsDescribed) {
    testing::TempFolder temp;
    // A name cut at 260 bytes would end inside the folders, not in the module's name.
    const DeepModuleCopy copy(temp.path(), L"describe_module_probe.dll",
                              L"describe_module_probe_deep_copy.dll");
    ASSERT_NE(copy.module(), nullptr) << "error " << GetLastError();
    ASSERT_GT(copy.path().size(), 259u);

    const auto probe =
        reinterpret_cast<const void*>(GetProcAddress(copy.module(), "ProbeFunction"));
    ASSERT_NE(probe, nullptr);
    LoadedModuleDescription description;
    ASSERT_EQ(DescribeLoadedModule(AddressOf(probe), description), 0);
    EXPECT_EQ(description.file_name, "describe_module_probe_deep_copy.dll");
    EXPECT_EQ(description.base, AddressOf(copy.module()));
    const auto in_file = testing::DebugRecordInFile(L"\\\\?\\" + copy.path());
    ASSERT_TRUE(in_file);
    EXPECT_EQ(description.debug_identity, in_file->identity);
}

}  // namespace
}  // namespace tendril
