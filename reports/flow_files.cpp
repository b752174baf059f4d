// The DIRECT and INVERSE flow files, the bounded line formatter they share
// with the other exports, and the element kind table of the schema files.
#include "reports/flow_files.h"

#include <strings.h>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "case/case_arrays.h"
#include "halvorine2/flow_files.h"
#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "reports/report_format.h"

// The name of a module type, from the predesign folder; NULL outside 0..5.
extern "C" const char* pd_module_type_name(int type);

namespace h2 {

namespace {

// The body of fput_fmt; -1 when the format fails (dest then holds "").
int vput_fmt(char* dest, const char* format, std::va_list args) {
    char scratch[kLineSize];
    if (std::vsnprintf(scratch, sizeof scratch, format, args) < 0) {
        dest[0] = '\0';
        return -1;
    }
    const std::size_t len = std::strlen(scratch);
    std::memcpy(dest, scratch, len + 1);
    return static_cast<int>(len);
}

}  // namespace

int fput_fmt(char* dest, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int n = vput_fmt(dest, format, args);
    va_end(args);
    return n < 0 ? 0 : n;
}

// clang-format off
const ElemKindRecord elem_kind_table[kElemKinds] = {
    {1, 0, 0, 0, 0, 0, 0, "Axial_duct", 23},
    {2, 0, 1, 0, 90, 90, 0, "Left_radial_duct", 23},
    {3, 0, 1, 0, -90, -90, 0, "Right_radial_duct", 23},
    {4, 1, 0, 1, 0, 0, 2, "Axial_turbine_blade", 31},
    {5, 1, 1, 0, 90, 90, 1, "Left_radial_blade", 23},
    {6, 1, 1, 1, -90, -90, 2, "Right_radial_blade", 23},
    {7, 3, 1, 0, 90, -90, 0, "U_bend", 23},
    {8, 1, 1, 0, 0, 90, 1, "Centrifugal_impeller", 23},
    {9, 1, 0, 1, -90, 0, 1, "Centrifugal_turb_blade", 23},
    {10, 1, 0, 0, 0, 0, 2, "Axial_compressor_blade", 27},
    {11, 11, 1, 0, 0, 90, 0, "L_bend_AU", 23},
    {12, 6, 1, 0, -90, -90, 0, "Deswirler_DD", 23},
    {13, 4, 2, 0, 90, 180, 0, "Volute_out", 23},
    {14, 5, 1, 1, 180, -90, 0, "Volute_in", 23},
    {15, 1, 1, 0, 90, 90, 0, "Vaned_diffuser", 23},
    {16, 2, 1, 0, 90, 90, 0, "Vaneless_diffuser", 23},
    {17, 0, 0, 0, 0, 0, 0, "Flow_input", 13},
    {18, 12, 0, 0, -90, 0, 0, "L_bend_DA", 23},
    {19, 10, 1, 0, 0, -90, 0, "L_bend_AD", 23},
    {20, 9, 0, 0, 90, 0, 0, "L_bend_UA", 23},
    {21, 8, 2, 0, 180, 180, 0, "Hexch", 16},
    {22, 7, 0, 0, 0, 0, 0, "Hollow", 8},
    {23, 6, 0, 0, -90, 0, 0, "Deswirler_DA", 23},
};
// clang-format on

namespace {

// Streamline slopes near the axial and radial directions count as those directions.
double snapped_slope(double s) {
    if (s > 70.0 && s < 110.0) return 90.0;
    if (s > -110.0 && s < -70.0) return -90.0;
    if (s > -70.0 && s < 70.0) return 0.0;
    return s;
}

constexpr const char* kKindTexts[] = {
    "DUCT",   "BLADE",      "V/L DIFFUSER",  "U-BAND",        "VOLUTE OUT",    "VOLUTE IN",    "DESWIRLER",
    "HOLLOW", "ELEM_HEXCH", "ELEM_LBEND_UA", "ELEM_LBEND_AD", "ELEM_LBEND_AU", "ELEM_LBEND_DA"};
constexpr const char* kSectTexts[] = {"AXIAL", "RADIAL", "ANGULAR", "OTHER"};

template <std::size_t N>
const char* text_of(const char* const (&texts)[N], double code) {
    const int k = truncated_int(code);
    return k >= 0 && static_cast<std::size_t>(k) < N ? texts[k] : "UNKNOWN";
}

}  // namespace

const char* elem_kind_text(double stagType) { return text_of(kKindTexts, stagType); }
const char* sect_type_text(double sectType) { return text_of(kSectTexts, sectType); }

int match_elem_kind(int elemKind, int sectType, double slopeIn, double slopeOut, int rotating, int expanding,
                    int index) {
    if (index == 0) return 17;
    const double in = snapped_slope(slopeIn);
    const double out = snapped_slope(slopeOut);
    if (elemKind == 5) return 14;
    if (elemKind == 4) return 13;
    for (const ElemKindRecord& r : elem_kind_table) {
        if (r.elemKind != elemKind || r.sectType != sectType) continue;
        if (r.rotation != rotating && r.rotation != 2) continue;
        if (r.slopeIn != in && out != 180.0) continue;
        if (r.slopeOut != out || r.expanding != expanding) continue;
        return r.number;
    }
    return 0;
}

namespace {

void report(const char* format, const char* text) {
    char message[kLineSize];
    fput_fmt(message, format, text);
    put_err(message);
}

// The destination of one export: a file the writer owns, or standard output
// when no name is given. Every write is checked; finish() reports the first
// failure once and gives -1.
class FlowOut {
public:
    explicit FlowOut(const char* name)
        : named_(name != nullptr && name[0] != '\0'), name_(named_ ? name : "") {}
    FlowOut(const FlowOut&) = delete;
    FlowOut& operator=(const FlowOut&) = delete;
    ~FlowOut() {
        if (named_ && f_ != nullptr) std::fclose(f_);
    }

    bool open() {
        f_ = named_ ? std::fopen(name_, "w") : stdout;
        if (f_ == nullptr) report("Can't open file \"%s\"\n", name_);
        return f_ != nullptr;
    }
    // The name shown in a title: empty for standard output.
    const char* title_name() const { return name_; }

    void put(const char* text) {
        if (ok_ && std::fputs(text, f_) == EOF) ok_ = false;
    }
    void line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char text[kLineSize];
        std::va_list args;
        va_start(args, format);
        const int n = vput_fmt(text, format, args);
        va_end(args);
        if (n < 0) ok_ = false;
        put(text);
    }

    int finish() {
        if (std::fflush(f_) != 0) ok_ = false;
        if (named_) {
            if (std::fclose(f_) != 0) ok_ = false;
            f_ = nullptr;
        }
        if (ok_) return 0;
        report("Can't write file \"%s\"\n", name_);
        return -1;
    }

private:
    bool named_;
    const char* name_;
    std::FILE* f_ = nullptr;
    bool ok_ = true;
};

// The current case when it holds every array for its counts; otherwise NULL
// after the writer's message.
const bdLocals* case_to_export(const char* writer) {
    const bdLocals* c = get_bdLocals();
    if (c == nullptr) {
        report("%s: Can't get bdLocals\n", writer);
        return nullptr;
    }
    if (!path_fits_arrays(c) || c->cyld_nr < 1 || !has_every_array(c)) {
        report("%s: no case data\n", writer);
        return nullptr;
    }
    return c;
}

void put_title_and_elements(FlowOut& out, const bdLocals& c, const char* task) {
    out.line("# Vemo generated flow %s file %s - %d elements\n", task, out.title_name(), c.cyld_ns);
    for (int i = 0; i <= c.cyld_ns; ++i)
        out.line("#\t%4d %4d %4d: %s %s\n", i, truncated_int(c.elem_moduleNum[i]),
                 truncated_int(c.elem_stageNum[i]), sect_type_text(c.elem_sectType[i]),
                 elem_kind_text(c.elem_stagType[i]));
}

// A model name, bounded by its field, when its switch selects a model by name; else "-".
template <std::size_t N>
void put_model(FlowOut& out, const char* label, int selector, const char (&name)[N]) {
    if (selector < 0)
        out.line("#\t%s %-40.*s\n", label, static_cast<int>(N), name);
    else
        out.line("#\t%s %-40s\n", label, "-");
}

bool is_stator_row(const bdLocals& c, int i) {
    return c.bld_wp[i] == 0.0 && c.bld_z[i] != 0.0 && c.elem_stagType[i] == 1.0;
}
bool is_volute(const bdLocals& c, int i) { return c.elem_stagType[i] == 4.0 || c.elem_stagType[i] == 5.0; }

void put_element_row(FlowOut& out, const bdLocals& c, int i, int mid) {
    const bool vol = is_volute(c, i);
    const double D = vol ? c.vol_Dk[i] : c.bld_d2[i];
    const double L = vol ? c.vol_hk[i] : c.bld_l2[i];
    const char* format =
        "%-3d %12g %12g %12g %12g %12g %12g %12g %12g %12g %8d %13g %13g %13g %13g %9d %9d %9d %9d %9d\n";
    if (i == 0) {
        out.line(format, 0, 0.0, printable(D), printable(L), 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0, 0.0, 0.0, 0.0,
                 0.0, 0, 0, 0, 0, 0);
        return;
    }
    out.line(format, i, printable(c.bld_wp[i]), printable(D), printable(L), printable(c.los_Los[i][mid]),
             printable(c.cas_B1g[i][mid]), printable(vol ? c.vol_A2[i] : c.cas_B2a[i][mid]),
             printable(vol ? c.vol_b7[i] : c.bld_m2[i]), printable(c.cas_t2[i][mid]), printable(c.elem_Pa[i]),
             truncated_int(c.bld_z[i]), printable(vol ? c.vol_bk[i] : c.cas_b[i][mid]),
             printable(vol ? c.vol_D7[i] : c.cas_r2[i][mid]), printable(c.cas_x2[i][mid]),
             printable(c.elem_Gotb2[i]), truncated_int(c.elem_stagType[i]), truncated_int(c.elem_sectType[i]),
             truncated_int(c.AngMask[i]), truncated_int(c.elem_moduleNum[i]),
             truncated_int(c.elem_stageNum[i]));
}

// Seal values above 1e19 stand for "none" and are written as 0.
double seal(double v) { return v > 1e19 ? 0.0 : printable(v); }
int seal_int(double v) { return truncated_int(seal(v)); }

void put_seal_row(FlowOut& out, const bdLocals& c, int i) {
    const char* format = "%-3d %12d %12d %12g %12g %12g %12g %12d %12d %12g %12g\n";
    if (i == 0) {
        out.line(format, 0, 0, 0, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.0, 0.0);
        return;
    }
    const bool st = is_stator_row(c, i);
    out.line(format, i, seal_int(st ? c.stgtd_Tdy[i] : c.stgtd_Tby[i]),
             seal_int(st ? c.clrn_Zrd[i] : c.clrn_Zrr[i]), seal(st ? c.clrn_drd[i] : c.clrn_drr[i]),
             seal(st ? c.bld_du[i] : c.bld_dub[i]), seal(c.clrn_b1n[i]), seal(c.clrn_d1[i]),
             seal_int(c.elem_VI[i]), seal_int(c.bld_VS[i]), seal(c.bld_d1[i]), seal(c.bld_l1[i]));
}

void write_direct(FlowOut& out, const bdLocals& c) {
    const int ns = c.cyld_ns;
    const int mid = c.cyld_nr / 2;
    put_title_and_elements(out, c, "DIRECT");
    out.put("\n");
    put_model(out, "FluidModel ", c.cyld_fluid, c.fluidName);
    put_model(out, "cFluidModel", c.cyld_cfluid, c.cfluidName);
    put_model(out, "leakRName  ", c.cyld_MethodR, c.leakRName);
    put_model(out, "leakDName  ", c.cyld_MethodD, c.leakDName);
    put_model(out, "ProfModel  ", c.cyld_MethodP, c.losPName);
    put_model(out, "ScndModel  ", c.cyld_MethodS, c.losSName);
    put_model(out, "TransModel ", c.cyld_MethodN, c.losNName);
    put_model(out, "DevAngModel", c.cyld_MethodV, c.devName);
    put_model(out, "BlockModel ", c.cyld_MethodB, c.blockName);

    out.put("\n#   NS     NI     IM     IP    IPP   VART     IS   ITML  VARTB    IGM  VARTP\n");
    out.line("%6d %6d %6d %6d %6d %6d %6d %6d %6d %6d %6d\n", ns, 1, c.IM, c.IP, c.IPP, c.cyld_VART,
             c.cyld_fluid, c.ITML, c.cyld_VARTB, c.IGM, c.cyld_VARTP);
    out.put(
        "\n# MethodP   MethodS   MethodN   MethodV   MethodL       ISM     ICLos        RELAX    acc_limit   "
        "force1D\n");
    out.line("%9d %9d %9d %9d %9d %9d %9d %12g %12g %9d\n", c.cyld_MethodP, c.cyld_MethodS, c.cyld_MethodN,
             c.cyld_MethodV, c.cyld_MethodL, c.ISM, c.ICLos, printable(c.RELAX), printable(c.acc_limit),
             c.cyld_force1D);
    out.put("\n#         I0           P0          P2n           A0           G0         coz            af\n");
    out.line("%12g %12g %12g %12g %12g %12g %12g\n", printable(c.elem_i0[0]), printable(c.elem_p0[0]),
             printable(c.elem_p2[ns]), printable(c.cas_B1[0][mid]), printable(c.elem_G1[0]),
             printable(c.flow_c2z[0][mid]), printable(c.cyld_af));

    out.put(
        "\n#             OM            D            L          PSI          B1m        B2eff           m2    "
        "      "
        "Tm1        Eparc       Z              H             E             X           Gex   stgType   "
        "secType   "
        "AngMask moduleNum  stageNum\n");
    for (int i = 0; i <= ns; ++i) put_element_row(out, c, i, mid);

    // The velocity line grows with the number of elements.
    std::string velocities;
    char value[kLineSize];
    for (int i = 0; i <= ns; ++i) {
        fput_fmt(value, "%-12g ", printable(c.flow_w2[i][mid]));
        velocities += value;
    }
    out.put("\n# CC: m/s\n");
    out.put(velocities.c_str());
    out.put("\n\n");

    out.put(
        "#              Ts          Zr           dr           Du          b1n           DA           VI      "
        "     "
        "VS           Do           Lo\n");
    for (int i = 0; i <= ns; ++i) put_seal_row(out, c, i);
}

template <class Write>
int export_case(const char* writer, const char* name, Write write) {
    const bdLocals* c = case_to_export(writer);
    if (c == nullptr) return -1;
    FlowOut out(name);
    if (!out.open()) return -1;
    write(out, *c);
    return out.finish();
}

const char* module_type_text(int type) {
    const char* text = pd_module_type_name(type);
    return text != nullptr ? text : "unknown";
}

void put_module(FlowOut& out, const PD_module& m, int number, int kind) {
    out.line("\n#------------------------ module %2d\t-------------------------\n", number);
    out.line("\n%d \t\t# %s type\n\n", m.type, module_type_text(m.type));
    out.put("\n# design flags\n");
    out.line("%4d\t\t# Dflag\n", m.Dflag);
    out.line("%4d\t\t# Gflag\n", m.Gflag);
    out.line("# %4d\t\t# Vflag\n", m.Vflag);
    if (kind == 4) {
        out.line("%4d\t\t# diff_form\n", m.diff_form);
        out.line("%4d\t\t# uband_form\n", m.uband_form);
        out.line("%4d\t\t# desw_form\n", m.desw_form);
    }
    if (kind == 3 || kind == 4) out.line("%4d\t\t# volin_form\n", m.volin_form);
    if (kind == 4) out.line("%4d\t\t# volout_form\n", m.volout_form);

    static constexpr const char* kVarNames[PD_VAR_COUNT] = {"Om", "D",  "Cz", "Ht", "R",
                                                            "Pa", "Ku", "Kz", "m",  "Kh"};
    out.put("\n# module variable parameters\n");
    for (int v = 0; v < PD_VAR_COUNT; ++v)
        out.line("%12g %12g\t# %s\n%s", printable(m.PD_VAR_lower[v]), printable(m.PD_VAR_upper[v]),
                 kVarNames[v], v + 1 == PD_VAR_COUNT ? "\n" : "");

    static constexpr const char* kLimNames[PD_LIM_COUNT] = {"Nstg", "Dh", "Ds", "A1", "Leng", "Mach", "Mass"};
    out.put("\n# module constraints\n");
    for (int l = 0; l < PD_LIM_COUNT; ++l)
        out.line("%12g %12g\t# %s\n", printable(m.PD_LIM_lower[l]), printable(m.PD_LIM_upper[l]),
                 kLimNames[l]);

    out.put("\n# module source data\n");
    out.line("%12g\t\t# Om\n", printable(m.PD_SRC_OM));
    out.line("%12g\t\t# G\n", printable(m.PD_SRC_G));
    out.line("%12g\t\t# P2n\n", printable(m.PD_SRC_P2N));
}

void write_design(FlowOut& out, const PD_module* table, int modules, int IS, int VARTP, int kind) {
    const PD_module& r0 = table[0];
    out.line("\n# ================ Vemo generated flow DESIGN file %s ==============\n", out.title_name());
    out.line(
        "\n%s\n%s\n", "# control constants for inverse problem\n",
        "# NS      NI      IM      IP      IPP     VART    IS      ITML    VARTB   IGM     VARTP   VARTD");
    out.line("  %-8d%-8d%-8d%-8d%-8d%-8d%-8d%-8d%-8d%-8d%-8d%-8d\n", 1, 1, 50, 0, 2, 2, IS, 0, 0, 50, VARTP,
             0);
    out.put(
        "\n# MethodP MethodS MethodN MethodV MethodL ISM     ICLos    RELAX       acc_limit   "
        "cyld__force1D\n");
    out.line("  %-8d%-8d%-8d%-8d%-8d%-8d%-8d %-12g%-12g%-12d\n", 2, 2, 0, r0.type != 0 ? 2 : 1,
             kind == 3 || kind == 4 ? 0 : 1, 50, 1, 0.5, 1e-6, 0);
    out.put("\n# cylinder source data\n");
    out.line("  %-12g %-12g %-12g %-12g # io po A0 af\n\n", printable(r0.PD_SRC_I0), printable(r0.PD_SRC_P0),
             printable(r0.PD_SRC_A0), printable(r0.PD_SRC_AF));
    out.put("\n# cylinder constraints\n");
    out.line("%-12g %-12g\t# length\n\n", printable(r0.PD_LIM_lower[PD_LIM_LENGTH]),
             printable(r0.PD_LIM_upper[PD_LIM_LENGTH]));
    out.put("\n# number of modules in cylinder\n");
    out.line("  %-d\n", modules);
    for (int m = 0; m < modules; ++m) put_module(out, table[m], m + 1, kind);
    out.put("\n# ==================================================================\n");
}

// ---------------------------------------------------------------- schema files

constexpr const char* kSchemaRule = "#------------------------------------------------------------------\n";

// A data row: each value with its conversion, one blank between values.
class DataRow {
public:
    DataRow& g(double v) { return add("%12g", printable(v)); }
    DataRow& d(double v) { return add("%4d", truncated_int(v)); }
    void put(FlowOut& out) {
        text_ += "\n";
        out.put(text_.c_str());
    }

private:
    template <class T>
    DataRow& add(const char* format, T v) {
        char value[kLineSize];
        fput_fmt(value, format, v);
        if (!text_.empty()) text_ += " ";
        text_ += value;
        return *this;
    }
    std::string text_;
};

bool is_expanding(const bdLocals& c) { return c.elem_p0[0] > c.elem_p2[c.cyld_ns]; }

int fluid_code(const bdLocals& c) {
    if (c.cyld_fluid != -1) return c.cyld_fluid;
    static constexpr struct {
        const char* name;
        int code;
    } kCodes[] = {{"flxb.dll", 0}, {"flxg.dll", 1}, {"flxs.dll", 2}, {"flxk.dll", 4}, {"flxm.dll", 5}};
    const std::string name(c.fluidName, strnlen(c.fluidName, sizeof c.fluidName));
    for (const auto& k : kCodes)
        if (strcasecmp(name.c_str(), k.name) == 0) return k.code;
    return -1;
}

void put_schema_head(FlowOut& out, int ns) {
    out.line("%s## Schema data\tv.2.8 (Vemo generated DESIGN)\t\t\t\t\t\t\n%s", kSchemaRule, kSchemaRule);
    out.line("%s\t  # Schema name file\n", out.title_name());
    out.line("%s\t  # element shape`s input file\n", "flow.shp");
    out.line("%s\t  # performance models\n", "flow.gpl");
    out.put("\n# scene settings (scale, shift(x,y,z), rot(x,y,z))\n");
    out.line("%-12g%-12g%-12g%-12g%-12g%-12g%-12g\n", 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
    out.line("%-4d%-4d%-4d%-4d%-4d%-4d%-4d\t# Qaxis Qgrid Qtext Qpoint Qvalue IconSize IconLineWidth\n", 0, 0,
             1, 0, 0, 33, 1);
    out.line("\n%s\n", kSchemaRule);
    out.line("%-4d   # element`s number\n", ns);
}

void put_block_start(FlowOut& out, const char* title, int type, int i, int num, int nlink, const char* gap) {
    out.line("\n#\telement %d (%s)\n", i, title);
    out.put("noname\t\t# subschema description file name\n");
    out.line("%-4d%-4d%-4d%-4d%s%s\n", type, i, num, nlink, gap, "# type ind num nlink");
    out.line("\n#\tposition  (scale, shift, rot, distort)\n%12g%12g%12g%12g%12g%12g%12g%12g\n", 1.0, 0.0, 0.0,
             0.0, 0.0, 0.0, 0.0, 1.0);
}

void put_flow_input_block(FlowOut& out, const bdLocals& c, int mid) {
    put_block_start(out, "Flow input", 16, 0, 1, 1, "   ");
    out.line("%-4ld %-4ld   %s\n", 0L, 16580521L, "# colors");
    out.line("%-4d %-4d   %s\n", 2, 0, "# line_width, line_style");
    out.line("\n%-4d   %s\n", 13, "# data num");
    DataRow()
        .g(c.elem_i0[0])
        .g(c.elem_p0[0])
        .g(c.elem_p2[c.cyld_ns])
        .g(c.cas_B1[0][mid])
        .g(c.elem_G1[0])
        .g(c.bld_d1[0])
        .g(c.bld_l1[0])
        .d(fluid_code(c))
        .g(c.cyld_af)
        .g(c.flow_c2[0][mid])
        .g(c.isd_i2[0][mid])
        .g(c.isd_p2[0][mid])
        .g(c.flow_c2[0][mid])
        .put(out);
    out.line("%s\n%4d\n", "# link fluids", 0);
}

enum class Block { Compressor, Turbine, Generic };

// Blade and other element blocks; the record gives the generic block's title,
// type and value count.
void put_element_block(FlowOut& out, const bdLocals& c, int i, int mid, Block block, const char* title,
                       int type, int values, bool volute) {
    put_block_start(out, title, type, i, i, 2, block == Block::Compressor ? "  " : " ");
    out.line("%-4d %-4d   %s\n", 0, c.bld_wp[i] == 0.0 ? 8580089 : 16754093, "# colors");
    out.line("%-4d %-4d   %s\n", 2, 0, "# line_width, line_style");
    out.line("\n%-4d   %s\n", values, "# data num");
    const bool stator = c.bld_wp[i] == 0.0;
    const double Tm = truncated_int(c.elem_sectType[i]) == 2 ? 180.0 : c.cas_t2[i][mid];
    DataRow row;
    row.g(c.bld_wp[i])
        .g(volute ? c.vol_Dk[i] : c.bld_d2[i])
        .g(volute ? c.vol_hk[i] : c.bld_l2[i])
        .g(c.los_Los[i][mid])
        .g(c.cas_B1g[i][mid])
        .g(volute ? c.vol_A2[i] : c.cas_B2a[i][mid])
        .g(volute ? c.vol_b7[i] : c.bld_m2[i])
        .g(Tm)
        .g(c.elem_Pa[i])
        .g(std::floor(c.bld_z[i]))
        .g(volute ? c.vol_bk[i] : c.cas_b[i][mid])
        .g(volute ? c.vol_D7[i] : c.cas_r2[i][mid])
        .g(c.cas_x2[i][mid])
        .g(c.elem_Gotb2[i])
        .d(c.elem_stagType[i])
        .d(c.elem_sectType[i])
        .d(c.AngMask[i]);
    if (block != Block::Generic) {
        row.d(stator ? c.stgtd_Tdy[i] : c.stgtd_Tby[i])
            .d(stator ? c.clrn_Zrd[i] : c.clrn_Zrr[i])
            .g(stator ? c.clrn_drd[i] : c.clrn_drr[i])
            .g(stator ? c.bld_du[i] : c.bld_dub[i]);
        if (block == Block::Turbine) row.g(c.clrn_b1n[i]).g(c.clrn_a1n[i]).g(c.elem_VI[i]).g(c.bld_VS[i]);
    }
    row.g(c.flow_w2[i][mid])
        .g(c.isd_i2[i][mid])
        .g(c.isd_p2[i][mid])
        .g(c.flow_c2z[i][mid])
        .g(c.flow_c2u[i][mid])
        .g(c.flow_c2r[i][mid])
        .put(out);
    out.line("%s\n%4d%4d\n", "# link fluids", 0, 0);
}

void put_links_and_tail(FlowOut& out, const bdLocals& c) {
    const int ns = c.cyld_ns;
    const int code = is_expanding(c) ? 3 : 9;
    out.line("\n%s\n", kSchemaRule);
    out.line("%-4d # link`s number\n", ns);
    for (int k = 0; k < ns; ++k) {
        out.line("\n# link %4d\n", k);
        out.line("%-4d%-4d%-4d%-4d%-4d%-4d%-4d%-4d %s\n", k + 1, k == 0 ? 16 : code, code, k + 1, k + 2,
                 k == 0 ? 0 : 1, 0, 1, "# (num in_code out_code in_num out_num in_reg out_reg n_seg)");
        out.line("# link nodes\n%12g%12g%12g\n%12g%12g%12g\n", 0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
        out.line("\n%-4d   %s\n", 3, "# data num");
        out.line("%12g%12g%12g\n", 0.0, 0.0, 0.0);
        out.line("\n%-4d   %s\n", 0, "# color");
        out.line("%-4d%-4d%-4d   %s\n", 6, 0, 1, "# line_width, gauge, style");
    }
    out.put("\n#-----------------------------------------------------------------\n");
    out.line("%-4d   %s\n", 0, "# var num");
    out.put("#-----------------------------------------------------------------\n");
}

double slope_in(const bdLocals& c, int i, int mid) { return c.cas_t2[i == 0 ? 0 : i - 1][mid]; }

// Classifies and lists every element; false when one is unknown.
bool put_listing(FlowOut& out, const bdLocals& c, int mid, int* kinds) {
    bool known = true;
    out.put("# Recognized elements are:\n");
    for (int i = 0; i <= c.cyld_ns; ++i) {
        const int kind = truncated_int(c.elem_stagType[i]);
        const int sect = truncated_int(c.elem_sectType[i]);
        kinds[i] = match_elem_kind(kind, sect, slope_in(c, i, mid), c.cas_t2[i][mid], c.bld_wp[i] != 0.0,
                                   is_expanding(c), i);
        if (kinds[i] == 0) known = false;
        out.line("#%6d %4d-%-10s %4d-%-15s %10g %10g %4d %-s\n", i, kind, elem_kind_text(c.elem_stagType[i]),
                 sect, sect_type_text(c.elem_sectType[i]), printable(slope_in(c, i, mid)),
                 printable(c.cas_t2[i][mid]), kinds[i],
                 kinds[i] == 0 ? "unknown" : elem_kind_table[kinds[i] - 1].name);
    }
    return known;
}

// 0 written, 1 aborted on an unknown element.
int write_schema(FlowOut& out, const bdLocals& c) {
    const int mid = c.cyld_nr / 2;
    std::vector<int> kinds(static_cast<std::size_t>(c.cyld_ns) + 1);
    if (!put_listing(out, c, mid, kinds.data())) {
        out.put("\n# Export aborted.\n");
        return 1;
    }
    put_schema_head(out, c.cyld_ns);
    put_flow_input_block(out, c, mid);
    for (int i = 1; i <= c.cyld_ns; ++i) {
        const ElemKindRecord& r = elem_kind_table[kinds[i] - 1];
        if (r.number == 21 || r.number == 22) continue;  // heat exchangers and hollows have no block
        if (r.number == 10)
            put_element_block(out, c, i, mid, Block::Compressor, "Axial compressor blade", 9, 27, false);
        else
            put_element_block(out, c, i, mid, r.number == 4 ? Block::Turbine : Block::Generic, r.name,
                              r.number - 1, r.values, r.number == 13 || r.number == 14);
    }
    put_links_and_tail(out, c);
    return 0;
}

int write_schema_axial(FlowOut& out, const bdLocals& c) {
    const int mid = c.cyld_nr / 2;
    put_schema_head(out, c.cyld_ns);
    put_flow_input_block(out, c, mid);
    for (int i = 1; i <= c.cyld_ns; ++i) {
        if (is_expanding(c))
            put_element_block(out, c, i, mid, Block::Turbine, "Axial turbine blade", 3, 31, false);
        else
            put_element_block(out, c, i, mid, Block::Compressor, "Axial compressor blade", 9, 27, false);
    }
    put_links_and_tail(out, c);
    return 0;
}

}  // namespace
}  // namespace h2

extern "C" {

int ExpData2Sch(const char* name) {
    int status = 0;
    const int r = h2::export_case("ExpData2Sch", name, [&status](h2::FlowOut& out, const bdLocals& c) {
        status = h2::write_schema(out, c);
    });
    return r != 0 ? r : status;
}

int ExpData2Sch_Ax(const char* name) {
    return h2::export_case("ExpData2Sch_Ax", name,
                           [](h2::FlowOut& out, const bdLocals& c) { h2::write_schema_axial(out, c); });
}

// The predesign module table and its count, from the predesign folder.
const PD_module* pd_module_table(int* count);

int ExpDesignData(const char* name, int IS, int VARTP, int kind) {
    int modules = 0;
    const PD_module* table = pd_module_table(&modules);
    if (modules < 0 || modules > PD_MODULE_MAX) {
        char message[h2::kLineSize];
        h2::fput_fmt(message, "ExpDesignData: number of modules %d outside 0..6\n", modules);
        put_err(message);
        return -1;
    }
    h2::FlowOut out(name);
    if (!out.open()) return -1;
    h2::write_design(out, table, modules, IS, VARTP, kind);
    return out.finish();
}

int ExpDirectData(const char* name) {
    return h2::export_case("ExpDirectData", name,
                           [](h2::FlowOut& out, const bdLocals& c) { h2::write_direct(out, c); });
}

int ExpInverseData(const char* name) {
    return h2::export_case("ExpInverseData", name, [](h2::FlowOut& out, const bdLocals& c) {
        h2::put_title_and_elements(out, c, "INVERSE");
    });
}
}
