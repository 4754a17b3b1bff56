#include "update/registry_queue.h"

#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/file_system_calls.h"
#include "regscript/reader.h"
#include "regscript/writer.h"
#include "update/move_tree.h"
#include "win32_helpers.h"

namespace tendril {
namespace {

vrel::Result ResultOfCall(BOOL ok) noexcept {
    return ok ? 0 : vrel::ResultFromWin32Error(GetLastError());
}

}  // namespace

bool ImportRegistryScript(const WidePath& path, UpdateLog& log) {
    try {
        log.Timestamp().Narrow("Parse file");
        const RegistryScript script = ParseRegistryScript(path);
        log.Narrow(" - OK").LineEnd();
        log.Timestamp().Narrow("Import file");
        for (const auto& operation : script) {
            if (operation.kind != kRegistryOperationSetValue) {
                throw std::runtime_error("Unsupported operation: " +
                                         std::to_string(operation.kind));
            }
            SetRegistryValue(operation.key, operation.value);
        }
        log.Narrow(" - OK").LineEnd();
        return true;
    } catch (const std::exception& e) {
        // By now the throw has cleared the last error; a script that can't be opened and a
        // refused write bring their own.
        const auto* failure = dynamic_cast<const FailureWithSystemError*>(&e);
        const std::uint32_t error = failure != nullptr ? failure->error() : LastError();
        log.Timestamp().LineEnd().Narrow("Import file exception: ").Narrow(e.what());
        log.Narrow(", gle = ").Unsigned(error).LineEnd();
        return false;
    }
}

bool ImportRegistryScripts(const WidePath& folder, UpdateLog& log) {
    WIN32_FIND_DATAW entry;
    FindOwner find(g_fileSystemCalls.find_first_file(
        SystemPath(JoinPath(folder, L"*.regupd")).c_str(), &entry));
    if (find.empty()) {
        return NothingToEnumerate(folder, LastError(), log);
    }
    bool all_imported = true;
    do {
        const std::wstring_view name = entry.cFileName;
        // Exactly the directory bit: a plain folder. One with more bits is tried as a file.
        if (name == L"." || name == L".." || entry.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        const WidePath path = JoinPath(folder, name);
        log.Timestamp().Narrow("Import file '").Wide(path).Narrow("' to the registry").LineEnd();
        if (!ImportRegistryScript(path, log)) {
            all_imported = false;
            continue;
        }
        const vrel::Result removed =
            ResultOfCall(g_fileSystemCalls.delete_file(SystemPath(path).c_str()));
        const std::uint32_t error = LastError();
        log.Timestamp().Narrow("Remove file '").Wide(path).Narrow("' result = ").Result(removed);
        log.Narrow(", gle = ").Unsigned(error).LineEnd();
    } while (g_fileSystemCalls.find_next_file(find.get(), &entry));

    if (all_imported) {
        RemoveEmptyDirectory(folder, log);
    }
    return all_imported;
}

}  // namespace tendril
