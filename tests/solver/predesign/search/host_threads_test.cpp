// Predesign searches on several host threads at once, each in a case of its
// own: every one finds what it finds alone, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "case/text_field.h"
#include "halvorine2/halvorine2.h"
#include "solver/predesign/predesign_tables.h"
#include "tests/support/temp_dir.h"

namespace {

// A one-stage centrifugal air compressor (impeller, vaneless diffuser) from
// 1 atm and 293.15 K, 1 kg/s, to the outlet pressure given; the speed, the
// inlet diameter, the flow coefficient and the diameter ratio are searched.
std::string centrifugal_file(double p2, double om_low, double om_high) {
    return "4 1 200 0 0 1 0 0 0 5 0 0\n"
           "0 0 0 0 0 5 0 0.5 1e-06 1\n"
           "293.15 101325 90\n"
           "0 0\n"
           "1\n"
           "5\n0\n0\n1\n0\n0\n0\n0\n" +
           std::to_string(om_low) + " " + std::to_string(om_high) +
           "\n0.10 0.12\n0.40 0.60\n0.5 0.5\n0 0\n0 0\n1 1\n1 1\n1.8 2.2\n0 0\n"
           "1 1\n0 0\n0 10\n0 180\n0 0\n0 0\n0 0\n"
           "3300\n1\n" +
           std::to_string(p2) + "\n";
}

constexpr int kPoints = 4;

struct Answer {
    int code = -99;
    int best = -1;
    double crit = 0.0;
    double power = 0.0;
    double values[PD_MODULE_MAX][PD_MODULE_SLOTS] = {};
};

// The whole predesign a host runs on one thread: a case, the file, the
// prerequisite defaults, the search, the answer, the case released.
Answer predesign(const std::string& file, int workers) {
    Answer a;
    bdLocals* b = binit();
    if (b == nullptr) return a;
    h2::copy_text(b->ModelBase, H2_PLUGIN_DIR);
    if (PD_load_data(file.c_str()) != 0) {
        bterm();
        return a;
    }
    auto* const first_block = static_cast<double*>(b->prereq_ref);
    for (int m = 0; m < PD_MODULE_MAX; ++m) {
        b->prereq_ref = first_block + static_cast<std::ptrdiff_t>(m) * h2::predesign::kPrereqSlots;
        PD_default_prereq();
    }
    b->prereq_ref = first_block;
    b->IPP = 0;
    b->IPO = 0;
    b->pd_threads = workers;
    a.code = OptCyl(0, kPoints, 0, "cyld__effx");
    a.best = b->meter_opt;
    a.crit = get_double_par0("cyld__effx");
    a.power = b->cyld_Nc;
    const auto* t = static_cast<const PD_module*>(b->ranges_ref);
    for (int m = 0; m < PD_MODULE_MAX; ++m) std::memcpy(a.values[m], t[m].PD_VAL, sizeof a.values[m]);
    set_bdLocals(b);
    bterm();
    return a;
}

bool same_bits(const Answer& x, const Answer& y) {
    return x.code == y.code && x.best == y.best && std::memcmp(&x.crit, &y.crit, sizeof x.crit) == 0 &&
           std::memcmp(&x.power, &y.power, sizeof x.power) == 0 &&
           std::memcmp(x.values, y.values, sizeof x.values) == 0;
}

class HostThreads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(binit_threading(), 0); }
    void TearDown() override { bend_threading(); }
    h2::test::TempDir dir_;
};

TEST_F(HostThreads, TwoPredesignsAtOnceEachFindWhatTheyFindAlone) {
    const std::string first = (dir_.path() / "ratio2.pd").string();
    const std::string second = (dir_.path() / "ratio1_5.pd").string();
    std::ofstream(first) << centrifugal_file(202650.0, 3000.0, 3600.0);
    std::ofstream(second) << centrifugal_file(151987.5, 2600.0, 3000.0);

    // Alone, on this thread; the second searches with two workers of its own.
    const Answer alone1 = predesign(first, 1);
    const Answer alone2 = predesign(second, 2);
    ASSERT_EQ(alone1.code, 0);
    ASSERT_EQ(alone2.code, 0);
    // Two different machines, or a swap would pass unseen.
    ASSERT_FALSE(same_bits(alone1, alone2));
    EXPECT_NE(alone1.values[0][PD_VAR_OM], alone2.values[0][PD_VAR_OM]);

    for (int run = 0; run < 50; ++run) {
        Answer at_once1, at_once2;
        std::thread t1([&] { at_once1 = predesign(first, 1); });
        std::thread t2([&] { at_once2 = predesign(second, 2); });
        t1.join();
        t2.join();
        ASSERT_TRUE(same_bits(at_once1, alone1)) << "run " << run << ": best " << at_once1.best << " crit "
                                                 << at_once1.crit << " alone " << alone1.crit;
        ASSERT_TRUE(same_bits(at_once2, alone2)) << "run " << run << ": best " << at_once2.best << " crit "
                                                 << at_once2.crit << " alone " << alone2.crit;
    }
}

// A table filled on one thread and attached to its case is the one the case
// searches on another thread; that thread's own table stays untouched.
TEST_F(HostThreads, ACaseTakesItsTableToAnotherThread) {
    const std::string file = (dir_.path() / "ratio2.pd").string();
    std::ofstream(file) << centrifugal_file(202650.0, 3000.0, 3600.0);
    const Answer alone = predesign(file, 1);
    ASSERT_EQ(alone.code, 0);

    bdLocals* b = binit();
    ASSERT_NE(b, nullptr);
    h2::copy_text(b->ModelBase, H2_PLUGIN_DIR);
    ASSERT_EQ(PD_load_data(file.c_str()), 0);
    auto* const first_block = static_cast<double*>(b->prereq_ref);
    b->prereq_ref = first_block;
    PD_default_prereq();
    b->IPP = 0;
    b->IPO = 0;
    b->pd_threads = 1;
    int code = -99, best = -1, other_count = -1;
    double crit = 0.0;
    std::thread elsewhere([&] {
        set_bdLocals(b);
        code = OptCyl(0, kPoints, 0, "cyld__effx");
        best = b->meter_opt;
        crit = get_double_par0("cyld__effx");
        other_count = h2::predesign::process_tables().count;
    });
    elsewhere.join();
    set_bdLocals(b);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(best, alone.best);
    EXPECT_EQ(crit, alone.crit);
    EXPECT_EQ(other_count, 0);
    bterm();
}

}  // namespace
