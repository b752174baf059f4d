#include "platform/install_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace h2::platform;

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
    ~ScopedEnv() { unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
};

void touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

// The working directory holds first; the data folder named by the
// environment after it; a file found nowhere is asked for as given.
TEST(InstallPaths, DataFilesComeFromTheWorkingDirectoryThenTheDataFolder) {
    h2::test::TempDir dir;
    const fs::path data = dir.path() / "installed";
    touch(data / "model_w.bin");
    touch(data / "ATLASES" / "PDatlasS.atl");
    ScopedEnv env("HALVORINE2_DATA_DIR", data.string());

    EXPECT_EQ(installation_file("model_w.bin"), (data / "model_w.bin").string());
    EXPECT_EQ(installation_file("ATLASES/PDatlasS.atl"), (data / "ATLASES" / "PDatlasS.atl").string());
    touch(dir.path() / "model_w.bin");
    EXPECT_EQ(installation_file("model_w.bin"), "model_w.bin");
    EXPECT_EQ(installation_file("model_g.bin"), "model_g.bin");
    // An empty name is no file, not the data folder itself.
    EXPECT_EQ(installation_file(""), "");
}

// A plug-in that is not where the case looks is taken from the plug-in
// folder, by its own file name, with this platform's extension.
TEST(InstallPaths, PluginsFallBackOnThePluginFolder) {
    if (!fs::exists(fs::path(H2_PLUGIN_DIR) / "flxb.so")) GTEST_SKIP() << "fluid plug-ins not built";
    h2::test::TempDir dir;
    EXPECT_EQ(lib_open_plugin("./nowhere/flxb.dll"), nullptr);
    {
        ScopedEnv env("HALVORINE2_PLUGIN_DIR", H2_PLUGIN_DIR);
        LibHandle h = lib_open_plugin("./nowhere/flxb.dll");
        ASSERT_NE(h, nullptr);
        EXPECT_NE(lib_symbol(h, "InitFluid"), nullptr);
        lib_close(h);
        EXPECT_EQ(lib_open_plugin("./nowhere/no_such_plugin.dll"), nullptr);
    }
    EXPECT_EQ(plugin_file_name("flxb.dll"), "flxb.so");
    EXPECT_EQ(plugin_file_name("KMPRF_T.DLL"), "KMPRF_T.so");
    EXPECT_EQ(plugin_file_name("flxb.so"), "flxb.so");
}

}  // namespace
