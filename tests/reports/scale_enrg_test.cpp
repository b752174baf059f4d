#include <gtest/gtest.h>

#include <cstdio>

#include "reports/report_api.h"
#include "tests/support/case_fixture.h"

namespace {

class ScaleEnrg : public h2::test::LiveCaseTest {};

TEST_F(ScaleEnrg, LossesAreWeightedByTheElementMassFlow) {
    allocate(2, 3);
    for (int i = 0; i < 3; ++i) {
        block()->elem_G1[i] = 2.0 + i;
        for (int j = 0; j < 3; ++j) block()->enrg_dhb[i][j] = 10.0 * i + j;
    }
    scale_enrg_dhb(0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(block()->enrg_dhb[i][j], (10.0 * i + j) * (2.0 + i)) << i << ',' << j;
}

TEST_F(ScaleEnrg, OnlyThePathIsScaled) {
    allocate(4, 2);
    for (int i = 0; i < 5; ++i) {
        block()->elem_G1[i] = 3.0;
        block()->enrg_dhb[i][0] = block()->enrg_dhb[i][1] = 1.0;
    }
    block()->cyld_ns = 2;
    block()->cyld_nr = 1;
    scale_enrg_dhb(0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(block()->enrg_dhb[i][0], i <= 2 ? 3.0 : 1.0) << i;
        EXPECT_EQ(block()->enrg_dhb[i][1], 1.0) << i;
    }
}

TEST_F(ScaleEnrg, CountsPastTheArraysScaleNothing) {
    allocate(1, 1);
    block()->elem_G1[0] = block()->elem_G1[1] = 2.0;
    block()->enrg_dhb[0][0] = block()->enrg_dhb[1][0] = 1.0;
    block()->cyld_ns = 5;
    scale_enrg_dhb(0);
    EXPECT_EQ(block()->enrg_dhb[1][0], 1.0);
    block()->cyld_ns = 1;
}

TEST_F(ScaleEnrg, CaseWithoutArraysIsLeftAlone) {
    block()->cyld_ns = 3;
    scale_enrg_dhb(0);
}

TEST(ScaleEnrgWithoutCase, NothingHappens) { scale_enrg_dhb(0); }

// Without a current case the reports print nothing.
TEST(ReportsWithoutCase, PrintNothing) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    report_data(out);
    calc_integral(1);
    report_integral(out);
    report_result(out);
    EXPECT_EQ(std::ftell(out), 0L);
    std::fclose(out);
}

}  // namespace
