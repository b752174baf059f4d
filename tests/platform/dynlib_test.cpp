#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/dynlib.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace h2::platform;

const std::string kPlugins = H2_PLUGIN_DIR;

TEST(DynamicLibrary, DllNamesFallBackToSharedObjectsAndRelativeNamesFollowTheWorkingDirectory) {
    if (!std::filesystem::exists(kPlugins + "/flxb.so")) GTEST_SKIP() << "fluid plug-ins not built";
    EXPECT_EQ(lib_open(nullptr), nullptr);
    EXPECT_EQ(lib_open(""), nullptr);
    EXPECT_EQ(lib_open("no_such_library.dll"), nullptr);

    LibHandle by_path = lib_open((kPlugins + "/flxb.dll").c_str());
    ASSERT_NE(by_path, nullptr);
    EXPECT_NE(lib_symbol(by_path, "InitFluid"), nullptr);
    EXPECT_EQ(lib_symbol(by_path, "no_such_symbol"), nullptr);
    // defined in the C library, not in the plug-in: not the plug-in's symbol
    EXPECT_EQ(lib_symbol(by_path, "malloc"), nullptr);

    h2::test::TempDir dir;
    std::filesystem::copy_file(kPlugins + "/flxu.so", dir.path() / "flxb.so");
    LibHandle bare = lib_open("flxb.dll");  // the working directory's copy, not the one opened before
    ASSERT_NE(bare, nullptr);
    EXPECT_NE(bare, by_path);
    EXPECT_EQ(lib_find_loaded("flxb.so"), bare);
    lib_close(lib_find_loaded("flxb.so"));  // the extra reference taken by the look-up
    lib_close(bare);
    lib_close(by_path);
}

}  // namespace
