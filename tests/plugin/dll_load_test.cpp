// The real plug-in DLL, loaded the way the mail client loads it: its attach
// finds the mail client's folder and loads the companion library from there.
#include "win_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(PluginDll, AttachLoadsTheHostLibraryFromTheMailClientsFolder) {
    SetMailClientFolder((ProgramFolder() + "\\").c_str());
    ASSERT_EQ(GetModuleHandleA("PellInfo.dll"), nullptr);
    const HMODULE plugin = LoadLibraryA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str());
    ASSERT_NE(plugin, nullptr);
    EXPECT_NE(GetModuleHandleA("PellInfo.dll"), nullptr);
    EXPECT_TRUE(FreeLibrary(plugin));
    SetMailClientFolder(nullptr);
}

} // namespace
