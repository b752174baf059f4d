#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "case/units_internal.h"
#include "halvorine2/halvorine2.h"
#include "tests/support/case_fixture.h"

namespace {

using UnitsTest = h2::test::CaseTest;

std::string label(int group) {
    const char* l = unitsLabel(group);
    return l != nullptr ? std::string(l) : std::string("<null>");
}

struct Shown {
    int group;
    const char* label;
    double factor;
    double offset;
};

// A new case shows every quantity in its data unit, except temperature in
// kelvin, K_L_T per kelvin, and the small-length groups 30-33 in metres.
TEST_F(UnitsTest, SiPresetShowsDataUnits) {
    const Shown expected[] = {
        {0, "-", 1.0, 0.0},         {1, "m", 1.0, 0.0},         {2, "kg", 1.0, 0.0},
        {3, "kg/s", 1.0, 0.0},      {4, "Pa", 1.0, 0.0},        {5, "K", 1.0, 273.15},
        {6, "kg/(m s)", 1.0, 0.0},  {7, "W/(m K)", 1.0, 0.0},   {8, "kg/m^3", 1.0, 0.0},
        {9, "J/kg", 1.0, 0.0},      {10, "J/(kg K)", 1.0, 0.0}, {11, "W/(m^2 K)", 1.0, 0.0},
        {12, "m^3", 1.0, 0.0},      {13, "m^2", 1.0, 0.0},      {14, "m^2 K/W", 1.0, 0.0},
        {15, "J/(kg K)", 1.0, 0.0}, {16, "N/m", 1.0, 0.0},      {17, "W/K", 1.0, 0.0},
        {18, "m/s", 1.0, 0.0},      {19, "deg", 1.0, 0.0},      {20, "J/(kg K)", 1.0, 0.0},
        {21, "W", 1.0, 0.0},        {22, "rad/s", 1.0, 0.0},    {23, "m^3", 1.0, 0.0},
        {24, "m^4", 1.0, 0.0},      {25, "Pa", 1.0, 0.0},       {26, "1/K", 1.0, 0.0},
        {27, "Pa", 1.0, 0.0},       {28, "N", 1.0, 0.0},        {29, "Hz", 1.0, 0.0},
        {30, "m", 0.001, 0.0},      {31, "m^2", 0.0001, 0.0},   {32, "m^3", 1e-06, 0.0},
        {33, "m^4", 1e-08, 0.0},    {34, "m^3/s", 1.0, 0.0},    {35, "g/mol", 1.0, 0.0},
        {36, "m^2/s", 1.0, 0.0},    {37, "deg", 1.0, 0.0},      {38, "deg", 1.0, 0.0},
    };
    unitsSetSI();
    for (const Shown& e : expected) {
        SCOPED_TRACE(e.group);
        EXPECT_EQ(label(e.group), e.label);
        EXPECT_EQ(block()->unit_groups[e.group].factor, e.factor);
        EXPECT_EQ(block()->unit_groups[e.group].offset, e.offset);
    }
    EXPECT_DOUBLE_EQ(unitsToView(20.0, H2_UNIT_TEMPERATURE), 293.15);
    EXPECT_EQ(unitsToView(1.0, H2_UNIT_ROTATION), 1.0);
}

TEST_F(UnitsTest, IpPresetShowsUsCustomaryUnits) {
    const Shown expected[] = {
        {H2_UNIT_LENGTH, "ft", 3.280839833336, 0.0},
        {H2_UNIT_PRESSURE, "psi", 0.00014503774389728312, 0.0},
        {H2_UNIT_TEMPERATURE,
         "\xC2\xB0"
         "R",
         1.8, 491.67},
        {H2_UNIT_CONDUCTIVITY, "W/(m K)", 1.0, 0.0},  // the preset keeps the SI unit
        {H2_UNIT_ROTATION, "rps", 0.15915494309189535, 0.0},
        {H2_UNIT_K_L_T,
         "1/\xC2\xB0"
         "R",
         0.5555555555555556, 0.0},
        {H2_UNIT_FORCE, "lb", 0.22481, 0.0},
        {H2_UNIT_LENGTH_MM, "ft", 0.0032808398333360003, 0.0},
        {H2_UNIT_MOLARMASS, "g/mol", 1.0, 0.0},
        {H2_UNIT_KIN_VISCOSITY, "ft^2/s", 10.763910416709722, 0.0},
    };
    unitsSetIP();
    for (const Shown& e : expected) {
        SCOPED_TRACE(e.group);
        EXPECT_EQ(label(e.group), e.label);
        EXPECT_EQ(block()->unit_groups[e.group].factor, e.factor);
        EXPECT_EQ(block()->unit_groups[e.group].offset, e.offset);
    }
    EXPECT_DOUBLE_EQ(unitsToView(20.0, H2_UNIT_TEMPERATURE), 527.67);
}

// The US-customary units against their definitions (NIST SP 811, appendix B):
// the international foot is 0.3048 m, the pound 0.45359237 kg, the pound-force
// that mass under standard gravity 9.80665 m/s^2, the US gallon 231 in^3.
TEST_F(UnitsTest, IpFactorsMatchTheUnitDefinitions) {
    constexpr double ft = 0.3048, in = 0.0254, lbf = 0.45359237 * 9.80665;
    constexpr double psi = lbf / (in * in), gallon = 231.0 * in * in * in;
    const struct {
        int group;
        int selection;  // of the group itself (or of LENGTH for AREA)
        const char* label;
        double si_per_unit;  // one view unit in SI
    } cases[] = {
        {H2_UNIT_AREA, 1, "ft^2", ft * ft},
        {H2_UNIT_LENGTH_SM2, 1, "ft^2", ft * ft * 1.0e4},  // data in cm^2
        {H2_UNIT_STRESS, 0, "psi", psi},
        {H2_UNIT_PRESSURE, 0, "psi", psi},
        {H2_UNIT_VOLUMEFLOW, 0, "ft^3/s", ft * ft * ft},
        {H2_UNIT_VOLUMEFLOW, 3, "gal/min", gallon / 60.0},
        {H2_UNIT_KIN_VISCOSITY, 6, "ft^2/s", ft * ft},
        {H2_UNIT_KIN_VISCOSITY, 5, "ft^2/h", ft * ft / 3600.0},
        {H2_UNIT_KIN_VISCOSITY, 2, "m^2/h", 1.0 / 3600.0},
        {H2_UNIT_HEATTRANSFER, 0, "Btu/(h ft^2\xC2\xB0R)", 1055.05585262 / 3600.0 / (ft * ft) * 1.8},
        {H2_UNIT_CAPACITYRATE, 0, "Btu/(h \xC2\xB0R)", 1055.05585262 / 3600.0 * 1.8},
        {H2_UNIT_POWER, 2, "ft lb/s", lbf * ft},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        unitsSetSI();
        unitsSetFlag(c.group == H2_UNIT_AREA || c.group == H2_UNIT_LENGTH_SM2 ? H2_UNIT_LENGTH : c.group,
                     c.selection);
        unitsInit();
        EXPECT_EQ(label(c.group), c.label);
        // The table's factors carry seven significant digits; heat units
        // differ by the Btu's definition (IT or thermochemical): 1e-3.
        const bool heat = c.group == H2_UNIT_HEATTRANSFER || c.group == H2_UNIT_CAPACITYRATE;
        EXPECT_NEAR(unitsToView(c.si_per_unit, c.group), 1.0, heat ? 1.0e-3 : 1.0e-6);
    }
}

TEST_F(UnitsTest, TemperatureSelectionCarriesKLT) {
    unitsSetSI();
    unitsSetFlag(H2_UNIT_TEMPERATURE, 1);
    EXPECT_EQ(label(H2_UNIT_TEMPERATURE), "K");  // only stored until the next unitsInit
    unitsInit();
    EXPECT_EQ(label(H2_UNIT_TEMPERATURE),
              "\xC2\xB0"
              "F");
    EXPECT_DOUBLE_EQ(unitsToView(100.0, H2_UNIT_TEMPERATURE), 212.0);
    EXPECT_EQ(label(H2_UNIT_K_L_T),
              "1/\xC2\xB0"
              "F");
}

TEST_F(UnitsTest, LengthSelectionCarriesVolumesAndAreas) {
    unitsSetSI();
    unitsSetFlag(H2_UNIT_LENGTH, 3);
    unitsInit();
    const std::pair<int, const char*> expected[] = {
        {12, "mm^3"}, {13, "mm^2"}, {23, "mm^3"}, {24, "mm^4"},
        {30, "mm"},   {31, "mm^2"}, {32, "mm^3"}, {33, "mm^4"},
    };
    for (const auto& [group, text] : expected) EXPECT_EQ(label(group), text) << group;
    EXPECT_EQ(unitsToView(0.25, H2_UNIT_LENGTH_MM), 0.25);  // data mm shown in mm
}

// A group whose unit follows another group, or is fixed, ignores its own selection.
TEST_F(UnitsTest, OnlyTheDecidingSelectionCounts) {
    unitsSetSI();
    for (int g :
         {H2_UNIT_NONE, H2_UNIT_VOLUME, H2_UNIT_AREA, H2_UNIT_K_L_T, H2_UNIT_FREQUENCY, H2_UNIT_LENGTH_MM})
        unitsSetFlag(g, 0);
    unitsInit();
    EXPECT_EQ(label(H2_UNIT_NONE), "-");
    EXPECT_EQ(label(H2_UNIT_VOLUME), "m^3");
    EXPECT_EQ(label(H2_UNIT_AREA), "m^2");
    EXPECT_EQ(label(H2_UNIT_K_L_T), "1/K");
    EXPECT_EQ(label(H2_UNIT_FREQUENCY), "Hz");
    EXPECT_EQ(label(H2_UNIT_LENGTH_MM), "m");
}

// Every selection without a choice of its own, negative ones included, shows
// the group's default, which is not always the data unit.
TEST_F(UnitsTest, SelectionPicksItsChoiceOrTheDefault) {
    const struct {
        int group;
        int selection;
        const char* label;
        double factor;
    } cases[] = {
        {H2_UNIT_LENGTH, -1, "m", 1.0},
        {H2_UNIT_LENGTH, 2, "m", 1.0},
        {H2_UNIT_LENGTH, 99, "m", 1.0},
        {H2_UNIT_LENGTH, 0, "in", 39.370078},
        {H2_UNIT_TEMPERATURE, -7,
         "\xC2\xB0"
         "C",
         1.0},
        {H2_UNIT_FORCE, 0, "lb", 0.22481},
        {H2_UNIT_MOLARMASS, 0, "kg/mol", 0.001},
        {H2_UNIT_ROTATION, 1, "rps", 0.15915494309189535},
        {H2_UNIT_KIN_VISCOSITY, 5, "ft^2/h", 38750.0775001550},
        {H2_UNIT_PRESSURE, 8, "ata", 1e-05},
    };
    for (const auto& c : cases) {
        unitsSetSI();
        unitsSetFlag(c.group, c.selection);
        unitsInit();
        EXPECT_EQ(label(c.group), c.label) << c.group << " / " << c.selection;
        EXPECT_EQ(unitsToView(1.0, c.group), c.factor) << c.group << " / " << c.selection;
    }
}

TEST_F(UnitsTest, ModulusAlwaysShowsWhatStressShows) {
    unitsSetSI();
    unitsSetFlag(H2_UNIT_MODUL_U, 0);
    unitsInit();
    const UnitGroup& modul = block()->unit_groups[H2_UNIT_MODUL_U];
    EXPECT_EQ(label(H2_UNIT_MODUL_U), "Pa");
    EXPECT_EQ(modul.selection, block()->unit_groups[H2_UNIT_STRESS].selection);
    EXPECT_STREQ(modul.name, "MODUL_U");

    unitsSetFlag(H2_UNIT_STRESS, 4);
    unitsInit();
    EXPECT_EQ(label(H2_UNIT_MODUL_U), "MPa");
    EXPECT_EQ(modul.factor, 1e-06);
    EXPECT_STREQ(block()->unit_groups[H2_UNIT_STRESS].name, "STRESS");
}

// With an offset the view value is rounded at the offset's magnitude, so a
// small value comes back only to within that rounding.
TEST_F(UnitsTest, ViewAndBackGivesTheDataValue) {
    for (auto preset : {unitsSetSI, unitsSetIP}) {
        preset();
        for (int g = 0; g < H2_UNIT_GROUP_COUNT; ++g) {
            const UnitGroup& u = block()->unit_groups[g];
            for (double x : {1.0, -40.0, 1.0e-7, 123456.789}) {
                const double scale = std::max(std::fabs(x), std::fabs(u.offset / u.factor));
                EXPECT_NEAR(unitsToData(unitsToView(x, g), g), x, 1e-14 * scale)
                    << "group " << g << " x " << x;
            }
        }
    }
}

TEST_F(UnitsTest, LabelLivesInTheCase) {
    unitsSetSI();
    const char* l = unitsLabel(H2_UNIT_TEMPERATURE);
    EXPECT_EQ(l, block()->unit_groups[H2_UNIT_TEMPERATURE].label);
    unitsSetIP();
    EXPECT_STREQ(l,
                 "\xC2\xB0"
                 "R");  // same pointer, new text, no trace of the old one
    EXPECT_EQ(std::string(l, sizeof block()->unit_groups[0].label), std::string("\xC2\xB0"
                                                                                "R") +
                                                                        std::string(17, '\0'));
}

TEST_F(UnitsTest, GroupsOutsideTheTableAreRefused) {
    unitsSetSI();
    for (int g : {-1, 39, 40}) {
        const std::vector<unsigned char> before(reinterpret_cast<unsigned char*>(block()),
                                                reinterpret_cast<unsigned char*>(block()) + sizeof(bdLocals));
        unitsSetFlag(g, 5);
        EXPECT_EQ(std::memcmp(before.data(), block(), sizeof(bdLocals)), 0) << g;
        EXPECT_EQ(unitsToView(2.0, g), 0.0) << g;
        EXPECT_EQ(unitsToData(2.0, g), 0.0) << g;
        EXPECT_EQ(unitsLabel(g), nullptr) << g;
    }
}

// The block is shared with hosts and plug-ins, and a case may be converted
// before its units are set up: a zero factor must not turn into inf or NaN.
TEST_F(UnitsTest, ZeroFactorConvertsBackToZero) {
    EXPECT_EQ(unitsToData(5.0, H2_UNIT_LENGTH), 0.0);  // zero-filled block, never initialised
    UnitGroup unit{};
    unit.offset = 3.0;
    EXPECT_EQ(h2::unitsToDataValue(7.0, unit), 0.0);
    EXPECT_EQ(h2::unitsToViewValue(7.0, unit), 3.0);
}

TEST(Units, WithoutACaseNothingHappens) {
    ASSERT_EQ(binit_threading(), 0);
    double view = -1.0, data = -1.0;
    const char* l = "unset";
    std::thread([&] {  // a fresh thread has no current case
        unitsSetFlag(H2_UNIT_LENGTH, 3);
        unitsInit();
        unitsSetSI();
        unitsSetIP();
        view = unitsToView(20.0, H2_UNIT_TEMPERATURE);
        data = unitsToData(20.0, H2_UNIT_TEMPERATURE);
        l = unitsLabel(H2_UNIT_TEMPERATURE);
    })
        .join();
    bend_threading();
    EXPECT_EQ(view, 0.0);
    EXPECT_EQ(data, 0.0);
    EXPECT_EQ(l, nullptr);
}

TEST(Units, NameToGroup) {
    const std::pair<const char*, int> cases[] = {
        {"viscosity", 6},     {"KIN_VISCOSITY", 36}, {"LENGTH_MM", 0}, {"Modul_U", 25}, {"length", 1},
        {"ANGLE_OUTLET", 38}, {"LENGTH_SM4", 0},     {"-", 0},         {"DUMMY", 0},    {"", 0},
        {"LENGTH ", 0},       {"LENGT", 0},
    };
    for (const auto& [name, group] : cases) EXPECT_EQ(nameToGroup(name), group) << name;
    EXPECT_EQ(nameToGroup(nullptr), 0);
}

TEST(Units, GroupToName) {
    const std::pair<int, const char*> cases[] = {
        {31, "DUMMY"},     {36, "KIN_VISCOSITY"}, {0, "DUMMY"},  {99, "DUMMY"},
        {-1, "DUMMY"},     {30, "DUMMY"},         {33, "DUMMY"}, {25, "MODUL_U"},
        {29, "FREQUENCY"}, {34, "VOLUMEFLOW"},    {1, "LENGTH"}, {38, "ANGLE_OUTLET"},
    };
    for (const auto& [group, name] : cases) EXPECT_STREQ(groupToName(group), name) << group;
    // Every name a host can use leads back to its group.
    for (int g = 0; g < H2_UNIT_GROUP_COUNT; ++g) {
        const char* name = groupToName(g);
        if (std::strcmp(name, "DUMMY") != 0) {
            EXPECT_EQ(nameToGroup(name), g) << name;
        }
    }
}

}  // namespace
