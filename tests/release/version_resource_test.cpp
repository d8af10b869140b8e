// orvanta.exe read back the way Windows reads it: Explorer's version fields, the manifest
// as the loader parses it into an activation context, and the sizes in its icon. Every number is
// compared with the project version CMake was configured with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "win32_handles.h"

namespace orvanta {
namespace {

inline void free_library(HMODULE module) noexcept { FreeLibrary(module); }
inline void release_activation_context(HANDLE context) noexcept { ReleaseActCtx(context); }
using UniqueModule = UniqueHandle<HMODULE, free_library>;
using UniqueActivationContext = UniqueHandle<HANDLE, release_activation_context>;

// The built program, or the one named by --program=WINDOWS_PATH (the installer test's installed copy).
std::string g_program_path;

const std::string& program_path() { return g_program_path; }

std::string built_program_path()
{
    std::string path = "Z:" ORVANTA_PROGRAM_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::wstring wide(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(),
                                           static_cast<int>(result.size()));
    result.resize(static_cast<std::size_t>(length));
    return result;
}

std::vector<BYTE> version_block(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) block.clear();
    return block;
}

// A string of the US English, UTF-16 table, or nothing when the value is missing.
std::string version_string(const std::vector<BYTE>& block, const std::string& name)
{
    const std::string query = "\\StringFileInfo\\040904B0\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), &value, &length) || value == nullptr) return "(missing)";
    return std::string(static_cast<const char*>(value), std::strlen(static_cast<const char*>(value)));
}

TEST(VersionResource, FixedNumbersAreTheProjectVersion)
{
    const std::vector<BYTE> block = version_block(program_path());
    ASSERT_FALSE(block.empty()) << "no version resource in " << program_path();

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(ORVANTA_EXPECTED_MINOR, ORVANTA_EXPECTED_MAJOR);
    const DWORD low = MAKELONG(ORVANTA_EXPECTED_TWEAK, ORVANTA_EXPECTED_PATCH);
    EXPECT_EQ(fixed.dwFileVersionMS, high);
    EXPECT_EQ(fixed.dwFileVersionLS, low);
    EXPECT_EQ(fixed.dwProductVersionMS, high);
    EXPECT_EQ(fixed.dwProductVersionLS, low);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed.dwFileFlags & fixed.dwFileFlagsMask, 0u) << "marked debug, pre-release or patched";
}

TEST(VersionResource, TextsNameTheProductAndItsVersion)
{
    const std::vector<BYTE> block = version_block(program_path());
    ASSERT_FALSE(block.empty());

    // Explorer finds the string table through the translation list.
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    const struct {
        const char* name;
        std::string expected;
    } fields[] = {
        {"ProductName", "Orvanta"},
        {"ProductVersion", ORVANTA_EXPECTED_VERSION},
        {"FileVersion", ORVANTA_EXPECTED_VERSION},
        {"FileDescription", ORVANTA_EXPECTED_DESCRIPTION},
        {"OriginalFilename", "orvanta.exe"},
    };
    for (const auto& field : fields) EXPECT_EQ(version_string(block, field.name), field.expected) << field.name;
}

struct CompatibilityElement {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
};

// The elements of CompatibilityInformationInActivationContext. Windows 10 added a ULONGLONG
// MaxVersionTested to each element (32 bytes, the count padded to 8); MinGW-w64's header still has
// the older 20-byte form. Wine answers in the newer one, so tell them apart by the size.
std::vector<CompatibilityElement> compatibility_elements(const std::vector<BYTE>& buffer)
{
    DWORD count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    std::size_t offset = 4;
    std::size_t stride = 20;
    if (buffer.size() >= 8 + 32 * static_cast<std::size_t>(count)) {
        offset = 8;
        stride = 32;
    }
    std::vector<CompatibilityElement> elements;
    for (DWORD index = 0; index < count && offset + stride * (index + 1) <= buffer.size(); ++index) {
        CompatibilityElement element{};
        const BYTE* source = buffer.data() + offset + stride * index;
        std::memcpy(&element.id, source, sizeof element.id);
        std::memcpy(&element.type, source + sizeof element.id, sizeof element.type);
        elements.push_back(element);
    }
    return elements;
}

// The manifest through the loader's own parser: a manifest Windows cannot read stops the program
// from starting at all ("side-by-side configuration is incorrect").
class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = wide(program_path());
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path_.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        const HANDLE context = CreateActCtxW(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest does not parse, error " << GetLastError();
        context_.reset(context);
    }

    std::wstring path_;
    UniqueActivationContext context_;
};

TEST_F(ManifestTest, RunsWithTheUsersRights)
{
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run_level{};
    ASSERT_TRUE(QueryActCtxW(0, context_.get(), nullptr, RunlevelInformationInActivationContext, &run_level,
                             sizeof run_level, nullptr));
    EXPECT_EQ(run_level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(run_level.UiAccess, 0u);
}

TEST_F(ManifestTest, DeclaresVistaToWindows11)
{
    SIZE_T needed = 0;
    QueryActCtxW(0, context_.get(), nullptr, CompatibilityInformationInActivationContext, nullptr, 0, &needed);
    ASSERT_GE(needed, sizeof(DWORD));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(QueryActCtxW(0, context_.get(), nullptr, CompatibilityInformationInActivationContext, buffer.data(),
                             buffer.size(), nullptr));
    const std::vector<CompatibilityElement> elements = compatibility_elements(buffer);

    const struct {
        const char* system;
        GUID id;
    } systems[] = {
        {"Vista", {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}}},
        {"7", {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}}},
        {"8", {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}}},
        {"8.1", {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}}},
        {"10 and 11", {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}},
    };
    std::size_t operating_systems = 0;
    for (const CompatibilityElement& element : elements)
        if (element.type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) ++operating_systems;
    EXPECT_EQ(operating_systems, std::size(systems));
    for (const auto& system : systems) {
        bool found = false;
        for (const CompatibilityElement& element : elements)
            found = found || (element.type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS && IsEqualGUID(element.id, system.id));
        EXPECT_TRUE(found) << "Windows " << system.system << " is not declared";
    }
}

TEST_F(ManifestTest, AsksForNoDpiAwareness)
{
    // Windows reads both settings; either one would make it stop scaling the device-pixel layout.
    const struct {
        const wchar_t* name;
        const char* shown;
    } settings[] = {{L"dpiAware", "dpiAware"}, {L"dpiAwareness", "dpiAwareness"}};
    for (const auto& setting : settings) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        const BOOL found =
            QueryActCtxSettingsW(0, context_.get(), nullptr, setting.name, value, std::size(value), &written);
        EXPECT_FALSE(found && value[0] != L'\0') << "the manifest sets " << setting.shown;
    }
}

TEST(ManifestText, IdentityCarriesTheProjectVersion)
{
    const UniqueModule module(LoadLibraryExA(program_path().c_str(), nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module);
    const HRSRC resource = FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(resource, nullptr) << "no manifest resource 1";
    const HGLOBAL loaded = LoadResource(module.get(), resource);
    ASSERT_NE(loaded, nullptr);
    const std::string text(static_cast<const char*>(LockResource(loaded)), SizeofResource(module.get(), resource));

    const std::string expected = std::string("version=\"") + ORVANTA_EXPECTED_VERSION_QUAD + '"';
    const std::size_t identity = text.find("<assemblyIdentity");
    ASSERT_NE(identity, std::string::npos);
    const std::size_t identity_end = text.find("/>", identity);
    EXPECT_NE(text.substr(identity, identity_end - identity).find(expected), std::string::npos) << text;
}

TEST(ProgramIcon, HoldsTheThreeSizes)
{
    const UniqueModule module(LoadLibraryExA(program_path().c_str(), nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module);
    const HRSRC resource = FindResourceA(module.get(), "DEFAULT_ICON", MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(resource, nullptr);
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module.get(), resource)));
    ASSERT_NE(group, nullptr);

    // GRPICONDIR: reserved, type, count (WORDs), then 14-byte entries that start with width, height.
    WORD count = 0;
    std::memcpy(&count, group + 4, sizeof count);
    std::vector<int> sizes;
    for (WORD index = 0; index < count; ++index) {
        const BYTE* entry = group + 6 + 14 * index;
        EXPECT_EQ(entry[0], entry[1]) << "a non-square image";
        sizes.push_back(entry[0]);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

} // namespace
} // namespace orvanta

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    orvanta::g_program_path = orvanta::built_program_path();
    const std::string_view option = "--program=";
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument.substr(0, option.size()) == option) orvanta::g_program_path = argument.substr(option.size());
    }
    return RUN_ALL_TESTS();
}
