#include "platform/image_identity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vrel {
namespace {

// The header records as the PE format lists them, field by field, so that the images built
// here don't share the parser's offsets.
#pragma pack(push, 1)
struct DosHeader {
    std::uint16_t magic;
    std::uint8_t unused[58];
    std::uint32_t nt_headers;
};
struct FileHeader {
    std::uint16_t machine;
    std::uint16_t number_of_sections;
    std::uint32_t time_date_stamp;
    std::uint32_t pointer_to_symbol_table;
    std::uint32_t number_of_symbols;
    std::uint16_t size_of_optional_header;
    std::uint16_t characteristics;
};
struct DataDirectory {
    std::uint32_t virtual_address;
    std::uint32_t size;
};
struct OptionalHeader32 {
    std::uint16_t magic;
    std::uint8_t major_linker_version;
    std::uint8_t minor_linker_version;
    std::uint32_t size_of_code;
    std::uint32_t size_of_initialized_data;
    std::uint32_t size_of_uninitialized_data;
    std::uint32_t address_of_entry_point;
    std::uint32_t base_of_code;
    std::uint32_t base_of_data;
    std::uint32_t image_base;
    std::uint32_t section_alignment;
    std::uint32_t file_alignment;
    std::uint16_t os_and_image_and_subsystem_versions[6];
    std::uint32_t win32_version_value;
    std::uint32_t size_of_image;
    std::uint32_t size_of_headers;
    std::uint32_t check_sum;
    std::uint16_t subsystem;
    std::uint16_t dll_characteristics;
    std::uint32_t size_of_stack_reserve;
    std::uint32_t size_of_stack_commit;
    std::uint32_t size_of_heap_reserve;
    std::uint32_t size_of_heap_commit;
    std::uint32_t loader_flags;
    std::uint32_t number_of_rva_and_sizes;
    DataDirectory data_directory[16];
};
struct OptionalHeader64 {
    std::uint16_t magic;
    std::uint8_t major_linker_version;
    std::uint8_t minor_linker_version;
    std::uint32_t size_of_code;
    std::uint32_t size_of_initialized_data;
    std::uint32_t size_of_uninitialized_data;
    std::uint32_t address_of_entry_point;
    std::uint32_t base_of_code;
    std::uint64_t image_base;
    std::uint32_t section_alignment;
    std::uint32_t file_alignment;
    std::uint16_t os_and_image_and_subsystem_versions[6];
    std::uint32_t win32_version_value;
    std::uint32_t size_of_image;
    std::uint32_t size_of_headers;
    std::uint32_t check_sum;
    std::uint16_t subsystem;
    std::uint16_t dll_characteristics;
    std::uint64_t size_of_stack_reserve;
    std::uint64_t size_of_stack_commit;
    std::uint64_t size_of_heap_reserve;
    std::uint64_t size_of_heap_commit;
    std::uint32_t loader_flags;
    std::uint32_t number_of_rva_and_sizes;
    DataDirectory data_directory[16];
};
template <typename OptionalHeader>
struct NtHeaders {
    std::uint32_t signature;
    FileHeader file;
    OptionalHeader optional;
};
struct DebugEntry {
    std::uint32_t characteristics;
    std::uint32_t time_date_stamp;
    std::uint16_t major_version;
    std::uint16_t minor_version;
    std::uint32_t type;
    std::uint32_t size_of_data;
    std::uint32_t address_of_raw_data;
    std::uint32_t pointer_to_raw_data;
};
struct CodeViewRecord {
    std::uint32_t signature;
    std::uint8_t guid[16];
    std::uint32_t age;
    char pdb_name[8];
};
#pragma pack(pop)
static_assert(sizeof(DosHeader) == 64);
static_assert(sizeof(FileHeader) == 20);
static_assert(sizeof(OptionalHeader32) == 224);
static_assert(sizeof(OptionalHeader64) == 240);
static_assert(sizeof(DebugEntry) == 28);

enum class Layout { kPe32, kPe32Plus };

const char* LayoutName(Layout layout) {
    return layout == Layout::kPe32 ? "Pe32" : "Pe32Plus";
}
void PrintTo(Layout layout, std::ostream* out) {
    *out << LayoutName(layout);
}

// Every byte differs and the halves of each field differ, so a swapped or misplaced byte
// shows in the text; the letters show the case.
constexpr std::uint8_t kGuid[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                    0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
constexpr std::uint32_t kAge = 42;
constexpr char kIdentity[] = "67452301-AB89-EFCD-FEDC-BA9876543210,42";

// A small module as the loader lays it out: headers, one debug entry and the CodeView
// record it points to, with room for a second entry between them.
class SyntheticImage {
public:
    static constexpr std::uint32_t kNtHeadersAt = 0x80;
    static constexpr std::uint32_t kDebugEntryAt = 0x200;
    static constexpr std::uint32_t kRecordAt = 0x240;
    static constexpr std::uint32_t kEmptySpaceAt = 0x280;
    static constexpr std::uint32_t kSize = 0x300;

    explicit SyntheticImage(Layout layout) : layout_(layout), bytes_(kSize) {
        Edit<DosHeader>(0, [](DosHeader& dos) {
            dos.magic = 0x5A4D;
            dos.nt_headers = kNtHeadersAt;
        });
        EditNtHeaders([this](auto& nt) {
            nt.signature = 0x00004550;
            nt.file.size_of_optional_header = sizeof(nt.optional);
            nt.optional.magic = magic();
            nt.optional.size_of_image = kSize;
            nt.optional.number_of_rva_and_sizes = 16;
            nt.optional.data_directory[6] = {kDebugEntryAt, sizeof(DebugEntry)};
        });
        EditDebugEntry([](DebugEntry& entry) {
            entry.type = 2;  // CodeView
            entry.size_of_data = sizeof(CodeViewRecord);
            entry.address_of_raw_data = kRecordAt;
            entry.pointer_to_raw_data = 0x1240;  // a file offset: nothing to do in memory
        });
        EditRecord([](CodeViewRecord& record) {
            std::memcpy(&record.signature, "RSDS", 4);
            std::memcpy(record.guid, kGuid, sizeof(kGuid));
            record.age = kAge;
            std::memcpy(record.pdb_name, "a.pdb", 6);
        });
    }

    std::uint16_t magic() const { return layout_ == Layout::kPe32 ? kPe32Magic : kPe32PlusMagic; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    template <typename Record, typename Change>
    void Edit(std::uint32_t offset, Change change) {
        Record record;
        std::memcpy(&record, bytes_.data() + offset, sizeof(record));
        change(record);
        std::memcpy(bytes_.data() + offset, &record, sizeof(record));
    }
    // `change` takes either layout's headers: write it with auto.
    template <typename Change>
    void EditNtHeaders(Change change) {
        if (layout_ == Layout::kPe32) {
            Edit<NtHeaders<OptionalHeader32>>(kNtHeadersAt, change);
        } else {
            Edit<NtHeaders<OptionalHeader64>>(kNtHeadersAt, change);
        }
    }
    template <typename Change>
    void EditDebugEntry(Change change) {
        Edit<DebugEntry>(kDebugEntryAt, change);
    }
    template <typename Change>
    void EditRecord(Change change) {
        Edit<CodeViewRecord>(kRecordAt, change);
    }

private:
    Layout layout_;
    std::vector<std::uint8_t> bytes_;
};

void SetDirectoryCount(SyntheticImage& image, std::uint32_t count) {
    image.EditNtHeaders([count](auto& nt) { nt.optional.number_of_rva_and_sizes = count; });
}
void SetDebugDirectory(SyntheticImage& image, std::uint32_t address, std::uint32_t size) {
    image.EditNtHeaders([address, size](auto& nt) {
        nt.optional.data_directory[6] = {address, size};
    });
}

struct IdentityCase {
    const char* name;
    std::function<void(SyntheticImage&)> change;
    Result expected;
    std::string identity;  // on success
};

// A test table: a failed allocation here would end the test program before main, as it should.
// NOLINTNEXTLINE(cert-err58-cpp)
const IdentityCase kIdentityCases[] = {
    {"valid", [](SyntheticImage&) {}, results::kOk, kIdentity},
    {"seven directories reach the debug one", [](auto& i) { SetDirectoryCount(i, 7); },
     results::kOk, kIdentity},
    {"six directories have no debug one", [](auto& i) { SetDirectoryCount(i, 6); }, results::kOk,
     ""},
    {"no directories", [](auto& i) { SetDirectoryCount(i, 0); }, results::kOk, ""},
    {"age zero", [](auto& i) { i.EditRecord([](CodeViewRecord& r) { r.age = 0; }); }, results::kOk,
     "67452301-AB89-EFCD-FEDC-BA9876543210,0"},
    {"largest age", [](auto& i) { i.EditRecord([](CodeViewRecord& r) { r.age = 0xFFFFFFFF; }); },
     results::kOk, "67452301-AB89-EFCD-FEDC-BA9876543210,4294967295"},
    {"first entry of another type is read all the same",
     [](auto& i) { i.EditDebugEntry([](DebugEntry& e) { e.type = 1; }); }, results::kOk, kIdentity},
    {"debug directory of size 0",
     [](auto& i) { SetDebugDirectory(i, SyntheticImage::kDebugEntryAt, 0); }, results::kInvalidSize,
     ""},
    {"debug directory one byte short of an entry",
     [](auto& i) { SetDebugDirectory(i, SyntheticImage::kDebugEntryAt, 27); },
     results::kInvalidSize, ""},
    {"first entry's data one byte short of a record",
     [](auto& i) { i.EditDebugEntry([](DebugEntry& e) { e.size_of_data = 27; }); },
     results::kInvalidSize, ""},
    {"only the first entry counts",
     [](auto& i) {
         SetDebugDirectory(i, SyntheticImage::kDebugEntryAt, 2 * sizeof(DebugEntry));
         i.EditDebugEntry(
             [](DebugEntry& e) { e.address_of_raw_data = SyntheticImage::kEmptySpaceAt; });
         i.template Edit<DebugEntry>(SyntheticImage::kDebugEntryAt + sizeof(DebugEntry),
                                     [](DebugEntry& e) {
                                         e.type = 2;
                                         e.size_of_data = sizeof(CodeViewRecord);
                                         e.address_of_raw_data = SyntheticImage::kRecordAt;
                                     });
     },
     results::kInvalidSignature, ""},
    {"no MZ",
     [](auto& i) { i.template Edit<DosHeader>(0, [](DosHeader& d) { d.magic = 0x4D5A; }); },
     results::kInvalidSignature, ""},
    {"no PE signature",
     [](auto& i) { i.EditNtHeaders([](auto& nt) { nt.signature = 0x01004550; }); },
     results::kInvalidSignature, ""},
    {"optional header of another kind",
     [](auto& i) { i.EditNtHeaders([](auto& nt) { nt.optional.magic = 0x107; }); },
     results::kInvalidSignature, ""},
    {"NB10 record instead of RSDS",
     [](auto& i) { i.EditRecord([](CodeViewRecord& r) { std::memcpy(&r.signature, "NB10", 4); }); },
     results::kInvalidSignature, ""},
    {"NT headers past the end",
     [](auto& i) {
         i.template Edit<DosHeader>(0, [](DosHeader& d) { d.nt_headers = SyntheticImage::kSize; });
     },
     results::kInvalidSignature, ""},
    {"NT headers near 4 GiB",
     [](auto& i) {
         i.template Edit<DosHeader>(0, [](DosHeader& d) { d.nt_headers = 0xFFFFFFFC; });
     },
     results::kInvalidSignature, ""},
    {"debug entry running past the end",
     [](auto& i) { SetDebugDirectory(i, SyntheticImage::kSize - 27, sizeof(DebugEntry)); },
     results::kInvalidSize, ""},
    {"debug entry near 4 GiB",
     [](auto& i) { SetDebugDirectory(i, 0xFFFFFFF0, sizeof(DebugEntry)); }, results::kInvalidSize,
     ""},
    {"record running past the end",
     [](auto& i) {
         i.EditDebugEntry(
             [](DebugEntry& e) { e.address_of_raw_data = SyntheticImage::kSize - 23; });
     },
     results::kInvalidSize, ""},
    {"record near 4 GiB",
     [](auto& i) { i.EditDebugEntry([](DebugEntry& e) { e.address_of_raw_data = 0xFFFFFFFF; }); },
     results::kInvalidSize, ""},
};

class ImageIdentityTest : public ::testing::TestWithParam<Layout> {};

TEST_P(ImageIdentityTest, Cases) {
    for (const IdentityCase& test : kIdentityCases) {
        SyntheticImage image(GetParam());
        test.change(image);
        ImageIdentity out;
        out.size = 7;  // shows whether a failure wrote it
        const Result result = ReadImageIdentity(image.bytes(), image.magic(), out);
        EXPECT_EQ(result, test.expected) << test.name;
        if (Succeeded(test.expected)) {
            EXPECT_EQ(out.debug_identity, test.identity) << test.name;
            EXPECT_EQ(out.size, SyntheticImage::kSize) << test.name;
        } else {
            EXPECT_EQ(out.size, 7u) << test.name;
        }
    }
}

TEST_P(ImageIdentityTest, SizeComesFromTheHeaderNotFromTheSpan) {
    SyntheticImage image(GetParam());
    image.EditNtHeaders([](auto& nt) { nt.optional.size_of_image = 0x00ABCDEF; });
    ImageIdentity identity;
    ASSERT_EQ(ReadImageIdentity(image.bytes(), image.magic(), identity), results::kOk);
    EXPECT_EQ(identity.size, 0x00ABCDEFu);

    // The headers alone are enough for the size.
    std::uint64_t size = 0;
    const std::span<const std::uint8_t> headers(image.bytes().data(),
                                                SyntheticImage::kDebugEntryAt);
    ASSERT_EQ(ReadImageSize(headers, image.magic(), size), results::kOk);
    EXPECT_EQ(size, 0x00ABCDEFu);
}

TEST_P(ImageIdentityTest, OtherBitnessIsRejected) {
    const SyntheticImage image(GetParam());
    const std::uint16_t other = image.magic() == kPe32Magic ? kPe32PlusMagic : kPe32Magic;
    ImageIdentity identity;
    EXPECT_EQ(ReadImageIdentity(image.bytes(), other, identity), results::kInvalidSignature);
    std::uint64_t size = 0;
    EXPECT_EQ(ReadImageSize(image.bytes(), other, size), results::kInvalidSignature);
}

TEST_P(ImageIdentityTest, CutImageFailsUntilTheRecordIsWhole) {
    // Each prefix gets a heap block of exactly its length, so a read past it is caught by the
    // sanitizer build.
    const SyntheticImage image(GetParam());
    constexpr std::size_t kRecordEnd = SyntheticImage::kRecordAt + 24;
    for (std::size_t length = 0; length <= SyntheticImage::kSize; ++length) {
        const std::vector<std::uint8_t> prefix(
            image.bytes().begin(), image.bytes().begin() + static_cast<std::ptrdiff_t>(length));
        ImageIdentity identity;
        const Result result = ReadImageIdentity(prefix, image.magic(), identity);
        if (length < kRecordEnd) {
            EXPECT_TRUE(Failed(result)) << length;
        } else {
            EXPECT_EQ(result, results::kOk) << length;
            EXPECT_STREQ(identity.debug_identity, kIdentity) << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ImageIdentityTest,
                         ::testing::Values(Layout::kPe32, Layout::kPe32Plus),
                         [](const auto& param_info) {
                             return std::string(LayoutName(param_info.param));
                         });

TEST(ImageIdentityTest, UnknownExpectedKindIsRejected) {
    // Without a known layout the directories can't be found, even when the image agrees.
    SyntheticImage image(Layout::kPe32);
    image.EditNtHeaders([](auto& nt) { nt.optional.magic = 0x107; });
    ImageIdentity identity;
    EXPECT_EQ(ReadImageIdentity(image.bytes(), 0x107, identity), results::kInvalidSignature);
}

}  // namespace
}  // namespace vrel
