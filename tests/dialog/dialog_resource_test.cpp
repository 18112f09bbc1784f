// Dialog resource 101 as compiled into the plug-in DLL, field by field.
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Reads an extended dialog template in order.
struct TemplateReader {
    const uint8_t* at;

    uint16_t Word() {
        uint16_t value;
        std::memcpy(&value, at, 2);
        at += 2;
        return value;
    }
    uint32_t Dword() {
        uint32_t value;
        std::memcpy(&value, at, 4);
        at += 4;
        return value;
    }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    // A string, or 0xFFFF and an ordinal (shown as "#n").
    std::wstring StringOrOrdinal() {
        uint16_t first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (; first != 0; first = Word())
            text += static_cast<wchar_t>(first);
        return text;
    }
    void AlignToDword(const uint8_t* base) {
        while ((at - base) % 4)
            ++at;
    }
};

struct Item {
    uint32_t helpId, exStyle, style;
    int16_t x, y, cx, cy;
    int32_t id;
    std::wstring windowClass, title;
};

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

TEST(DialogResource, MatchesTheDesign) {
    const HMODULE dll = LoadLibraryExA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr);
    const HRSRC found = FindResourceExA(dll, reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(101),
                                        MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(found, nullptr);
    const uint8_t* base = static_cast<const uint8_t*>(LockResource(LoadResource(dll, found)));
    TemplateReader read{base};

    EXPECT_EQ(read.Word(), 1);      // template version
    EXPECT_EQ(read.Word(), 0xFFFF); // extended
    EXPECT_EQ(read.Dword(), 0u);    // help id
    EXPECT_EQ(read.Dword(), 0u);    // extended style
    EXPECT_EQ(read.Dword(), static_cast<uint32_t>(DS_SETFONT | DS_MODALFRAME | WS_CAPTION | WS_SYSMENU));
    const uint16_t count = read.Word();
    EXPECT_EQ(count, 8);
    EXPECT_EQ(read.Short(), 22);
    EXPECT_EQ(read.Short(), 17);
    EXPECT_EQ(read.Short(), 286);
    EXPECT_EQ(read.Short(), 75);
    EXPECT_EQ(read.StringOrOrdinal(), L"");     // no menu
    EXPECT_EQ(read.StringOrOrdinal(), L"");     // standard class
    EXPECT_EQ(read.StringOrOrdinal(), L"検索"); // caption
    EXPECT_EQ(read.Word(), 9);                  // points
    EXPECT_EQ(read.Word(), 0);                  // weight
    EXPECT_EQ(*read.at++, 0);                   // italic
    EXPECT_EQ(*read.at++, 0);                   // character set
    EXPECT_EQ(read.StringOrOrdinal(), L"System");

    const Item expected[] = {
        {0, 0, kChildVisible | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 246, 6, 30, 11, 1, L"#128", L"OK"},
        {0, 0, kChildVisible | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT, 10, 6, 230, 30,
         1000, L"#133", L""},
        {0, 0, kChildVisible | WS_GROUP | BS_GROUPBOX, 10, 22, 266, 48, -1, L"#128", L"検索範囲"},
        {0, 0, kChildVisible | WS_TABSTOP | BS_AUTORADIOBUTTON, 16, 33, 82, 10, 1001, L"#128", L"現在のフォルダ(&1)"},
        {0, 0, kChildVisible | WS_TABSTOP | BS_AUTORADIOBUTTON, 122, 33, 136, 10, 1002, L"#128",
         L"現在のフォルダ+サブフォルダ(&2)"},
        {0, 0, kChildVisible | WS_TABSTOP | BS_AUTORADIOBUTTON, 16, 44, 90, 10, 1003, L"#128", L"現在のアカウント(&3)"},
        {0, 0, kChildVisible | WS_TABSTOP | BS_AUTORADIOBUTTON, 122, 44, 98, 10, 1004, L"#128",
         L"すべてのアカウント(&4)"},
        {0, 0, kChildVisible | WS_TABSTOP | BS_AUTOCHECKBOX, 22, 57, 148, 10, 1005, L"#128",
         L"未送信、草稿、ゴミ箱も検索する(&A)"},
    };
    for (uint16_t i = 0; i < count && i < 8; ++i) {
        read.AlignToDword(base);
        Item item;
        item.helpId = read.Dword();
        item.exStyle = read.Dword();
        item.style = read.Dword();
        item.x = read.Short();
        item.y = read.Short();
        item.cx = read.Short();
        item.cy = read.Short();
        item.id = static_cast<int32_t>(read.Dword());
        item.windowClass = read.StringOrOrdinal();
        item.title = read.StringOrOrdinal();
        const uint16_t extra = read.Word();
        read.at += extra;
        const Item& want = expected[i];
        EXPECT_EQ(item.helpId, want.helpId) << i;
        EXPECT_EQ(item.exStyle, want.exStyle) << i;
        EXPECT_EQ(item.style, want.style) << i;
        EXPECT_EQ(item.x, want.x) << i;
        EXPECT_EQ(item.y, want.y) << i;
        EXPECT_EQ(item.cx, want.cx) << i;
        EXPECT_EQ(item.cy, want.cy) << i;
        EXPECT_EQ(item.id, want.id) << i;
        EXPECT_TRUE(item.windowClass == want.windowClass)
            << i << ": " << std::string(item.windowClass.begin(), item.windowClass.end());
        EXPECT_TRUE(item.title == want.title) << i;
        EXPECT_EQ(extra, 0) << i;
    }
    FreeLibrary(dll);
}

// What Windows shows in the file's properties: one language throughout.
TEST(VersionResource, IsJapaneseThroughoutWithCompanyAndCopyright) {
    const std::string dll = ProgramFolder() + "\\VelmoroMailSearch.dll";
    const HMODULE module = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_VERSION), MAKEINTRESOURCEA(1),
                              MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
              nullptr);
    FreeLibrary(module);

    std::vector<char> info(GetFileVersionInfoSizeA(dll.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);
    for (const char* field : {"CompanyName", "LegalCopyright", "FileDescription", "FileVersion", "ProductName"}) {
        char* text = nullptr;
        const std::string path = std::string("\\StringFileInfo\\041104B0\\") + field;
        EXPECT_TRUE(VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && length > 1)
            << field;
    }
    char* version = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041104B0\\FileVersion",
                               reinterpret_cast<void**>(&version), &length));
    EXPECT_STREQ(version, VELMORO_VERSION);
}

} // namespace
