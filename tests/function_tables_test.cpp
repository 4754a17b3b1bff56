// The system function tables are filled by the program's last static initialiser.
#include <gtest/gtest.h>

#include "platform/function_tables.h"

namespace vrel {
namespace {

// An ordinary static initialiser of this program, which runs before the tables' own.
const bool g_emptyDuringOtherInitialisers = g_ntdllFunctions.RtlCaptureStackBackTrace == nullptr &&
                                            g_kernel32Functions.GetTickCount64 == nullptr;

template <typename Function>
void* Address(Function function) {
    return reinterpret_cast<void*>(function);
}

void* Exported(HMODULE module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

TEST(FunctionTablesTest, FilledAfterTheOtherStaticInitialisersAndBeforeMain) {
    EXPECT_TRUE(g_emptyDuringOtherInitialisers);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(Address(g_ntdllFunctions.RtlCaptureStackBackTrace),
              Exported(ntdll, "RtlCaptureStackBackTrace"));
    EXPECT_NE(g_ntdllFunctions.RtlCaptureStackBackTrace, nullptr);
    EXPECT_EQ(Address(g_ntdllFunctions.NtQueryInformationProcess),
              Exported(ntdll, "NtQueryInformationProcess"));
    EXPECT_EQ(Address(g_kernel32Functions.GetTickCount64), Exported(kernel32, "GetTickCount64"));
    EXPECT_NE(g_kernel32Functions.GetTickCount64, nullptr);
    // Whatever this system lacks is null, never garbage.
    EXPECT_EQ(Address(g_kernel32Functions.GetThreadDescription),
              Exported(kernel32, "GetThreadDescription"));
}

}  // namespace
}  // namespace vrel
