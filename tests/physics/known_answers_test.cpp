// Answers of the fluid kept with their questions: a kept answer stands only
// for the same arguments bit for bit, and the spread's answers only inside the
// pass over the case, counts and fluid they were asked for.
#include "physics/known_answers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/case_fixture.h"

namespace {

double one_fluid(int, double, double, double, int) { return 1.0; }
double other_fluid(int, double, double, double, int) { return 2.0; }

TEST(KnownAnswer, HoldsForTheSameArgumentsBitForBitOnly) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const h2::KnownAnswer k{2.5e5, 1.0e6, 7.0, true};
    EXPECT_TRUE(k.holds(2.5e5, 1.0e6));
    EXPECT_FALSE(k.holds(std::nextafter(2.5e5, 3e5), 1.0e6));
    EXPECT_FALSE(k.holds(2.5e5, std::nextafter(1.0e6, 0.0)));
    EXPECT_FALSE(k.holds(1.0e6, 2.5e5));
    EXPECT_FALSE((h2::KnownAnswer{2.5e5, 1.0e6, 7.0, false}.holds(2.5e5, 1.0e6)));
    // -0.0 and 0.0 compare equal but are different questions.
    EXPECT_FALSE((h2::KnownAnswer{0.0, 1.0, 7.0, true}.holds(-0.0, 1.0)));
    // A NaN argument is the same question only as the same NaN.
    EXPECT_TRUE((h2::KnownAnswer{nan, 1.0, 7.0, true}.holds(nan, 1.0)));
}

TEST(AnswerSite, IsTheSameCaseElementStreamlineAndFluidOnly) {
    bdLocals a{}, other{};
    a.fluid_func = other.fluid_func = one_fluid;
    const h2::AnswerSite site = h2::AnswerSite::at(a, 3, 1);
    EXPECT_TRUE(site.is(a, 3, 1));
    EXPECT_FALSE(site.is(other, 3, 1));
    EXPECT_FALSE(site.is(a, 2, 1));
    EXPECT_FALSE(site.is(a, 3, 0));
    EXPECT_FALSE(site.is(a, 3));  // the whole element is another site
    EXPECT_TRUE(h2::AnswerSite::at(a, 3).is(a, 3));
    a.fluid_func = other_fluid;  // a fluid set up again answers afresh
    EXPECT_FALSE(site.is(a, 3, 1));
    EXPECT_FALSE(h2::AnswerSite{}.is(a, -1));  // nothing kept is no site
}

class SpreadAnswersTest : public h2::test::CaseTest {
protected:
    void SetUp() override {
        CaseTest::SetUp();
        block()->cyld_ns = 2;
        block()->cyld_nr = 1;
        block()->fluid_func = one_fluid;
    }
    h2::SpreadAnswers answers;
};

TEST_F(SpreadAnswersTest, GivenOnlyInsideThePassTheyWereAskedIn) {
    bdLocals* b = block();
    EXPECT_EQ(answers.at(*b, 1, 0), nullptr);  // no pass: nothing kept
    answers.start(*b);
    ASSERT_NE(answers.at(*b, 1, 0), nullptr);
    answers.at(*b, 1, 0)->T1 = {1e5, 3e5, 300.0, true};
    ASSERT_NE(answers.of(*b, 1, 0), nullptr);
    EXPECT_TRUE(answers.of(*b, 1, 0)->T1.holds(1e5, 3e5));
    EXPECT_FALSE(answers.of(*b, 2, 0)->T1.set);  // another element asked nothing
    // Outside the case's elements and streamlines there is no slot.
    EXPECT_EQ(answers.at(*b, 3, 0), nullptr);
    EXPECT_EQ(answers.at(*b, 1, 1), nullptr);
    EXPECT_EQ(answers.of(*b, -1, 0), nullptr);

    // Another case, other counts or another fluid function: nothing given.
    auto other = h2::test::make_block();
    other->cyld_ns = 2;
    other->cyld_nr = 1;
    other->fluid_func = one_fluid;
    EXPECT_EQ(answers.of(*other, 1, 0), nullptr);
    b->fluid_func = other_fluid;
    EXPECT_EQ(answers.of(*b, 1, 0), nullptr);
    b->fluid_func = one_fluid;
    b->cyld_ns = 3;
    EXPECT_EQ(answers.of(*b, 1, 0), nullptr);
    b->cyld_ns = 2;
    ASSERT_NE(answers.of(*b, 1, 0), nullptr);

    // After the pass the answers are not given, and a new pass starts empty.
    answers.stop();
    EXPECT_EQ(answers.of(*b, 1, 0), nullptr);
    answers.start(*b);
    EXPECT_FALSE(answers.of(*b, 1, 0)->T1.set);
}

}  // namespace
