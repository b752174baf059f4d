// Predesign reports: the module table block (its format pinned by a golden
// written from the documented line formats), the print-level switches, and
// the search's verdicts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/solver/predesign/search/predesign_fixture.h"
#include "tests/support/captured_console.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace {

void data_only(std::FILE* f) { PD_report_data(f, 0); }
void data_and_report(std::FILE* f) { PD_report_data(f, 1); }
std::string printed_data(int withAll) {
    return h2::test::printed(withAll != 0 ? data_and_report : data_only);
}

class PredesignReports : public h2::test::PredesignTest {
protected:
    // Four modules: an axial compressor, a centrifugal compressor, a radial
    // turbine and a record whose type has no name.
    void fill() {
        PD_module* t = table(4);
        const int types[] = {COMP_AXIAL, COMP_RADIAL, TURB_RADIAL, 7};
        for (int m = 0; m < 4; ++m) {
            PD_module& r = t[m];
            r.type = types[m];
            r.Dflag = m;
            r.Gflag = 1 - m % 2;
            r.Vflag = 3 - m;
            r.PD_SRC_I0 = m == 0 ? 3.3e6 : 0.0;
            r.PD_SRC_P0 = m == 0 ? 1.2e6 : 0.0;
            r.PD_SRC_A0 = m == 0 ? 90.0 : 0.0;
            r.PD_SRC_AF = 1e-05 * (m + 1);
            r.PD_SRC_OM = 314.159 + m;
            r.PD_SRC_G = 12.5 * (m + 1);
            r.PD_SRC_P2N = 1.23456789e8 / (m + 1);
            r.diff_form = 1 + m;
            r.uband_form = 2;
            r.desw_form = 3;
            r.volin_form = 4 + m;
            r.volout_form = 6;
            for (int v = 0; v < PD_VAR_COUNT; ++v) {
                r.PD_VAR_lower[v] = v * 0.5 + m;
                r.PD_VAR_upper[v] = 1e-05 * (v + 1);
            }
            for (int l = 0; l < PD_LIM_COUNT; ++l) {
                r.PD_LIM_lower[l] = l + 0.25;
                r.PD_LIM_upper[l] = 100.0 * l + m;
            }
            r.PD_LIM_lower[PD_LIM_STG] = 1.0;
            r.PD_LIM_upper[PD_LIM_STG] = 3.7 + m;
        }
        master()->meter_opt = 17;
    }
};

TEST_F(PredesignReports, TheTableBlock) {
    fill();
    master()->IPO = 1;
    h2::test::expect_golden(printed_data(0), "predesign_ranges.txt");
}

TEST_F(PredesignReports, PrintLevelAndStream) {
    fill();
    h2::test::TempDir dir;
    master()->IPO = 0;
    EXPECT_EQ(printed_data(1), "") << "IPO 0 writes nothing, not even the data report";
    master()->IPO = 2;
    allocate(2);
    const std::string block = printed_data(0);
    const std::string all = printed_data(1);
    const std::string data = h2::test::printed(report_data);
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(all, block + data);
    PD_report_data(nullptr, 1);
    PD_report_result(nullptr);
}

TEST_F(PredesignReports, SearchVerdicts) {
    struct Case {
        int ipp, point, code;
        const char* text;
    };
    const Case cases[] = {
        {3, -1, 101, "\nOut of range!\n"},
        {2, -1, 101, ""},
        {3, 7, 4, "Search point    7:\t"},
        {3, 5, 0, ""},
        {4, 12, 102, "Search point   12:\tProblem not supported!\n"},
        {3, 3, 1, "Search point    3:\tBad accuracy! Meter=3\n"},
        {3, -1, 3, "\nCorrupted data! Meter=-1\n"},
    };
    for (const Case& c : cases) {
        h2::test::CapturedConsole console;
        master()->IPP = c.ipp;
        PD_report_error(c.point, c.code);
        EXPECT_EQ(console.text(), c.text) << c.point << " " << c.code;
    }
}

}  // namespace
