// The units of the current case. Every value is held in one fixed set of data
// units; hosts and reports see it in a view unit chosen per physical quantity
// (a unit group) by a small selection number, or for all groups at once by the
// SI or US-customary preset. The choices live in one table below, and
// unitsInit rebuilds the case's 39 records from it.
#include "halvorine2/units.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>

#include "case/units_internal.h"
#include "halvorine2/threading.h"

namespace {

constexpr int kGroupCount = H2_UNIT_GROUP_COUNT;
static_assert(kGroupCount == 39, "the case block holds 39 unit records");

// A preset column entry that leaves the group's selection as it is: groups
// whose unit follows another group, or that have no choice at all.
constexpr int kKeep = std::numeric_limits<int>::min();

// One view unit of a group: view = data * factor + offset.
struct UnitChoice {
    int selection;  // the selection that picks it; unused for the default
    const char* label;
    double factor;
    double offset;
    bool is_default;  // shown for every selection without a choice of its own, negative ones too
};

constexpr UnitChoice sel(int selection, const char* label, double factor, double offset = 0.0) {
    return {selection, label, factor, offset, false};
}
constexpr UnitChoice other(const char* label, double factor, double offset = 0.0) {
    return {0, label, factor, offset, true};
}

// Whose selection picks a group's unit.
enum class Picker {
    Own,    // the group's own selection
    Group,  // another group's: volumes and areas follow LENGTH, K_L_T follows TEMPERATURE
    Fixed,  // nobody's: the group has one unit
    Copy,   // the whole record of another group, built after it, then renamed
};

struct Pick {
    Picker how;
    int group;
};

constexpr Pick kOwn{Picker::Own, -1};
constexpr Pick kFixed{Picker::Fixed, -1};
constexpr Pick by(int group) { return {Picker::Group, group}; }
constexpr Pick copy_of(int group) { return {Picker::Copy, group}; }

constexpr int kMaxChoices = 9;

struct GroupDef {
    int group;
    const char* name;
    Pick pick;
    int si;                           // selection stored by unitsSetSI
    int ip;                           // selection stored by unitsSetIP
    UnitChoice choices[kMaxChoices];  // the default last; unused slots stay empty
};

// Labels are UTF-8 text, like every other text the library prints: a lone
// Windows-1252 degree byte shows as a replacement character on any UTF-8
// terminal. A separate literal, because a hex escape directly followed by C
// or F would read as one longer escape.
#define DEG "\xC2\xB0"

// The data unit of each group is its view unit with factor 1 and offset 0;
// "sm" stands for centimetres. MODUL_U shows exactly what STRESS shows, so a
// selection stored for it is overwritten by the next unitsInit.
// clang-format off
constexpr GroupDef kGroups[] = {
    {0, "-", kFixed, kKeep, kKeep, {other("-", 1.0)}},
    {1, "LENGTH", kOwn, 2, 1,
     {sel(0, "in", 39.370078), sel(1, "ft", 3.280839833336), sel(3, "mm", 1000.0), sel(4, "sm", 100.0),
      other("m", 1.0)}},
    {2, "MASS", kOwn, 1, 0, {sel(0, "lb", 2.204622622), other("kg", 1.0)}},
    {3, "MASSFLOW", kOwn, 3, 2,
     {sel(0, "lb/s", 2.204622622), sel(1, "lb/min", 132.27740688662635), sel(2, "lb/h", 7936.641439),
      sel(4, "kg/min", 60.0), sel(5, "kg/h", 3600.0), sel(6, "tonne/h", 3.6), other("kg/s", 1.0)}},
    {4, "PRESSURE", kOwn, 2, 0,
     {sel(0, "psi", 0.00014503774389728312), sel(1, "ate", 9.869719699960521e-06), sel(3, "KPa", 0.001),
      sel(4, "MPa", 1e-06), sel(5, "kg/cm^2", 1.019700096004764e-05), sel(6, "kg/m^2", 0.10197000960047639),
      sel(7, "bar", 1e-05), sel(8, "ata", 1e-05), other("Pa", 1.0)}},
    {5, "TEMPERATURE", kOwn, 2, 0,
     {sel(0, DEG "R", 1.8, 491.67), sel(1, DEG "F", 1.8, 32.0), sel(2, "K", 1.0, 273.15),
      other(DEG "C", 1.0)}},
    {6, "VISCOSITY", kOwn, 2, 1,
     {sel(0, "lb/(ft s)", 0.6719689496587742), sel(1, "lb/(ft h)", 2419.081716580386),
      other("kg/(m s)", 1.0)}},
    {7, "CONDUCTIVITY", kOwn, 7, 7,
     {sel(0, "Btu/(min in K)", 0.0008023621541819116), sel(1, "Btu/(h in" DEG "F)", 0.048141729250914686),
      sel(2, "Btu/(c ft" DEG "F)", 0.0001604724308363823),
      sel(3, "Btu/(min ft" DEG "F)", 0.009628345850182938), sel(4, "Btu/(h ft" DEG "F)", 0.5777007510109763),
      sel(5, "Btu/(c in" DEG "F)", 1.3372702569698525e-05), sel(6, "W/(mm K)", 0.001),
      other("W/(m K)", 1.0)}},
    {8, "DENSITY", kOwn, 1, 0,
     {sel(0, "lb/ft^3", 0.06242797372531442), sel(2, "kg/sm^3", 1e-06), other("kg/m^3", 1.0)}},
    {9, "ENTHALPY", kOwn, 1, 0,
     {sel(0, "Btu/lb", 0.0004299225538739176), sel(2, "Kcal/kg", 0.0002390057361376673),
      sel(3, "KJ/kg", 0.001), other("J/kg", 1.0)}},
    {10, "SPECHEAT", kOwn, 2, 0,
     {sel(0, "Btu/(lb" DEG "R)", 0.00023884900004433036), sel(1, "ft lb/(lb" DEG "R)", 0.18586255092633894),
      other("J/(kg K)", 1.0)}},
    {11, "HEATTRANSFER", kOwn, 1, 0,
     {sel(0, "Btu/(h ft^2" DEG "R)", 0.17610948092434936), sel(2, "Kcal/(h m^2" DEG "C)", 0.8604208146120104),
      other("W/(m^2 K)", 1.0)}},
    {12, "VOLUME", by(1), kKeep, kKeep,
     {sel(0, "in^3", 61023.74065299318), sel(1, "ft^3", 35.314664729827534), sel(3, "mm^3", 1000000000.0),
      sel(4, "sm^3", 1000000.0), other("m^3", 1.0)}},
    {13, "AREA", by(1), kKeep, kKeep,
     {sel(0, "in^2", 1550.003041726084), sel(1, "ft^2", 10.763910416709722), sel(3, "mm^2", 1000000.0),
      sel(4, "sm^2", 10000.0), other("m^2", 1.0)}},
    {14, "SCALERESISTANCE", kOwn, 1, 0,
     {sel(0, "h ft^2" DEG "R/Btu", 5.67830150645339), other("m^2 K/W", 1.0)}},
    {15, "GASCONST", kOwn, 1, 0, {sel(0, "lb ft/(lb" DEG "R)", 0.18586251638145754), other("J/(kg K)", 1.0)}},
    {16, "SURFACETENSION", kOwn, 1, 0, {sel(0, "lb/ft", 0.06852177964766101), other("N/m", 1.0)}},
    {17, "CAPACITYRATE", kOwn, 1, 0, {sel(0, "Btu/(h " DEG "R)", 1.895626788997782), other("W/K", 1.0)}},
    {18, "VELOCITY", kOwn, 1, 0, {sel(0, "ft/s", 3.280839895013123), other("m/s", 1.0)}},
    {19, "ANGLE", kOwn, 0, 0, {sel(0, "deg", 1.0), other("rad", 0.017453292519943295)}},
    {20, "ENTROPY", kOwn, 1, 0,
     {sel(0, "Btu/(lb" DEG "R)", 0.00023884900004433036), sel(2, "Kcal/(kg K)", 0.0002390057361376673),
      other("J/(kg K)", 1.0)}},
    {21, "POWER", kOwn, 3, 0,
     {sel(0, "Btu/h", 3.4121284789208937), sel(1, "Btu/s", 0.0009478134663669151),
      sel(2, "ft lb/s", 0.7375621211696556), sel(4, "KW", 0.001), sel(5, "MW", 1e-06),
      sel(6, "h.p.", 0.001341021858656296), other("W", 1.0)}},
    {22, "ROTATION", kOwn, 2, 1,
     {sel(0, "rpm", 9.549296585513721), sel(2, "rad/s", 1.0), other("rps", 0.15915494309189535)}},
    {23, "LENGTH3", by(1), kKeep, kKeep,
     {sel(0, "in^3", 61023.74065299318), sel(1, "ft^3", 35.314664729827534), sel(2, "m^3", 1.0),
      sel(4, "sm^3", 1000000.0), other("mm^3", 1000000000.0)}},
    {24, "LENGTH4", by(1), kKeep, kKeep,
     {sel(0, "in^4", 2402509.4293601126), sel(1, "ft^4", 115.86175874652409), sel(2, "m^4", 1.0),
      sel(4, "sm^4", 100000000.0), other("mm^4", 1000000000000.0)}},
    {25, "MODUL_U", copy_of(27), kKeep, kKeep, {}},
    {26, "K_L_T", by(5), kKeep, kKeep,
     {sel(0, "1/" DEG "R", 0.5555555555555556), sel(1, "1/" DEG "F", 0.5555555555555556), sel(2, "1/K", 1.0),
      other("1/" DEG "C", 1.0)}},
    {27, "STRESS", kOwn, 2, 0,
     {sel(0, "psi", 0.00014503774389728312), sel(4, "MPa", 1e-06), sel(5, "kg/sm^2", 1.019700096004764e-05),
      sel(6, "kg/m^2", 0.10197000960047639), other("Pa", 1.0)}},
    {28, "FORCE", kOwn, 1, 0, {sel(1, "N", 1.0), other("lb", 0.22481)}},
    {29, "FREQUENCY", kFixed, kKeep, kKeep, {other("Hz", 1.0)}},
    {30, "LENGTH_MM", by(1), kKeep, kKeep,
     {sel(0, "in", 0.039370078), sel(1, "ft", 0.0032808398333360003), sel(2, "m", 0.001), sel(4, "sm", 0.1),
      other("mm", 1.0)}},
    {31, "LENGTH_SM2", by(1), kKeep, kKeep,
     {sel(0, "in^2", 0.1550003041726084), sel(1, "ft^2", 0.0010763910416709722), sel(2, "m^2", 0.0001),
      sel(4, "sm^2", 1.0), other("mm^2", 100.0)}},
    {32, "LENGTH_SM3", by(1), kKeep, kKeep,
     {sel(0, "in^3", 0.06102374065299318), sel(1, "ft^3", 3.531466472982753e-05), sel(2, "m^3", 1e-06),
      sel(4, "sm^3", 1.0), other("mm^3", 1000.0)}},
    {33, "LENGTH_SM4", by(1), kKeep, kKeep,
     {sel(0, "in^4", 0.024025094293601126), sel(1, "ft^4", 1.1586175874652409e-06), sel(2, "m^4", 1e-08),
      sel(4, "sm^4", 1.0), other("mm^4", 10000.0)}},
    {34, "VOLUMEFLOW", kOwn, 4, 0,
     {sel(0, "ft^3/s", 35.31466247128), sel(1, "ft^3/min", 2118.880003), sel(2, "ft^3/h", 127132.8002),
      sel(3, "gal/min", 15850.323140625), sel(5, "m^3/min", 60.0), sel(6, "m^3/h", 3600.0),
      other("m^3/s", 1.0)}},
    {35, "MOLARMASS", kOwn, 1, 1, {sel(1, "g/mol", 1.0), other("kg/mol", 0.001)}},
    {36, "KIN_VISCOSITY", kOwn, 0, 6,
     {sel(1, "sm^2/s", 10000.0), sel(2, "m^2/h", 3600.0), sel(3, "St", 10000.0),
      sel(4, "cSt", 1000000.0), sel(5, "ft^2/h", 38750.0775001550), sel(6, "ft^2/s", 10.763910416709722),
      other("m^2/s", 1.0)}},
    {37, "ANGLE_INLET", kOwn, 0, 0, {sel(0, "deg", 1.0), other("rad", 0.017453292519943295)}},
    {38, "ANGLE_OUTLET", kOwn, 0, 0, {sel(0, "deg", 1.0), other("rad", 0.017453292519943295)}},
};
// clang-format on

#undef DEG

constexpr bool text_fits(const char* text, std::size_t field_size) {
    if (text == nullptr) return false;
    std::size_t n = 0;
    while (text[n] != '\0') ++n;
    return n < field_size;
}

constexpr bool in_range(int group) { return group >= 0 && group < kGroupCount; }

// Rules of the table that unitsInit relies on, checked when the library is built.
constexpr bool table_is_sound() {
    if (std::size(kGroups) != static_cast<std::size_t>(kGroupCount)) return false;
    constexpr std::size_t kTextSize = sizeof(UnitGroup{}.name);
    static_assert(sizeof(UnitGroup{}.label) == kTextSize);
    for (int g = 0; g < kGroupCount; ++g) {
        const GroupDef& def = kGroups[g];
        if (def.group != g || !text_fits(def.name, kTextSize)) return false;
        // Only groups with a selection of their own take one from a preset.
        const bool own = def.pick.how == Picker::Own;
        if (own != (def.si != kKeep) || own != (def.ip != kKeep)) return false;
        if (def.pick.how == Picker::Copy) {
            // Copies are built in a second pass, so their source must not be a copy itself.
            if (!in_range(def.pick.group) || kGroups[def.pick.group].pick.how == Picker::Copy) return false;
            if (def.choices[0].label != nullptr) return false;
            continue;
        }
        // A followed group must hold a selection the host set, not one computed by unitsInit.
        if (def.pick.how == Picker::Group &&
            (!in_range(def.pick.group) || kGroups[def.pick.group].pick.how != Picker::Own))
            return false;
        int defaults = 0;
        for (int i = 0; i < kMaxChoices; ++i) {
            const UnitChoice& c = def.choices[i];
            if (c.label == nullptr) break;
            if (defaults > 0) return false;  // the default closes the list
            if (!text_fits(c.label, kTextSize) || c.factor == 0.0) return false;
            if (c.is_default) {
                ++defaults;
                continue;
            }
            for (int j = 0; j < i; ++j)
                if (def.choices[j].selection == c.selection) return false;
        }
        if (defaults != 1) return false;
    }
    return true;
}
static_assert(table_is_sound(), "unit table: every group needs a default, unique selections and short texts");

// Hosts address groups 1-29 and 34-38 by name; group 0 (no unit) and the
// small-length groups 30-33 answer "DUMMY", though their records carry names.
constexpr bool has_host_name(int group) {
    return (group >= 1 && group <= 29) || (group >= 34 && group <= 38);
}

constexpr const char* kDummyName = "DUMMY";

const UnitChoice& choose(const GroupDef& def, int selection) {
    const UnitChoice* c = def.choices;
    while (!c->is_default && c->selection != selection) ++c;
    return *c;
}

int selection_for(const GroupDef& def, const UnitGroup* units) {
    switch (def.pick.how) {
        case Picker::Own:
            return static_cast<int32_t>(units[def.group].selection);
        case Picker::Group:
            return static_cast<int32_t>(units[def.pick.group].selection);
        case Picker::Fixed:
        case Picker::Copy:
            break;
    }
    return 0;  // a fixed group has only its default, which any selection picks
}

// Writes the whole field so that no bytes of an earlier, longer text remain.
template <std::size_t N>
void set_text(char (&field)[N], const char* text) {
    std::size_t n = std::strlen(text);
    if (n > N - 1) n = N - 1;
    std::memset(field, 0, N);
    std::memcpy(field, text, n);
}

// The record of a group in the current case, or nullptr. Unchecked, a group
// number outside the table would reach the case fields beyond the records.
UnitGroup* record(int group) {
    if (!in_range(group)) return nullptr;
    bdLocals* bd = get_bdLocals();
    return bd != nullptr ? &bd->unit_groups[group] : nullptr;
}

void apply_preset(int GroupDef::*column) {
    bdLocals* bd = get_bdLocals();
    if (bd == nullptr) return;
    for (const GroupDef& def : kGroups)
        if (def.*column != kKeep) bd->unit_groups[def.group].selection = static_cast<uint32_t>(def.*column);
    unitsInit();
}

// ASCII case folding, so that the process locale cannot change which names match.
bool same_name(const char* a, const char* b) {
    auto fold = [](char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; };
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (fold(*a) != fold(*b)) return false;
    return *a == *b;
}

}  // namespace

namespace h2 {

double unitsToViewValue(double value, const UnitGroup& unit) { return value * unit.factor + unit.offset; }

double unitsToDataValue(double value, const UnitGroup& unit) {
    if (unit.factor == 0.0) return 0.0;
    return (value - unit.offset) / unit.factor;
}

}  // namespace h2

extern "C" {

void unitsSetFlag(int group, int selection) {
    UnitGroup* unit = record(group);
    if (unit != nullptr) unit->selection = static_cast<uint32_t>(selection);
}

void unitsInit(void) {
    bdLocals* bd = get_bdLocals();
    if (bd == nullptr) return;
    UnitGroup* units = bd->unit_groups;
    // Every record is written whole except its selection, which is the host's.
    for (const GroupDef& def : kGroups) {
        if (def.pick.how == Picker::Copy) continue;
        const UnitChoice& c = choose(def, selection_for(def, units));
        UnitGroup& u = units[def.group];
        u.factor = c.factor;
        u.offset = c.offset;
        set_text(u.name, def.name);
        set_text(u.label, c.label);
    }
    // Copies come after their sources are fresh; the source's selection comes
    // along, so one stored for the copy itself does not survive.
    for (const GroupDef& def : kGroups) {
        if (def.pick.how != Picker::Copy) continue;
        units[def.group] = units[def.pick.group];
        set_text(units[def.group].name, def.name);
    }
}

void unitsSetSI(void) { apply_preset(&GroupDef::si); }

void unitsSetIP(void) { apply_preset(&GroupDef::ip); }

double unitsToView(double value, int group) {
    const UnitGroup* unit = record(group);
    return unit != nullptr ? h2::unitsToViewValue(value, *unit) : 0.0;
}

double unitsToData(double value, int group) {
    const UnitGroup* unit = record(group);
    return unit != nullptr ? h2::unitsToDataValue(value, *unit) : 0.0;
}

const char* unitsLabel(int group) {
    const UnitGroup* unit = record(group);
    return unit != nullptr ? unit->label : nullptr;
}

int nameToGroup(const char* name) {
    if (name == nullptr) return 0;
    for (const GroupDef& def : kGroups)
        if (has_host_name(def.group) && same_name(name, def.name)) return def.group;
    return 0;
}

const char* groupToName(int group) {
    return in_range(group) && has_host_name(group) ? kGroups[group].name : kDummyName;
}

}  // extern "C"
