#include "update/patch_rules.h"

#include <algorithm>
#include <map>

#include "update/name_text.h"

namespace tendril {
namespace {

// "Naming Conventions": CON, PRN, AUX, NUL, COM1-COM9, COM¹, COM², COM³, LPT1-LPT9, LPT¹,
// LPT², LPT³, also "followed immediately by an extension" (NUL.txt and NUL.tar.gz are NUL).
// COM0 and LPT0 are not in that list, and Windows creates them.
constexpr char16_t kSuperscripts[] = u"\u00B9\u00B2\u00B3";

bool IsPortDigit(char16_t unit) {
    return (unit >= u'1' && unit <= u'9') ||
           std::u16string_view(kSuperscripts).find(unit) != std::u16string_view::npos;
}

char16_t AsciiUpper(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
}

// The device a name opens, upper case, or empty. Blanks before the extension are dropped as
// Windows' path parsing drops them: under Wine "com1 .txt" opens the device as well.
std::u16string DeviceName(std::u16string_view name) {
    std::u16string_view base = name.substr(0, name.find(u'.'));
    while (!base.empty() && base.back() == u' ') {
        base.remove_suffix(1);
    }
    std::u16string upper(base);
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    for (const std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
        if (upper == device) {
            return upper;
        }
    }
    const bool port = upper.size() == 4 && (upper.starts_with(u"COM") || upper.starts_with(u"LPT"));
    return port && IsPortDigit(upper[3]) ? upper : std::u16string();
}

// "Naming Conventions": the reserved characters < > : " / \ | ? * and the integer values 0
// through 31.
constexpr std::u16string_view kReservedCharacters = u"<>:\"/\\|?*";

std::string Quoted(std::u16string_view subject) {
    return "'" + ShowUtf16(subject) + "'";
}

// A listing's path in the form of a staged entry's relative path: backslashes, no separator
// at either end, upper case.
std::u16string ListingKey(std::u16string path) {
    std::replace(path.begin(), path.end(), u'/', u'\\');
    const std::size_t start = path.find_first_not_of(u'\\');
    const std::size_t end = path.find_last_not_of(u'\\');
    return start == std::u16string::npos ? std::u16string()
                                         : NameKey(path.substr(start, end - start + 1));
}

std::string StaysStaged() {
    return "so the entry is never moved and the update stays staged";
}

}  // namespace

std::vector<NameFinding> CheckName(std::u16string_view name) {
    std::vector<NameFinding> findings;
    if (std::u16string device = DeviceName(name); !device.empty()) {
        findings.push_back({NameProblem::kReservedDeviceName, std::move(device)});
    }
    std::u16string seen;
    for (const char16_t unit : name) {
        const bool reserved = kReservedCharacters.find(unit) != std::u16string_view::npos;
        if ((!reserved && unit >= 0x20) || seen.find(unit) != std::u16string::npos) {
            continue;
        }
        seen.push_back(unit);
        findings.push_back(
            {reserved ? NameProblem::kForbiddenCharacter : NameProblem::kControlCharacter,
             std::u16string(1, unit)});
    }
    // "Do not end a file or directory name with a space or a period": path parsing drops them.
    if (!name.empty() && name.back() == u'.') {
        findings.push_back({NameProblem::kTrailingPeriod, {}});
    }
    if (!name.empty() && name.back() == u' ') {
        findings.push_back({NameProblem::kTrailingSpace, {}});
    }
    // "Maximum Path Length Limitation": a component is limited to the volume's maximum
    // component length, typically 255 characters, that is UTF-16 units.
    if (name.size() > kMaxNameLength) {
        findings.push_back({NameProblem::kTooLong, {}, name.size()});
    }
    return findings;
}

std::string DescribeNameFinding(const NameFinding& finding) {
    switch (finding.problem) {
        case NameProblem::kReservedDeviceName:
            return ShowUtf16(finding.subject) +
                   " is a reserved device name, with any extension: Windows opens the device "
                   "instead, " +
                   StaysStaged();
        case NameProblem::kForbiddenCharacter:
            if (finding.subject == u":") {
                return "character ':' is forbidden in names: Windows reads it as a stream "
                       "separator, so the entry never arrives under this name";
            }
            if (finding.subject == u"\\" || finding.subject == u"/") {
                return "character " + Quoted(finding.subject) +
                       " is forbidden in names: Windows reads it as a folder separator, so the "
                       "entry never arrives under this name";
            }
            return "character " + Quoted(finding.subject) +
                   " is forbidden in names: Windows refuses the name, " + StaysStaged();
        case NameProblem::kControlCharacter:
            return "control character " + ShowUtf16(finding.subject) +
                   " is forbidden in names: Windows refuses the name, " + StaysStaged();
        case NameProblem::kTrailingPeriod:
            return "name ends in a period: Windows drops it and finds no such entry, " +
                   StaysStaged();
        case NameProblem::kTrailingSpace:
            return "name ends in a space: Windows drops it and finds no such entry, " +
                   StaysStaged();
        case NameProblem::kTooLong:
            return "name is " + std::to_string(finding.length) +
                   " UTF-16 units, longer than the 255 Windows allows: Windows refuses it, " +
                   StaysStaged();
    }
    return {};
}

std::size_t TargetPathLength(std::u16string_view install_root, std::u16string_view relative) {
    const bool separated =
        install_root.empty() || install_root.back() == u'\\' || install_root.back() == u'/';
    return install_root.size() + (separated ? 0 : 1) + relative.size();
}

// "Maximum Path Length Limitation": MAX_PATH is 260 characters, the terminating null
// included; longer paths need the "\\?\" prefix or a process that opted in to long paths.
std::string DescribeMaxPath(std::size_t length) {
    return "target path is " + std::to_string(length) +
           " UTF-16 units in the installation, reaching MAX_PATH (260): Windows refuses it "
           "unless long paths are enabled, so only long-path handling in the launcher moves it";
}

std::vector<std::vector<std::size_t>> SamePathGroups(const std::vector<std::u16string>& paths) {
    std::map<std::u16string, std::vector<std::size_t>> by_key;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        by_key[NameKey(paths[i])].push_back(i);
    }
    std::vector<std::vector<std::size_t>> groups;
    for (auto& [key, members] : by_key) {
        if (members.size() > 1) {
            groups.push_back(std::move(members));
        }
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

std::string DescribeSamePath(SamePathKind kind, std::string_view others) {
    const std::string same = "same name on Windows as " + std::string(others) + ": ";
    switch (kind) {
        case SamePathKind::kFiles:
            return same + "every move succeeds and one file silently replaces the other";
        case SamePathKind::kFolders:
            return same + "the folders merge into one";
        case SamePathKind::kFileAndFolder:
            return same + "a file and a folder of one name block each other, so the update " +
                   "stays staged for good";
    }
    return {};
}

bool InstalledListing::Parse(std::string_view text, std::string& error) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        std::u16string path;
        if (!DecodeUtf8(line, path)) {
            error = "line " + std::to_string(number) + " is not valid UTF-8";
            return false;
        }
        const bool folder = path.ends_with(u'/') || path.ends_with(u'\\');
        path = ListingKey(std::move(path));
        if (path.empty()) {
            continue;
        }
        (folder ? folders_ : files_).insert(path);
        for (std::size_t cut = path.rfind(u'\\'); cut != std::u16string::npos && cut > 0;
             cut = path.rfind(u'\\', cut - 1)) {
            folders_.insert(path.substr(0, cut));
        }
    }
    return true;
}

bool InstalledListing::HasFile(std::u16string_view relative) const {
    return files_.count(ListingKey(std::u16string(relative))) != 0;
}

bool InstalledListing::HasFolder(std::u16string_view relative) const {
    return folders_.count(ListingKey(std::u16string(relative))) != 0;
}

InstalledConflict FindInstalledConflict(const InstalledListing& installed,
                                        std::u16string_view relative, bool staged_folder) {
    if (staged_folder) {
        return installed.HasFile(relative) ? InstalledConflict::kFolderWhereFile
                                           : InstalledConflict::kNone;
    }
    return installed.HasFolder(relative) ? InstalledConflict::kFileWhereFolder
                                         : InstalledConflict::kNone;
}

std::string DescribeInstalledConflict(InstalledConflict conflict) {
    switch (conflict) {
        case InstalledConflict::kFileWhereFolder:
            return "staged file where the installation has a folder: Windows can't replace a "
                   "folder with a file, so the update stays staged for good";
        case InstalledConflict::kFolderWhereFile:
            return "staged folder where the installation has a file: nothing below it can be "
                   "moved there, so the update stays staged for good";
        case InstalledConflict::kNone:
            break;
    }
    return {};
}

}  // namespace tendril
