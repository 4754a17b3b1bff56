// File-system chores of the driver, all outside the timed part of a run.
#pragma once

#include <string>
#include <string_view>

#include "test_support.h"

namespace tendril::bench {

using testing::BuildOutputFolder;
using testing::Exists;
using testing::Narrow;
using testing::RemoveTree;

// Throws std::runtime_error on failure, as do the two below.
void MakeFolder(const std::wstring& path);
void CopyInto(const std::wstring& from, const std::wstring& to);
void WriteWholeFile(const std::wstring& path, std::string_view bytes);

// "C:\a b\x.exe" with quotes, as a shortcut would start it.
std::wstring Quoted(const std::wstring& path);

}  // namespace tendril::bench
