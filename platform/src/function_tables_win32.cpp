#include "platform/function_tables.h"

namespace vrel {

NtdllFunctionTable g_ntdllFunctions{};
Kernel32FunctionTable g_kernel32Functions{};

namespace {

template <typename Function>
void LookUp(HMODULE module, const char* name, Function& entry) noexcept {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void FillNtdllFunctionTable() noexcept {
    // No reference is taken, so none is released; a null handle just makes every entry null.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    NtdllFunctionTable& table = g_ntdllFunctions;
    LookUp(ntdll, "NtSuspendProcess", table.NtSuspendProcess);
    LookUp(ntdll, "NtResumeProcess", table.NtResumeProcess);
    LookUp(ntdll, "NtQueryInformationProcess", table.NtQueryInformationProcess);
    LookUp(ntdll, "NtSetInformationProcess", table.NtSetInformationProcess);
    LookUp(ntdll, "NtQueryInformationThread", table.NtQueryInformationThread);
    LookUp(ntdll, "NtSetInformationThread", table.NtSetInformationThread);
    LookUp(ntdll, "NtCompareTokens", table.NtCompareTokens);
    LookUp(ntdll, "RtlNtStatusToDosError", table.RtlNtStatusToDosError);
    LookUp(ntdll, "RtlCaptureStackBackTrace", table.RtlCaptureStackBackTrace);
}

void FillKernel32FunctionTable() noexcept {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    Kernel32FunctionTable& table = g_kernel32Functions;
    LookUp(kernel32, "GetTickCount64", table.GetTickCount64);
    LookUp(kernel32, "GetThreadDescription", table.GetThreadDescription);
    LookUp(kernel32, "SetThreadDescription", table.SetThreadDescription);
    LookUp(kernel32, "InitializeProcThreadAttributeList", table.InitializeProcThreadAttributeList);
    LookUp(kernel32, "UpdateProcThreadAttribute", table.UpdateProcThreadAttribute);
}

}  // namespace vrel
