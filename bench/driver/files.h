// File-system chores of the driver, all outside the timed part of a run.
#pragma once

#include <string>
#include <string_view>

#include "test_support.h"

namespace tendril::bench {

using testing::Exists;
using testing::RemoveTree;

// The folder of the driver's own executable, where the build put the programs it times.
std::wstring ProgramFolder();

// Throws std::runtime_error on failure, as do the two below.
void MakeFolder(const std::wstring& path);
void CopyInto(const std::wstring& from, const std::wstring& to);
void WriteWholeFile(const std::wstring& path, std::string_view bytes);

// "C:\a b\x.exe" with quotes, as a shortcut would start it.
std::wstring Quoted(const std::wstring& path);

std::string Narrow(const std::wstring& text);

}  // namespace tendril::bench
