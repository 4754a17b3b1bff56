#include "regscript/reader.h"
#include "regscript/system_error.h"
#include "regscript/widen.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <typeinfo>
#include <variant>
#include <vector>

namespace tendril {
namespace {

using namespace std::string_literals;

// Data as the registry receives it: script text widened byte for byte.
using WrittenData = std::variant<std::wstring, std::uint32_t>;

// An operation that owns its text, widened, so that rows spell each character by its code and
// a parsed result can be compared after its script is gone.
struct WrittenOperation {
    RegistryOperationKind kind;
    RegistryRoot root;
    std::wstring subkey;
    std::wstring name;
    WrittenData data;

    friend bool operator==(const WrittenOperation&, const WrittenOperation&) = default;
};

using Operations = std::vector<WrittenOperation>;

WrittenData Written(const RegistryData& data) {
    if (const auto* text = std::get_if<std::string_view>(&data)) {
        return WidenScriptText(*text);
    }
    return std::get<std::uint32_t>(data);
}

Operations Written(const RegistryScript& script) {
    Operations written;
    for (const auto& op : script) {
        written.push_back({op.kind, op.key.root, WidenScriptText(op.key.subkey),
                           WidenScriptText(op.value.name), Written(op.value.data)});
    }
    return written;
}

// Readable failure output: the default would dump the objects' bytes.
void PrintTo(const WrittenOperation& op, std::ostream* os) {
    auto narrow = [](const std::wstring& text) {
        std::string out;
        for (wchar_t c : text) {
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return out.size() > 80 ? out.substr(0, 80) + "..." : out;
    };
    *os << "{kind " << op.kind << ", root " << op.root << ", [" << narrow(op.subkey) << "] \""
        << narrow(op.name) << "\" = ";
    if (const auto* text = std::get_if<std::wstring>(&op.data)) {
        *os << "string \"" << narrow(*text) << "\" (" << text->size() << " chars)}";
    } else {
        *os << "number " << std::get<std::uint32_t>(op.data) << "}";
    }
}

struct Failure {
    const std::type_info* type;
    std::string message;
    std::size_t line;
};

struct Case {
    std::string name;
    std::string bytes;
    std::variant<Operations, Failure> expected;
};

Failure RuntimeError(std::string message, std::size_t line) {
    return {&typeid(std::runtime_error), std::move(message), line};
}

Failure InvalidArgument(std::string message, std::size_t line) {
    return {&typeid(std::invalid_argument), std::move(message), line};
}

Failure OutOfRange(std::string message, std::size_t line) {
    return {&typeid(std::out_of_range), std::move(message), line};
}

WrittenOperation Set(std::wstring subkey, std::wstring name, WrittenData data) {
    return {kRegistryOperationSetValue, kRegistryRootLocalMachine, std::move(subkey),
            std::move(name), std::move(data)};
}

WrittenData Text(std::wstring text) {
    return WrittenData{std::move(text)};
}
WrittenData Number(std::uint32_t number) {
    return WrittenData{number};
}

// A test constant: a failed allocation here would end the test program before main.
// NOLINTNEXTLINE(cert-err58-cpp)
const std::string kKey = "[HKEY_LOCAL_MACHINE\\Software\\A]\n";

// A file of `count` valid value lines under one key, each setting "V<i>".
std::string ManyValueLines(int count) {
    std::string bytes = kKey;
    for (int i = 0; i < count; ++i) {
        bytes += "\"V" + std::to_string(i) + "\"=dword:" + std::to_string(i) + "\n";
    }
    return bytes;
}

std::vector<Case> WholeFileCases() {
    const std::string one_mib(1 << 20, 'a');
    return {
        // Lines that carry nothing.
        {"empty file", "", Operations{}},
        {"only a line end", "\n", Operations{}},
        {"header, blanks and comments", "REGEDIT4\n\n; comment\n;[HKEY_X]\n\n", Operations{}},
        {"indented comment", " ; comment\n", RuntimeError("Invalid line:  ; comment", 1)},
        {"header with a blank", "REGEDIT4 \n", RuntimeError("Invalid line: REGEDIT4 ", 1)},
        {"header in lower case", "regedit4\n", RuntimeError("Invalid line: regedit4", 1)},
        {"line of blanks", "REGEDIT4\n   \n", RuntimeError("Invalid line:    ", 2)},

        // Keys and values.
        {"one string value", "REGEDIT4\n\n" + kKey + "\"X\"=\"1\"\n",
         Operations{Set(L"Software\\A", L"X", Text(L"1"))}},
        {"no header, no final line end", kKey + "\"X\"=\"1\"",
         Operations{Set(L"Software\\A", L"X", Text(L"1"))}},
        {"header after keys is skipped", kKey + "REGEDIT4\n\"X\"=\"1\"\n",
         Operations{Set(L"Software\\A", L"X", Text(L"1"))}},
        {"later key replaces the current one",
         kKey + "\"X\"=\"1\"\n[HKEY_LOCAL_MACHINE\\Software\\B]\n\"Y\"=dword:2\n",
         Operations{Set(L"Software\\A", L"X", Text(L"1")), Set(L"Software\\B", L"Y", Number(2))}},
        {"same value twice stays twice, in order", kKey + "\"X\"=\"1\"\n\"X\"=\"2\"\n",
         Operations{Set(L"Software\\A", L"X", Text(L"1")), Set(L"Software\\A", L"X", Text(L"2"))}},
        {"key of braces, blanks and dots",
         "[HKEY_LOCAL_MACHINE\\Software\\{0A1B}\\Sub Key.2]\n\"a-b_c .d\"=\"\"\n",
         Operations{Set(L"Software\\{0A1B}\\Sub Key.2", L"a-b_c .d", Text(L""))}},
        {"backslashes of the subkey kept", "[HKEY_LOCAL_MACHINE\\\\Software\\\\A\\]\n\"X\"=\"\"\n",
         Operations{Set(L"\\Software\\\\A\\", L"X", Text(L""))}},
        {"key with parenthesis", "[HKEY_LOCAL_MACHINE\\Software\\A(1)]\n",
         RuntimeError("Invalid line: [HKEY_LOCAL_MACHINE\\Software\\A(1)]", 1)},
        {"blank after key", "[HKEY_LOCAL_MACHINE\\Software] \n",
         RuntimeError("Invalid line: [HKEY_LOCAL_MACHINE\\Software] ", 1)},
        {"indented key", " [HKEY_LOCAL_MACHINE\\Software]\n",
         RuntimeError("Invalid line:  [HKEY_LOCAL_MACHINE\\Software]", 1)},
        {"root only", "[HKEY_LOCAL_MACHINE]\n", RuntimeError("Invalid key/subkey name", 1)},
        {"root and backslash only", "[HKEY_LOCAL_MACHINE\\]\n",
         RuntimeError("Invalid key/subkey name", 1)},
        {"other hive", "[HKEY_CURRENT_USER\\Software]\n",
         InvalidArgument("Invalid root key: HKEY_CURRENT_USER", 1)},
        {"root in lower case", "[hkey_local_machine\\Software]\n",
         InvalidArgument("Invalid root key: hkey_local_machine", 1)},
        {"abbreviated root", "[HKLM\\Software]\n", InvalidArgument("Invalid root key: HKLM", 1)},
        {"key deletion", "[-HKEY_LOCAL_MACHINE\\Software\\A]\n",
         InvalidArgument("Invalid root key: -HKEY_LOCAL_MACHINE", 1)},
        {"empty root", "[\\Software]\n", InvalidArgument("Invalid root key: ", 1)},
        {"value before any key", "REGEDIT4\n\"X\"=\"1\"\n" + kKey,
         RuntimeError("Invalid file format: value without key is found", 2)},
        {"invalid line before any key", "X=1\n", RuntimeError("Invalid line: X=1", 1)},
        {"default value", kKey + "@=\"1\"\n", RuntimeError("Invalid line: @=\"1\"", 2)},
        {"blank before =", kKey + "\"X\" =\"1\"\n", RuntimeError("Invalid line: \"X\" =\"1\"", 2)},
        {"blank after =", kKey + "\"X\"= \"1\"\n", RuntimeError("Can't parse value:  \"1\"", 2)},
        {"nothing after =", kKey + "\"X\"=\n", RuntimeError("Invalid line: \"X\"=", 2)},
        {"empty name", kKey + "\"\"=\"1\"\n", RuntimeError("Invalid line: \"\"=\"1\"", 2)},
        {"backslash in name", kKey + "\"a\\b\"=\"1\"\n",
         RuntimeError("Invalid line: \"a\\b\"=\"1\"", 2)},
        {"parenthesis in name", kKey + "\"a(b)\"=\"1\"\n",
         RuntimeError("Invalid line: \"a(b)\"=\"1\"", 2)},

        // Bytes as characters, and text-mode reading.
        {"CR LF line ends",
         "REGEDIT4\r\n\r\n" + "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n"s + "\"X\"=\"1\"\r\n",
         Operations{Set(L"Software\\A", L"X", Text(L"1"))}},
        {"CR CR LF leaves a CR in the line", "[HKEY_LOCAL_MACHINE\\Software\\A]\r\r\n",
         RuntimeError("Invalid line: [HKEY_LOCAL_MACHINE\\Software\\A]\r", 1)},
        {"lone CR inside value data", kKey + "\"X\"=\"a\rb\"\n",
         RuntimeError("Invalid line: \"X\"=\"a\rb\"", 2)},
        {"Ctrl-Z ends the input",
         kKey + "\"X\"=\"1\"\n\x1A"
                "garbage\n",
         Operations{Set(L"Software\\A", L"X", Text(L"1"))}},
        {"Ctrl-Z inside a line",
         kKey + "\"X\"=\"ab\"\x1A"
                "cd\"\n",
         Operations{Set(L"Software\\A", L"X", Text(L"ab"))}},
        {"CR before Ctrl-Z stays", kKey + "\"X\"=\"1\"\r\x1A\n",
         RuntimeError("Invalid line: \"X\"=\"1\"\r", 2)},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBFREGEDIT4\r\n" + kKey,
         RuntimeError("Invalid line: \xEF\xBB\xBFREGEDIT4", 1)},
        // The message keeps every byte, but what() ends at the first NUL.
        {"UTF-16 file",
         "\xFF\xFER\0E\0G\0E\0D\0I\0T\0"
         "4\0\r\0\n\0"s,
         RuntimeError("Invalid line: \xFF\xFER", 1)},
        {"Latin-1 bytes", "[HKEY_LOCAL_MACHINE\\Caf\xE9]\n\"\xB5\xAA\"=\"\x80\xA0\xFF\"\n",
         Operations{Set(L"Caf\u00E9", L"\u00B5\u00AA", Text(L"\u0080\u00A0\u00FF"))}},
        {"Latin-1 sign in a name", kKey + "\"a\xD7\"=\"1\"\n",
         RuntimeError("Invalid line: \"a\xD7\"=\"1\"", 2)},
        {"NUL byte in data", kKey + "\"X\"=\"a\0b\"\n"s,
         Operations{Set(L"Software\\A", L"X", Text(L"a\0b"s))}},

        // Size.
        {"error on the last line of a long file", ManyValueLines(2000) + "\"Y\"=yes\n",
         RuntimeError("Can't parse value: yes", 2002)},
        {"one MiB value line", kKey + "\"X\"=\"" + one_mib + "\"\n",
         Operations{Set(L"Software\\A", L"X", Text(std::wstring(one_mib.size(), L'a')))}},
        {"one MiB key line", "[HKEY_LOCAL_MACHINE\\" + one_mib + "]\n\"X\"=\"\"\n",
         Operations{Set(std::wstring(one_mib.size(), L'a'), L"X", Text(L""))}},
    };
}

// Data texts of a value line under a valid key, each with the value it stores.
std::vector<Case> DataTextCases() {
    const std::vector<std::pair<std::string, std::variant<WrittenData, Failure>>> rows = {
        {"\"1\"", Text(L"1")},
        {"\"\"", Text(L"")},
        {"\"C:\\\\dir\"", Text(L"C:\\\\dir")},
        {"\"a\"b\"", Text(L"a\"b")},
        {"\"a\\\"", Text(L"a\\")},
        {"\"abc", RuntimeError("Can't parse value: \"abc", 2)},
        {"\"", RuntimeError("Can't parse value: \"", 2)},
        {"\"1\" ", RuntimeError("Can't parse value: \"1\" ", 2)},
        {"dword:0000001f", Number(31)},
        {"dword:0x1F", Number(31)},
        {"dword:0X1f", Number(31)},
        {"dword: 1f", Number(31)},
        {"dword:\t\v\f 1f", Number(31)},
        {"dword:1fzz", Number(31)},
        {"dword:+1f", Number(31)},
        {"dword:-1", Number(0xFFFFFFFF)},
        {"dword:-0x10", Number(0xFFFFFFF0)},
        {"dword:7fffffff", Number(0x7FFFFFFF)},
        {"dword:-80000000", Number(0x80000000)},
        {"dword:0000000000000000000001", Number(1)},
        {"dword:0x", Number(0)},
        {"dword:0xg", Number(0)},
        {"dword:0x0x1", Number(0)},
        {"dword:80000000", OutOfRange("stol argument out of range", 2)},
        {"dword:-80000001", OutOfRange("stol argument out of range", 2)},
        {"dword:ffffffff", OutOfRange("stol argument out of range", 2)},
        {"dword:100000000", OutOfRange("stol argument out of range", 2)},
        {"dword:123456789abcdef0123456789", OutOfRange("stol argument out of range", 2)},
        {"dword:g", InvalidArgument("invalid stol argument", 2)},
        {"dword:x1", InvalidArgument("invalid stol argument", 2)},
        {"dword:-", InvalidArgument("invalid stol argument", 2)},
        {"dword:+ 1", InvalidArgument("invalid stol argument", 2)},
        {"dword:--1", InvalidArgument("invalid stol argument", 2)},
        {"dword:", RuntimeError("Can't parse value: dword:", 2)},
        {"DWORD:1f", RuntimeError("Can't parse value: DWORD:1f", 2)},
        {"dword 1f", RuntimeError("Can't parse value: dword 1f", 2)},
        {"hex:01,02", RuntimeError("Can't parse value: hex:01,02", 2)},
        {"hex(2):41,00", RuntimeError("Can't parse value: hex(2):41,00", 2)},
        {"-", RuntimeError("Can't parse value: -", 2)},
        {"word", RuntimeError("Can't parse value: word", 2)},
    };
    std::vector<Case> cases;
    for (const auto& [text, expected] : rows) {
        Case c{"data " + text,
               // NOLINTNEXTLINE(performance-inefficient-string-concatenation): a test table
               kKey + "\"V\"=" + text + "\n", Operations{}};
        if (const auto* data = std::get_if<WrittenData>(&expected)) {
            c.expected = Operations{Set(L"Software\\A", L"V", *data)};
        } else {
            c.expected = std::get<Failure>(expected);
        }
        cases.push_back(std::move(c));
    }
    return cases;
}

template <typename Parse>
void ExpectOutcome(const std::string& name, const Case& c, Parse parse) {
    std::size_t failed_line = 0;
    try {
        const Operations operations = Written(parse(failed_line));
        if (const auto* failure = std::get_if<Failure>(&c.expected)) {
            ADD_FAILURE() << name << ": parsed, expected \"" << failure->message << "\"";
        } else {
            EXPECT_EQ(operations, std::get<Operations>(c.expected)) << name;
        }
    } catch (const std::exception& e) {
        if (const auto* failure = std::get_if<Failure>(&c.expected)) {
            EXPECT_EQ(typeid(e), *failure->type) << name << ": " << typeid(e).name();
            EXPECT_EQ(std::string(e.what()), failure->message) << name;
            EXPECT_EQ(failed_line, failure->line) << name;
        } else {
            ADD_FAILURE() << name << ": threw \"" << e.what() << "\"";
        }
    }
}

// Every row as given and, when it has no CR of its own, again with CR LF line ends.
void ExpectTextOutcomes(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        ExpectOutcome(c.name, c,
                      [&](std::size_t& line) { return ParseRegistryScriptText(c.bytes, line); });
        if (c.bytes.find('\r') != std::string::npos) {
            continue;
        }
        std::string crlf;
        for (char byte : c.bytes) {
            crlf += byte == '\n' ? "\r\n" : std::string(1, byte);
        }
        ExpectOutcome(c.name + " (CR LF)", c,
                      [&](std::size_t& line) { return ParseRegistryScriptText(crlf, line); });
    }
}

TEST(ParseRegistryScriptTextTest, WholeFiles) {
    ExpectTextOutcomes(WholeFileCases());
}

TEST(ParseRegistryScriptTextTest, DataTexts) {
    ExpectTextOutcomes(DataTextCases());
}

TEST(ParseRegistryScriptTextTest, OverloadWithoutLineThrowsTheSame) {
    EXPECT_EQ(Written(ParseRegistryScriptText(kKey + "\"X\"=\"1\"")),
              Operations{Set(L"Software\\A", L"X", Text(L"1"))});
    EXPECT_THROW(ParseRegistryScriptText("[HKEY_CLASSES_ROOT\\A]"), std::invalid_argument);
}

class ParseRegistryScriptFileTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::path(testing::TempDir()) /
               ("regscript_reader_" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Write(const std::string& file_name, const std::string& bytes) {
        auto path = dir_ / file_name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // A runtime error that also carries why the file did not open, for the update log.
    static void ExpectOpenFailure(const std::wstring& path, const std::string& message,
                                  std::uint32_t error) {
        std::size_t failed_line = 99;
        try {
            ParseRegistryScript(path, failed_line);
            ADD_FAILURE() << message << ": parsed";
        } catch (const FailureWithSystemError& e) {
            EXPECT_EQ(std::string(e.what()), message);
            EXPECT_EQ(e.error(), error) << message;
            EXPECT_EQ(failed_line, 0u) << message;
        } catch (const std::exception& e) {
            ADD_FAILURE() << message << ": " << typeid(e).name();
        }
    }

    std::filesystem::path dir_;
};

TEST_F(ParseRegistryScriptFileTest, FilesReadLikeTheirBytes) {
    for (const auto& cases : {WholeFileCases(), DataTextCases()}) {
        for (const auto& c : cases) {
            const std::wstring path = Write("script.regupd", c.bytes).wstring();
            ExpectOutcome(c.name + " (file)", c,
                          [&](std::size_t& line) { return ParseRegistryScript(path, line); });
        }
    }
}

TEST_F(ParseRegistryScriptFileTest, UnopenablePathsNameThePath) {
    const std::wstring missing = (dir_ / "missing.regupd").wstring();
    ExpectOpenFailure(
        missing, "Failed to open registry file: " + (dir_ / "missing.regupd").string(), ENOENT);
    ExpectOpenFailure(dir_.wstring(), "Failed to open registry file: " + dir_.string(), EISDIR);
    ExpectOpenFailure(L"/nonexistent\u0100.regupd", "Failed to open registry file: bad cast",
                      EILSEQ);
    EXPECT_THROW(ParseRegistryScript(missing), std::runtime_error);
}

// Where a line is cut from the text without a wide copy of the whole file.
std::vector<Case> LineCutCases() {
    return {
        {"CR as the last byte stays", kKey + "\"X\"=\"1\"\r",
         RuntimeError("Invalid line: \"X\"=\"1\"\r", 2)},
        {"only a CR", "\r", RuntimeError("Invalid line: \r", 1)},
        {"empty lines are counted", "\n\nX=1\n", RuntimeError("Invalid line: X=1", 3)},
        {"Ctrl-Z as the first byte", "\x1A" + kKey + "\"X\"=\"1\"\n", Operations{}},
        {"short line after a long one",
         kKey + "\"A\"=\"1\"\n\"B\"=\"" + std::string(1000, 'b') + "\"\n\"C\"=\"3\"\n",
         Operations{Set(L"Software\\A", L"A", Text(L"1")),
                    Set(L"Software\\A", L"B", Text(std::wstring(1000, L'b'))),
                    Set(L"Software\\A", L"C", Text(L"3"))}},
    };
}

TEST(ParseRegistryScriptTextTest, LineCuts) {
    ExpectTextOutcomes(LineCutCases());
}

// The list is sized from the lines that can carry a value, so a valid script leaves no spare
// room; lines after Ctrl-Z are not counted.
TEST(ParseRegistryScriptTextTest, ListHasNoSpareRoom) {
    const std::string script = "REGEDIT4\r\n; \"X\"=\"0\"\r\n" + ManyValueLines(100) +
                               "\"Last\"=\"1\"\x1A\n\"Y\"=\"2\"\n\"Z\"=\"3\"\n";
    const RegistryScript parsed = ParseRegistryScriptText(script);
    EXPECT_EQ(parsed.size(), 101u);
    EXPECT_EQ(parsed.capacity(), parsed.size());
}

// The operations view the script's bytes, so those must live exactly as long as any copy of
// the script, wherever the script object itself has moved to.
TEST(ParseRegistryScriptTextTest, CopiesAndMovesKeepTheirText) {
    const Operations expected = {Set(L"Software\\A", L"X", Text(L"1")),
                                 Set(L"Software\\A", L"Y", Number(2))};
    std::vector<RegistryScript> kept;
    {
        std::string bytes = kKey + "\"X\"=\"1\"\n\"Y\"=dword:2\n";
        RegistryScript parsed = ParseRegistryScriptText(bytes);
        bytes.assign(bytes.size(), '#');
        kept.push_back(parsed);
        kept.push_back(std::move(parsed));
    }
    kept.reserve(kept.capacity() + 1);
    for (const auto& script : kept) {
        EXPECT_EQ(Written(script), expected);
    }
    kept.pop_back();
    EXPECT_EQ(Written(kept.front()), expected);
}

TEST_F(ParseRegistryScriptFileTest, LineCutsInFiles) {
    for (const auto& c : LineCutCases()) {
        const std::wstring path = Write("script.regupd", c.bytes).wstring();
        ExpectOutcome(c.name + " (file)", c,
                      [&](std::size_t& line) { return ParseRegistryScript(path, line); });
    }
}

// Writes `bytes` into the FIFO at `path` once a reader opens it. Gives up after ten seconds
// without one, so that a reader that never opens cannot leave the test waiting.
void FeedPipe(const std::filesystem::path& path, const std::string& bytes) {
    // A reader that stops early then gives EPIPE here instead of ending the test program.
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
    int descriptor = -1;
    for (int tries = 0; descriptor < 0 && tries < 10000; ++tries) {
        descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (descriptor < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (descriptor < 0) {
        return;
    }
    ::fcntl(descriptor, F_SETFL, 0);
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count <= 0) {
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    ::close(descriptor);
}

// A pipe has no size to plan the read by and gives its bytes in pieces.
TEST_F(ParseRegistryScriptFileTest, PipeIsReadToItsEnd) {
    std::string script;
    for (char byte : ManyValueLines(20000)) {
        script += byte == '\n' ? "\r\n" : std::string(1, byte);
    }
    const auto pipe = dir_ / "pipe.regupd";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer(FeedPipe, pipe, script);
    Operations operations;
    try {
        operations = Written(ParseRegistryScript(pipe.wstring()));
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
    writer.join();
    EXPECT_EQ(operations.size(), 20000u);
    EXPECT_EQ(operations, Written(ParseRegistryScriptText(script)));
}

}  // namespace
}  // namespace tendril
