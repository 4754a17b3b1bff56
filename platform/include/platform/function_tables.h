// System functions that only some Windows versions export, or that the import libraries
// don't offer: looked up by name once, before the entry point, and called through these
// tables. A null entry means the system lacks the function; every caller tests for it.
#pragma once

#include <windows.h>

namespace vrel {

// The Nt prototypes are not in the Windows headers; their slots are typed here as Windows
// defines them. Only RtlCaptureStackBackTrace is called.
using NtSuspendProcessFunction = LONG(NTAPI*)(HANDLE process);
using NtResumeProcessFunction = LONG(NTAPI*)(HANDLE process);
using NtQueryInformationProcessFunction = LONG(NTAPI*)(HANDLE process, ULONG info_class, PVOID info,
                                                       ULONG info_length, PULONG return_length);
using NtSetInformationProcessFunction = LONG(NTAPI*)(HANDLE process, ULONG info_class, PVOID info,
                                                     ULONG info_length);
using NtQueryInformationThreadFunction = LONG(NTAPI*)(HANDLE thread, ULONG info_class, PVOID info,
                                                      ULONG info_length, PULONG return_length);
using NtSetInformationThreadFunction = LONG(NTAPI*)(HANDLE thread, ULONG info_class, PVOID info,
                                                    ULONG info_length);
using NtCompareTokensFunction = LONG(NTAPI*)(HANDLE first, HANDLE second, PBOOLEAN equal);
using RtlNtStatusToDosErrorFunction = ULONG(NTAPI*)(LONG status);
using RtlCaptureStackBackTraceFunction = USHORT(NTAPI*)(ULONG frames_to_skip,
                                                        ULONG frames_to_capture, PVOID* trace,
                                                        PULONG hash);

struct NtdllFunctionTable {
    NtSuspendProcessFunction NtSuspendProcess;
    NtResumeProcessFunction NtResumeProcess;
    NtQueryInformationProcessFunction NtQueryInformationProcess;
    NtSetInformationProcessFunction NtSetInformationProcess;
    NtQueryInformationThreadFunction NtQueryInformationThread;
    NtSetInformationThreadFunction NtSetInformationThread;
    NtCompareTokensFunction NtCompareTokens;
    RtlNtStatusToDosErrorFunction RtlNtStatusToDosError;
    RtlCaptureStackBackTraceFunction RtlCaptureStackBackTrace;
};

using GetTickCount64Function = ULONGLONG(WINAPI*)();
using GetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE thread, PWSTR* description);
using SetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE thread, PCWSTR description);
using InitializeProcThreadAttributeListFunction = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST list,
                                                                DWORD attribute_count, DWORD flags,
                                                                PSIZE_T size);
using UpdateProcThreadAttributeFunction = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST list,
                                                        DWORD flags, DWORD_PTR attribute,
                                                        PVOID value, SIZE_T size,
                                                        PVOID previous_value, PSIZE_T return_size);

struct Kernel32FunctionTable {
    GetTickCount64Function GetTickCount64;
    GetThreadDescriptionFunction GetThreadDescription;
    SetThreadDescriptionFunction SetThreadDescription;
    InitializeProcThreadAttributeListFunction InitializeProcThreadAttributeList;
    UpdateProcThreadAttributeFunction UpdateProcThreadAttribute;
};

// Written once during static initialisation, read only afterwards: no lock.
extern NtdllFunctionTable g_ntdllFunctions;
extern Kernel32FunctionTable g_kernel32Functions;

// Look every entry up by name, storing null for what is missing. Called by the static
// initialiser of the executable; see tendril_function_tables_last in TendrilTargets.cmake.
void FillNtdllFunctionTable() noexcept;
void FillKernel32FunctionTable() noexcept;

}  // namespace vrel
