// patch-check PATCH-FOLDER [--install-root WINDOWS-PATH] [--installed LISTING]: what the
// launcher's update run would do wrong with a staged tree. Exits 0 when the tree is clean,
// 1 when there is a finding, 2 on a usage error or a folder that can't be read.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "patch_tree_check.h"
#include "update/name_text.h"

namespace tendril {
namespace {

#ifdef _WIN32
using NativeText = std::wstring;
#else
using NativeText = std::string;
#endif

struct Argument {
    NativeText native;
    std::u16string text;  // its UTF-16 form
    bool exact = true;    // false: the bytes are not UTF-8
    std::string shown;
};

Argument ArgumentOf(const NativeText& native) {
    Argument argument{native, {}, true, {}};
#ifdef _WIN32
    argument.text.assign(native.begin(), native.end());
    argument.shown = ShowUtf16(argument.text);
#else
    argument.exact = DecodeUtf8(native, argument.text);
    argument.shown = ShowHostBytes(native);
#endif
    return argument;
}

constexpr const char* kUsage =
    "usage: patch-check PATCH-FOLDER [--install-root WINDOWS-PATH] [--installed LISTING]\n";

int UsageError(const std::string& message) {
    std::cerr << "patch-check: " << message << '\n' << kUsage;
    return 2;
}

struct CommandLine {
    std::optional<Argument> folder;
    std::optional<Argument> install_root;
    std::optional<Argument> installed;
};

// Reads the arguments; an empty message means success.
std::string Parse(const std::vector<Argument>& arguments, CommandLine& line, bool& help) {
    bool options_end = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& text = arguments[i].text;
        if (!options_end && (text == u"--help" || text == u"-h")) {
            help = true;
            return {};
        }
        if (!options_end && text == u"--") {
            options_end = true;
            continue;
        }
        if (options_end || !text.starts_with(u"-")) {
            if (line.folder) {
                return "more than one PATCH-FOLDER given";
            }
            line.folder = arguments[i];
            continue;
        }
        std::optional<Argument>* option = nullptr;
        for (const auto& [name, target] : {std::pair{u"--install-root", &line.install_root},
                                           std::pair{u"--installed", &line.installed}}) {
            const std::u16string_view option_name = name;
            if (text == option_name || text.starts_with(std::u16string(option_name) + u"=")) {
                option = target;
            }
        }
        if (option == nullptr) {
            return "unknown option " + arguments[i].shown;
        }
        if (option->has_value()) {
            return "option given twice: " + arguments[i].shown;
        }
        const std::size_t equals = text.find(u'=');
        if (equals != std::u16string::npos) {
            // The value's own form on this system: the part after "=" of the native argument.
            const NativeText& native = arguments[i].native;
            *option = ArgumentOf(native.substr(native.find('=') + 1));
        } else if (i + 1 < arguments.size()) {
            *option = arguments[++i];
        } else {
            return "option " + arguments[i].shown + " needs a value";
        }
    }
    return line.folder ? std::string() : "no PATCH-FOLDER given";
}

std::optional<std::string> ReadWhole(const NativeText& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

int Run(const std::vector<NativeText>& native_arguments) {
    std::vector<Argument> arguments;
    arguments.reserve(native_arguments.size());
    for (const NativeText& native : native_arguments) {
        arguments.push_back(ArgumentOf(native));
    }
    CommandLine line;
    bool help = false;
    if (const std::string error = Parse(arguments, line, help); !error.empty()) {
        return UsageError(error);
    }
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    PatchCheckOptions options;
    if (line.install_root) {
        if (!line.install_root->exact || line.install_root->text.empty()) {
            return UsageError("--install-root needs a Windows path in UTF-8");
        }
        options.install_root = line.install_root->text;
    }
    InstalledListing installed;
    if (line.installed) {
        const std::optional<std::string> text = ReadWhole(line.installed->native);
        if (!text) {
            std::cerr << "patch-check: cannot read listing " << line.installed->shown << '\n';
            return 2;
        }
        if (std::string error; !installed.Parse(*text, error)) {
            std::cerr << "patch-check: listing " << line.installed->shown << ": " << error << '\n';
            return 2;
        }
        options.installed = &installed;
    }
    const auto lister = MakeFolderLister(line.folder->native);
    return CheckPatchTree(*lister, line.folder->shown, options, std::cout, std::cerr);
}

}  // namespace
}  // namespace tendril

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return tendril::Run(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
    return tendril::Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
