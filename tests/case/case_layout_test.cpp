#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "case/case_fields.h"

namespace {

using h2::FieldKind;
using h2::KeyFamily;

std::string member_for_key(std::string_view key) {
    std::string m;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '_' && i + 1 < key.size() && key[i + 1] == '_') ++i;
        m += key[i];
    }
    return m;
}

const h2::FieldInfo* find_key(std::string_view key) {
    for (const auto& f : h2::kFields)
        if (f.key && key == f.key) return &f;
    return nullptr;
}

TEST(CaseLayout, EveryKeyNamesItsMemberAndBelongsToOneFamily) {
    int keyed = 0;
    for (const auto& f : h2::kFields) {
        if (!f.key) {
            EXPECT_EQ(h2::family_of(f.kind), KeyFamily::None) << f.member;
            continue;
        }
        ++keyed;
        EXPECT_EQ(member_for_key(f.key), f.member) << f.key;
        EXPECT_NE(h2::family_of(f.kind), KeyFamily::None) << f.key;
    }
    EXPECT_EQ(keyed, 618);
}

TEST(CaseLayout, FamilyListsKeepBlockOrderAndPointAtTheirMembers) {
    struct Family {
        const char* name;
        const h2::KeyEntry* begin;
        std::size_t size;
        KeyFamily family;
    };
    const Family families[] = {
        {"text", h2::kTextKeys.data(), h2::kTextKeys.size(), KeyFamily::Text},
        {"integer", h2::kIntegerKeys.data(), h2::kIntegerKeys.size(), KeyFamily::Integer},
        {"scalar", h2::kScalarKeys.data(), h2::kScalarKeys.size(), KeyFamily::Scalar},
        {"element", h2::kElementKeys.data(), h2::kElementKeys.size(), KeyFamily::Element},
        {"rows", h2::kRowKeys.data(), h2::kRowKeys.size(), KeyFamily::Rows},
        {"three", h2::kThreeKeys.data(), h2::kThreeKeys.size(), KeyFamily::Three},
    };
    for (const auto& fam : families) {
        for (std::size_t i = 0; i < fam.size; ++i) {
            const auto& e = fam.begin[i];
            const auto* f = find_key(e.key);
            ASSERT_NE(f, nullptr) << e.key;
            EXPECT_EQ(h2::family_of(f->kind), fam.family) << fam.name << ' ' << e.key;
            EXPECT_EQ(e.offset, f->offset) << e.key;
            if (i > 0) {
                EXPECT_LT(fam.begin[i - 1].offset, e.offset) << fam.name << " " << e.key;
            }
        }
    }
}

TEST(CaseLayout, ReadOnlyIntegerKeysAndTextLengths) {
    int read_only = 0;
    for (const auto& e : h2::kIntegerKeys)
        if (!e.settable) {
            ++read_only;
            EXPECT_TRUE(std::string_view(e.key) == "cyld__VARTD" || std::string_view(e.key) == "outDst")
                << e.key;
        }
    EXPECT_EQ(read_only, 2);

    struct Text {
        const char* key;
        std::uint32_t length;
    };
    for (const Text t : {Text{"name", 200}, Text{"ModelBase", 200}, Text{"fluidName", 20},
                         Text{"leakZName", 20}, Text{"losPName", 300}, Text{"blockName", 300}}) {
        const auto* f = find_key(t.key);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->count, t.length) << t.key;
        EXPECT_EQ(f->size, t.length) << t.key;
    }
}

TEST(CaseLayout, DocumentedOffsetsOfKnownFields) {
    struct Known {
        const char* key;
        std::uint32_t off32;
        KeyFamily family;
    };
    const Known known[] = {
        {"cyld__VART", 3616, KeyFamily::Integer},   {"acc_limit", 174912, KeyFamily::Scalar},
        {"fluidName", 1636, KeyFamily::Text},       {"elem__stagType", 4032, KeyFamily::Element},
        {"prof__nPoints", 5828, KeyFamily::Rows},   {"prof__yPoints", 5836, KeyFamily::Three},
        {"layer__B2", 173988, KeyFamily::Rows},     {"outDst", 207072, KeyFamily::Integer},
        {"S2form", 213880, KeyFamily::Integer},     {"MassLimit", 214072, KeyFamily::Scalar},
        {"strs__mass_d", 5980, KeyFamily::Element}, {"cyld__uCo", 4024, KeyFamily::Scalar},
    };
    for (const auto& k : known) {
        const auto* f = find_key(k.key);
        ASSERT_NE(f, nullptr) << k.key;
        EXPECT_EQ(f->off32, k.off32) << k.key;
        EXPECT_EQ(h2::family_of(f->kind), k.family) << k.key;
    }
    // solve_vector ends where accuracy begins.
    EXPECT_EQ(offsetof(bdLocals, solve_vector) + sizeof(bdLocals::solve_vector),
              offsetof(bdLocals, accuracy));
    EXPECT_EQ(sizeof(bdLocals::solve_vector) / sizeof(double), 100u);
    EXPECT_EQ(sizeof(UnitGroup), 64u);
    EXPECT_EQ(sizeof(Point2), 16u);
    EXPECT_EQ(sizeof(Point3), 24u);
}

}  // namespace
