// Which element solver runs each element.
#include <gtest/gtest.h>

#include "solver/elem_select.h"
#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::ElemSolver;
using h2::test::Elem;

class SelectTest : public h2::test::MeanlineTest {};

TEST_F(SelectTest, SolverByKindAndForm) {
    struct Case {
        int i;
        double kind;
        double sect;
        int nr;
        int force1D;
        ElemSolver expected;
    };
    const Case cases[] = {
        {0, 0.0, 0.0, 1, 0, elem_inlet_1d},   {0, 0.0, 0.0, 3, 0, elem_inlet_2d},
        {0, 0.0, 0.0, 3, 1, elem_inlet_1d},   {0, 0.0, 1.0, 3, 0, elem_inlet_1d},
        {1, 1.0, 0.0, 1, 0, elem_blade_1d},   {1, 6.0, 0.0, 1, 0, elem_blade_1d},
        {1, 1.0, 0.0, 3, 0, elem_blade_2d},   {1, 1.0, 2.0, 3, 0, elem_blade_1d},
        {1, 0.0, 0.0, 1, 0, elem_channel_1d}, {1, 2.0, 1.0, 3, 0, elem_channel_1d},
        {1, 5.0, 0.0, 3, 0, elem_channel_2d}, {1, 12.0, 0.0, 1, 0, elem_channel_1d},
        {1, 8.0, 0.0, 1, 0, nullptr},         {1, 8.0, 0.0, 3, 0, nullptr},
        {0, 8.0, 0.0, 1, 0, elem_inlet_1d},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "element " << c.i << ", kind " << c.kind << ", section " << c.sect
                                        << ", " << c.nr << " streamlines, force1D " << c.force1D);
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, Elem::Duct}, c.nr));
        b->elem_stagType[c.i] = c.kind;
        b->elem_sectType[c.i] = c.sect;
        b->cyld_force1D = c.force1D;
        EXPECT_EQ(h2::elem_solver_of(*b, c.i), c.expected);
    }
}

}  // namespace
