// The one static initialiser that fills the system function tables. It must be the first
// object of every executable's link (tendril_function_tables_last): mingw-w64 runs the
// constructors of ordinary priority in reverse link order, so the first object's runs last,
// after every other static initialiser and before the entry point.
#include "platform/function_tables.h"

namespace {

struct FunctionTablesFiller {
    FunctionTablesFiller() noexcept {
        vrel::FillNtdllFunctionTable();
        vrel::FillKernel32FunctionTable();
    }
};

const FunctionTablesFiller g_functionTablesFiller;

}  // namespace
