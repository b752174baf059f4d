// Loading a case's plug-ins: each library file is opened once, under this
// platform's own spelling of its name, however many elements name it and
// however often the case is loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "platform/dynlib.h"
#include "tests/support/repeating_turbine.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::mutex g_opened_lock;
std::vector<std::string> g_opened;

void record_open(const char* path) {
    std::lock_guard<std::mutex> hold(g_opened_lock);
    g_opened.emplace_back(path);
}

// Every path the platform layer asked the system to open while it lived.
class OpenRecorder {
public:
    OpenRecorder() {
        g_opened.clear();
        h2::platform::lib_set_open_observer(&record_open);
    }
    ~OpenRecorder() { h2::platform::lib_set_open_observer(nullptr); }
    std::vector<std::string> paths() const {
        std::lock_guard<std::mutex> hold(g_opened_lock);
        return g_opened;
    }
};

// A fresh case with the ten-stage turbine file loaded from the working
// directory; false when the load failed.
bool load_turbine() {
    bterm();
    binit();
    return load_data("turbine.dat") == 0;
}

TEST(PluginLoading, A21ElementCaseLoadedTwiceOpensEachPluginFileOnce) {
    const fs::path plugins = H2_PLUGIN_DIR;
    if (!fs::exists(plugins / "flxb.so")) GTEST_SKIP() << "plug-ins not built";
    binit_threading();
    {
        // Copies no earlier test of this process has opened, in the working
        // directory, where the case's ModelBase "." finds them.
        h2::test::TempDir dir;
        for (const auto& entry : fs::directory_iterator(plugins))
            if (entry.path().extension() == ".so")
                fs::copy_file(entry.path(), dir.path() / entry.path().filename());
        ASSERT_TRUE(h2::test::write_repeating_turbine("turbine.dat", {.ni = 1, .force1D = 1}));

        OpenRecorder recorder;
        ASSERT_TRUE(load_turbine());
        const std::vector<std::string> first = recorder.paths();
        const bdLocals* b = get_bdLocals();
        ASSERT_EQ(b->cyld_ns, 20);
        EXPECT_NE(b->fluid_func, nullptr);
        ASSERT_TRUE(load_turbine());
        const std::vector<std::string> both = recorder.paths();
        b = get_bdLocals();
        // The second load installed every model again, from the libraries already open.
        EXPECT_NE(b->fluid_func, nullptr);
        for (int i = 1; i <= b->cyld_ns; ++i)
            for (int slot = 0; slot < H2_LOSS_SLOT_COUNT; ++slot)
                EXPECT_NE(b->LossSlots[slot][i], nullptr) << "element " << i << " slot " << slot;

        // The fluid and the eight models of a turbine, each opened once, as
        // ".so" straight away (no failed ".dll" attempts), by the first load.
        const std::set<std::string> distinct(both.begin(), both.end());
        EXPECT_EQ(distinct.size(), both.size());
        EXPECT_EQ(both.size(), first.size());
        EXPECT_EQ(first.size(), 9u);
        for (const std::string& path : both) {
            EXPECT_EQ(fs::path(path).parent_path(), dir.path()) << path;
            EXPECT_EQ(fs::path(path).extension(), ".so") << path;
        }
        bterm();
    }
    bend_threading();
}

}  // namespace
