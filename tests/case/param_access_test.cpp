#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "case/case_fields.h"
#include "tests/support/case_fixture.h"

namespace {

class Params : public h2::test::LiveCaseTest {};

TEST_F(Params, UnknownKeysAnswerAlikeInEveryFamily) {
    allocate(2, 3);
    for (const char* key : std::initializer_list<const char*>{"no_such_key", "CYLD__NS", "", "-", "--cyld__G",
                                                              "+-cyld__G", "cyld__ns ", nullptr}) {
        SCOPED_TRACE(key ? key : "(null)");
        EXPECT_EQ(get_char_par(key), nullptr);
        EXPECT_EQ(get_int_par(key), -252645136);
        EXPECT_EQ(get_double_par0(key), 1e20);
        EXPECT_EQ(get_int_ptr(key), nullptr);
        EXPECT_EQ(get_double_ptr0(key), nullptr);
        EXPECT_EQ(get_double_ptr1(key), nullptr);
        EXPECT_EQ(get_double_ptr2(key), nullptr);
        EXPECT_EQ(get_double_ptr3(key), nullptr);
        EXPECT_EQ(get_double_par1(key, 0), 1e20);
        EXPECT_EQ(get_double_par2(key, 0, 0), 1e20);
        EXPECT_EQ(get_double_par3(key, 0, 0, 0), 1e20);
        EXPECT_EQ(set_char_par(key, "x"), 1);
        EXPECT_EQ(set_int_par(key, 1), 1);
        EXPECT_EQ(set_double_par0(key, 1.0), 1);
        EXPECT_EQ(set_double_par1(key, 0, 1.0), 1);
        EXPECT_EQ(set_double_par2(key, 0, 0, 1.0), 1);
        EXPECT_EQ(set_double_par3(key, 0, 0, 0, 1.0), 1);
    }
    // a key of one family is unknown to the others
    EXPECT_EQ(get_double_par0("cyld__ns"), 1e20);
    EXPECT_EQ(get_int_par("cyld__G"), -252645136);
    EXPECT_EQ(get_double_ptr1("los__Los"), nullptr);
}

TEST_F(Params, SignPrefixOnlyForScalarReads) {
    ASSERT_EQ(set_double_par0("cyld__G", 12.5), 0);
    EXPECT_EQ(get_double_par0("cyld__G"), 12.5);
    EXPECT_EQ(get_double_par0("-cyld__G"), -12.5);
    EXPECT_EQ(get_double_par0("+cyld__G"), 12.5);
    EXPECT_EQ(get_double_par0("-no_such_key"), 1e20);
    EXPECT_EQ(get_double_ptr0("-cyld__G"), nullptr);
    EXPECT_EQ(set_double_par0("-cyld__G", 1.0), 1);
}

TEST_F(Params, ReadOnlyIntegers) {
    block()->cyld_VARTD = 7;
    block()->outDst = 2;
    EXPECT_EQ(get_int_par("cyld__VARTD"), 7);
    EXPECT_EQ(get_int_par("outDst"), 2);
    EXPECT_EQ(set_int_par("cyld__VARTD", 1), 1);
    EXPECT_EQ(set_int_par("outDst", 1), 1);
    EXPECT_EQ(get_int_ptr("outDst"), nullptr);
    EXPECT_EQ(block()->cyld_VARTD, 7);
    EXPECT_EQ(block()->outDst, 2);
}

TEST_F(Params, RoundTripThroughEveryFamilyReachesTheField) {
    allocate(3, 4);
    EXPECT_EQ(set_char_par("fluidName", "flxb"), 0);
    EXPECT_STREQ(block()->fluidName, "flxb");
    EXPECT_EQ(get_char_par("fluidName"), block()->fluidName);

    EXPECT_EQ(set_int_par("cyld__VART", 20), 0);
    EXPECT_EQ(block()->cyld_VART, 20);
    EXPECT_EQ(get_int_ptr("cyld__VART"), &block()->cyld_VART);

    EXPECT_EQ(set_double_par0("acc_limit", 1e-4), 0);
    EXPECT_EQ(block()->acc_limit, 1e-4);
    EXPECT_EQ(get_double_ptr0("acc_limit"), &block()->acc_limit);

    EXPECT_EQ(set_double_par1("elem__stagType", 3, 1.0), 0);
    EXPECT_EQ(block()->elem_stagType[3], 1.0);
    EXPECT_EQ(get_double_ptr1("elem__stagType"), block()->elem_stagType);
    EXPECT_EQ(get_double_par1("strs__mass_d", 3), 0.0);

    EXPECT_EQ(set_double_par2("cas__B2", 2, 3, 120.0), 0);
    EXPECT_EQ(block()->cas_B2[2][3], 120.0);
    EXPECT_EQ(get_double_par2("cas__B2", 2, 3), 120.0);
    EXPECT_EQ(get_double_ptr2("layer__B2"), block()->layer_B2);

    // never allocated by the array set
    EXPECT_EQ(get_double_par2("prof__nPoints", 0, 0), 1e20);
    EXPECT_EQ(get_double_par3("prof__xPoints", 0, 0, 0), 1e20);
    EXPECT_EQ(get_double_ptr3("prof__yPoints"), nullptr);
}

TEST_F(Params, EveryKeyOfEveryFamilyIsReachable) {
    allocate(1, 1);
    for (const auto& f : h2::kFields) {
        if (!f.key) continue;
        switch (h2::family_of(f.kind)) {
            case h2::KeyFamily::Text:
                EXPECT_NE(get_char_par(f.key), nullptr) << f.key;
                break;
            case h2::KeyFamily::Integer:
                EXPECT_EQ(get_int_par(f.key), *h2::field_at<std::int32_t>(block(), f.offset)) << f.key;
                break;
            case h2::KeyFamily::Scalar:
                EXPECT_EQ(get_double_ptr0(f.key), h2::field_at<double>(block(), f.offset)) << f.key;
                break;
            case h2::KeyFamily::Element:
                EXPECT_EQ(get_double_par1(f.key, 1), 0.0) << f.key;
                break;
            case h2::KeyFamily::Rows:
                EXPECT_EQ(get_double_par2(f.key, 1, 0), f.kind == h2::FieldKind::ARR2U ? 1e20 : 0.0) << f.key;
                break;
            case h2::KeyFamily::Three:
                EXPECT_EQ(get_double_ptr3(f.key), nullptr) << f.key;
                break;
            case h2::KeyFamily::None:
                break;
        }
    }
}

TEST_F(Params, TextsAreCutToTheirField) {
    const std::string long_name(25, 'n');
    EXPECT_EQ(set_char_par("fluidName", long_name.c_str()), 0);
    EXPECT_EQ(std::string(block()->fluidName), long_name.substr(0, 19));
    EXPECT_EQ(block()->cfluidName[0], '\0');  // the next field is untouched
    const std::string long_model(400, 'm');
    EXPECT_EQ(set_char_par("blockName", long_model.c_str()), 0);
    EXPECT_EQ(std::strlen(block()->blockName), 299u);
    EXPECT_EQ(set_char_par("name", nullptr), 1);
}

TEST_F(Params, IndicesOutsideTheArraysReadAsMissingAndWriteNothing) {
    allocate(2, 3);  // N = 3, NI = 3
    struct Index {
        int i, j;
    };
    for (const Index x : {Index{-1, 0}, Index{3, 0}, Index{0, -1}, Index{0, 3}, Index{100000, 0}}) {
        SCOPED_TRACE(testing::Message() << x.i << ',' << x.j);
        EXPECT_EQ(get_double_par2("flow__r1", x.i, x.j), 1e20);
        EXPECT_EQ(set_double_par2("flow__r1", x.i, x.j, 1.0), 1);
    }
    EXPECT_EQ(get_double_par1("bld__z", 3), 1e20);
    EXPECT_EQ(set_double_par1("bld__z", -1, 1.0), 1);
    EXPECT_EQ(set_double_par1("bld__z", 2, 1.0), 0);
}

TEST_F(Params, ThreeIndexTablesAreBoundedByTheirPointCounts) {
    allocate(1, 1);
    double points[3] = {1.0, 2.0, 3.0};
    double* section[1] = {points};
    double** element[2] = {section, section};
    block()->prof_xPoints = element;
    EXPECT_EQ(get_double_par3("prof__xPoints", 1, 0, 2), 3.0);
    EXPECT_EQ(get_double_par3("prof__xPoints", 2, 0, 0), 1e20);
    EXPECT_EQ(get_double_par3("prof__xPoints", 0, 0, -1), 1e20);
    block()->prof_xPoints = nullptr;
}

TEST(ParamsWithoutCase, AnswerAsForAnUnknownKey) {
    ASSERT_EQ(get_bdLocals(), nullptr);
    EXPECT_EQ(get_int_par("cyld__ns"), -252645136);
    EXPECT_EQ(get_double_par0("cyld__G"), 1e20);
    EXPECT_EQ(get_char_par("name"), nullptr);
    EXPECT_EQ(set_int_par("cyld__ns", 1), 1);
    EXPECT_EQ(set_char_par("name", "x"), 1);
    EXPECT_EQ(get_double_par1("elem__p0", 0), 1e20);
}

}  // namespace
