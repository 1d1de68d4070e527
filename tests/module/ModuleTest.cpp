// PLUGWARD.DLL loaded with LoadLibrary and driven through its exports, as a
// host does; the host library stand-in records what the module registered.
#include "host/Admext32.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {
const char kMenuValid[] = "?MenuValid@CSnapinSetupMenu@@SAXPAI@Z";
const char kMenuAction[] = "?MenuAction@CSnapinSetupMenu@@SAXXZ";

using InitFn = int(__cdecl*)();
using ShutDownFn = void(__cdecl*)();
using ValidFn = void(__cdecl*)(unsigned int*);
using ActionFn = void(__cdecl*)();

struct LoadedModule {
    HMODULE module = LoadLibraryA((ExecutableDirectory() + "PLUGWARD.DLL").c_str());
    ~LoadedModule() {
        if (module) FreeLibrary(module);
    }
    template <typename F>
    F Get(const char* name) const { return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))); }
};

unsigned int StateWord(const LoadedModule& dll) {
    unsigned int state = 0xFFFF;
    dll.Get<ValidFn>(kMenuValid)(&state);
    return state;
}

const unsigned char* Rva(HMODULE module, DWORD rva) { return reinterpret_cast<const unsigned char*>(module) + rva; }

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int index) {
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(Rva(module, dos->e_lfanew));
    return nt->OptionalHeader.DataDirectory[index];
}
}  // namespace

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override { AdmResetMenuItems(); }
    ScratchHkcu hkcu;
};

TEST_F(ModuleTest, LifecycleThroughTheExports) {
    LoadedModule dll;
    ASSERT_NE(dll.module, nullptr) << GetLastError();
    auto init = dll.Get<InitFn>("InitSnapin");
    auto shutDown = dll.Get<ShutDownFn>("ShutDown");
    ASSERT_TRUE(init && shutDown && dll.Get<ValidFn>(kMenuValid) && dll.Get<ActionFn>(kMenuAction));

    EXPECT_EQ(StateWord(dll), 3u) << "no item is current before InitSnapin";
    dll.Get<ActionFn>(kMenuAction)();  // nothing to act on: returns at once
    shutDown();                        // before InitSnapin: no effect
    EXPECT_EQ(AdmGetMenuItemCount(), 0);

    EXPECT_EQ(init(), 0);
    ASSERT_EQ(AdmGetMenuItemCount(), 1);
    EXPECT_EQ(StateWord(dll), 0u);

    shutDown();
    EXPECT_EQ(StateWord(dll), 3u) << "the destroyed item must not be reached";
    dll.Get<ActionFn>(kMenuAction)();
    shutDown();
    EXPECT_EQ(StateWord(dll), 3u);
}

TEST_F(ModuleTest, RegistersTheMenuItemWithTheTenArguments) {
    LoadedModule dll;
    ASSERT_EQ(dll.Get<InitFn>("InitSnapin")(), 0);
    AdmMenuItem item{};
    ASSERT_EQ(AdmGetMenuItem(0, &item), 0);
    EXPECT_STREQ(item.name, "ListMenu");
    EXPECT_EQ(item.reserved[0], 0);
    EXPECT_EQ(item.reserved[1], 0);
    EXPECT_EQ(item.reserved[2], 0);
    ASSERT_NE(item.hostItemId, nullptr);
    EXPECT_EQ(*item.hostItemId, item.assignedId) << "the host's write reaches the item's field";
    EXPECT_STREQ(item.text, "Snap-in Configuration");
    EXPECT_STREQ(item.hint, "Snap-in Auto-registration Configuration");
    EXPECT_EQ(reinterpret_cast<void*>(item.action), reinterpret_cast<void*>(dll.Get<ActionFn>(kMenuAction)));
    EXPECT_EQ(reinterpret_cast<void*>(item.valid), reinterpret_cast<void*>(dll.Get<ValidFn>(kMenuValid)));
    EXPECT_EQ(item.flags, 0x01010000ul);

    // The callbacks the host kept act on the item.
    unsigned int state = 0xFFFF;
    item.valid(&state);
    EXPECT_EQ(state, 0u);
    dll.Get<ShutDownFn>("ShutDown")();
    item.valid(&state);
    EXPECT_EQ(state, 3u);
}

TEST_F(ModuleTest, StartWithoutSnapinsDirectoryWritesNoEntry) {
    LoadedModule dll;
    ASSERT_EQ(dll.Get<InitFn>("InitSnapin")(), 0);
    for (const char* list : {kObjectOn, kObjectOff, kViewOn, kViewOff}) EXPECT_TRUE(ReadList(list).empty()) << list;
    dll.Get<ShutDownFn>("ShutDown")();
}

TEST(ModuleImage, ExportsExactlyTheFiveEntryPoints) {
    LoadedModule dll;
    ASSERT_NE(dll.module, nullptr);
    const IMAGE_DATA_DIRECTORY& dir = Directory(dll.module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(Rva(dll.module, dir.VirtualAddress));
    auto names = reinterpret_cast<const DWORD*>(Rva(dll.module, exports->AddressOfNames));
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.insert(reinterpret_cast<const char*>(Rva(dll.module, names[i])));
    EXPECT_EQ(found, (std::set<std::string>{"InitSnapin", "ShutDown", "EnforceSnapinPolicy", kMenuValid, kMenuAction}));
    EXPECT_EQ(exports->NumberOfFunctions, 5u);
}

TEST(ModuleImage, ImportsSystemLibrariesOnly) {
    LoadedModule dll;
    ASSERT_NE(dll.module, nullptr);
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL",
                                          "VERSION.DLL", "MSVCRT.DLL"};
    const IMAGE_DATA_DIRECTORY& dir = Directory(dll.module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(Rva(dll.module, dir.VirtualAddress));
         desc->Name; ++desc) {
        std::string name = reinterpret_cast<const char*>(Rva(dll.module, desc->Name));
        for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        EXPECT_TRUE(system.count(name)) << "unexpected import library " << name;
    }
}

TEST(ModuleImage, VersionResourceReadsBack) {
    const std::string path = ExecutableDirectory() + "PLUGWARD.DLL";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 0x4u);
    EXPECT_EQ(fixed->dwFileType, 0x2u);
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);

    const std::pair<const char*, const char*> strings[] = {
        {"CompanyName", ""},
        {"FileDescription", "Tarvex Snap-in Installation Module"},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "PLUGWARD"},
        {"OriginalFilename", "PLUGWARD.DLL"},
        {"ProductName", "PLUGWARD Tarvex Snap-in Dynamic Link Library"},
        {"ProductVersion", "1, 0, 0, 1"},
    };
    for (const auto& [key, expected] : strings) {
        char* value = nullptr;
        std::string query = std::string("\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << key;
        EXPECT_STREQ(value, expected) << key;
    }
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);
}
