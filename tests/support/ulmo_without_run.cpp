// A main module that lacks the `Run` export.
extern "C" __declspec(dllexport) int __cdecl Start(const wchar_t*) {
    return 1;
}
