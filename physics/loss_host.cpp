// The loss-model plug-in host: chooses each element's model libraries, loads
// them from ModelBase, lets their initialisers fill the case's LossSlots, and
// copies slot entries between cases.
#include "physics/loss_host.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/losses.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "physics/profile_class.h"
#include "platform/dynlib.h"
#include "platform/install_paths.h"

namespace {

using h2::kAxialSections;
using h2::kDeswirler;
using h2::kDuct;
using h2::kInletVolute;
using h2::kOutletVolute;
using h2::kRadialSections;
using h2::kUBend;
using h2::kVanelessDiffuser;

using h2::switch_on;

using h2::is_expanding;
using h2::kDeswirler;
using h2::kInletVolute;

constexpr int kFirstAnalysisTask = 10;  // cyld__VART below this selects a design task

// A name longer than any path the system can open is refused rather than cut:
// a shortened name could open a different library.
constexpr std::size_t kLongestName = 4095;

// What each calculation slot loads: the initialiser's name and the stem of
// the default file of the families' models.
struct ModelLibrary {
    const char* entry;
    const char* stem;
};
constexpr std::array<ModelLibrary, H2_LOSS_CALC_SLOTS> kModels{{
    {H2_LOSS_ENTRY_D, "kmgd_t"},
    {H2_LOSS_ENTRY_R, "kmgr_"},
    {H2_LOSS_ENTRY_Z, "kmga_t"},
    {H2_LOSS_ENTRY_P, "kmprf_"},
    {H2_LOSS_ENTRY_S, "kmsnd_"},
    {H2_LOSS_ENTRY_N, "kmtrn_"},
    {H2_LOSS_ENTRY_V, "kmdva_"},
    {H2_LOSS_ENTRY_B, "kmblk_"},
}};

constexpr std::string_view kLibraryExtension = ".dll";

// The middle section, where the profile tests look.
int middle_section(const bdLocals& b) { return b.cyld_nr / 2; }

// The text of a fixed-size field, up to its NUL or its end.
template <std::size_t N>
std::string_view field_text(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}

// The per-element switch of a calculation slot's letter.
const double* letter_switches(const bdLocals& b, int slot) {
    switch (slot) {
        case H2_LOSS_D:
            return b.elem_MethodD;
        case H2_LOSS_R:
            return b.elem_MethodR;
        case H2_LOSS_Z:
            return b.elem_MethodZ;
        case H2_LOSS_P:
            return b.elem_MethodP;
        case H2_LOSS_S:
            return b.elem_MethodS;
        case H2_LOSS_N:
            return b.elem_MethodN;
        case H2_LOSS_V:
            return b.elem_MethodV;
        case H2_LOSS_B:
            return b.elem_MethodB;
        default:
            return nullptr;
    }
}

// The current case when element i can be given a model of calculation slot
// `slot`, else nullptr.
bdLocals* case_for_model(int slot, int i) {
    bdLocals* b = get_bdLocals();
    // Without a case, or before its arrays exist, the family rule and the
    // initialiser would go through NULL.
    if (b == nullptr || b->elem_stagType == nullptr || b->elem_sectType == nullptr || b->elem_p0 == nullptr ||
        b->elem_p2 == nullptr || b->LossSlots[slot] == nullptr ||
        b->LossSlots[slot + H2_LOSS_NOTE_OFFSET] == nullptr)
        return nullptr;
    // Counts that no longer fit the arrays, or an element outside
    // 0..cyld__ns, would have the family rule and the plug-in read and write
    // past the element arrays.
    if (!h2::path_fits_arrays(b) || i < 0 || i > b->cyld_ns || !h2::allocated_element(b, i)) return nullptr;
    return b;
}

// One loader: the named library, or the element's default, from ModelBase;
// its initialiser fills the element's entries. Every failure is silent.
int load_model(int slot, std::string_view name, int element) noexcept {
    try {
        bdLocals* b = case_for_model(slot, element);
        if (b == nullptr) return 0;
        const std::string file =
            name.empty() ? h2::default_loss_library(*b, slot, element) : std::string(name);
        if (file.empty()) return 0;
        const std::string_view base = field_text(b->ModelBase);
        const std::string path = base.empty() ? file : std::string(base) + "/" + file;

        // The library stays loaded: the entries it installs point into it.
        h2::platform::LibHandle lib = h2::platform::lib_open_plugin(path.c_str());
        if (lib == nullptr) return 0;
        auto entry =
            reinterpret_cast<LossPluginEntry>(h2::platform::lib_plugin_symbol(lib, kModels[slot].entry));
        if (entry == nullptr) return 0;
        entry(b, element);
    } catch (...) {
        // Out of memory for a name or a path: the slot stays as it was.
    }
    return 0;
}

// A loader called by a host with a text of its own.
int load_named_model(int slot, const char* name, int element) {
    if (name == nullptr) return load_model(slot, {}, element);
    const std::size_t n = strnlen(name, kLongestName + 1);
    if (n > kLongestName) return 0;
    return load_model(slot, std::string_view(name, n), element);
}

// Copies the sixteen entries of src's element s to dst's element d; both
// elements are known to lie inside their arrays.
void copy_entries(const bdLocals& src, int s, bdLocals& dst, int d) {
    for (int slot = 0; slot < H2_LOSS_SLOT_COUNT; ++slot) {
        // A block whose slot array is missing has nothing to give or take there.
        if (src.LossSlots[slot] == nullptr || dst.LossSlots[slot] == nullptr) continue;
        dst.LossSlots[slot][d] = src.LossSlots[slot][s];
    }
}

// The case switches that travel with the slot entries; cyld__MethodZ stays.
void copy_switches(const bdLocals& src, bdLocals& dst) {
    dst.cyld_MethodP = src.cyld_MethodP;
    dst.cyld_MethodS = src.cyld_MethodS;
    dst.cyld_MethodN = src.cyld_MethodN;
    dst.cyld_MethodV = src.cyld_MethodV;
    dst.cyld_MethodR = src.cyld_MethodR;
    dst.cyld_MethodD = src.cyld_MethodD;
    dst.cyld_MethodB = src.cyld_MethodB;
}

}  // namespace

namespace h2 {

bool is_turbine_row(const bdLocals& b, int i) {
    // In a design task the blade angles are still unknowns: the whole path of
    // an expanding machine counts as turbine.
    if (b.cyld_VART < kFirstAnalysisTask) return is_expanding(b);
    return turb_prof_in(&b, i, middle_section(b)) == 1;
}

bool is_compressor_row(const bdLocals& b, int i) {
    if (b.cyld_VART < kFirstAnalysisTask) {
        const double kind = b.elem_stagType[i];
        return !is_expanding(b) && kind != kVanelessDiffuser && kind != kUBend && kind != kDeswirler;
    }
    return comp_prof_in(&b, i, middle_section(b)) == 1;
}

LossFamily loss_family(const bdLocals& b, int i) {
    if (is_turbine_row(b, i)) return H2_FAMILY_TURBINE;
    if (is_compressor_row(b, i)) {
        if (b.elem_sectType[i] == kAxialSections) return H2_FAMILY_AXIAL_COMPRESSOR;
        if (b.elem_sectType[i] == kRadialSections) return H2_FAMILY_CENTRIFUGAL;
    }
    const double kind = b.elem_stagType[i];
    if (kind == kVanelessDiffuser) return H2_FAMILY_VANELESS_DIFFUSER;
    if (kind == kUBend) return H2_FAMILY_U_BEND;
    if (kind == kOutletVolute) return H2_FAMILY_OUTLET_VOLUTE;
    if (kind == kInletVolute) return H2_FAMILY_INLET_VOLUTE;
    if (kind == kDeswirler) return H2_FAMILY_OTHER;
    return H2_FAMILY_NONE;
}

std::string default_loss_library(const bdLocals& b, int slot, int i) {
    if (slot < 0 || slot >= H2_LOSS_CALC_SLOTS) return {};
    std::string file = kModels[slot].stem;
    switch (slot) {
        case H2_LOSS_D:
        case H2_LOSS_Z:
            break;
        case H2_LOSS_R:
            file += is_expanding(b) ? 't' : 'c';
            break;
        default: {
            const LossFamily family = loss_family(b, i);
            if (family == H2_FAMILY_NONE) return {};
            file += H2_LOSS_FAMILY_SUFFIXES[family];
        }
    }
    file += kLibraryExtension;
    return file;
}

LossEntry loss_entry(const bdLocals* b, int slot, int i) {
    if (b == nullptr || slot < 0 || slot >= H2_LOSS_SLOT_COUNT) return nullptr;
    const LossEntry* entries = b->LossSlots[slot];
    // A case without slot arrays, or an element outside them, has no entry.
    if (entries == nullptr || !allocated_element(b, i)) return nullptr;
    return entries[i];
}

LossEntry switched_loss_entry(const bdLocals* b, int slot, int i) {
    const LossEntry entry = loss_entry(b, slot, i);
    if (entry == nullptr) return nullptr;
    const double* switches = letter_switches(*b, slot % H2_LOSS_CALC_SLOTS);
    if (switches == nullptr || !switch_on(switches[i])) return nullptr;
    return entry;
}

LossCalcFunc section_model(const bdLocals* b, int slot, int i, int j) {
    if (slot < H2_LOSS_P || slot > H2_LOSS_B) return nullptr;
    // A section outside the rows would have the model write past them.
    if (b == nullptr || !allocated_stream(b, j)) return nullptr;
    return reinterpret_cast<LossCalcFunc>(switched_loss_entry(b, slot, i));
}

LossElemFunc element_model(const bdLocals* b, int slot, int i) {
    if (slot < H2_LOSS_D || slot > H2_LOSS_Z) return nullptr;
    return reinterpret_cast<LossElemFunc>(switched_loss_entry(b, slot, i));
}

LossElemFunc installed_element_model(const bdLocals* b, int slot, int i) {
    if (slot < H2_LOSS_D || slot > H2_LOSS_Z) return nullptr;
    return reinterpret_cast<LossElemFunc>(loss_entry(b, slot, i));
}

LossNoteFunc model_note(const bdLocals* b, int slot, int i) {
    if (slot < 0 || slot >= H2_LOSS_CALC_SLOTS) return nullptr;
    return reinterpret_cast<LossNoteFunc>(switched_loss_entry(b, slot + H2_LOSS_NOTE_OFFSET, i));
}

}  // namespace h2

extern "C" {

int InitUDU(const char* name, int element) { return load_named_model(H2_LOSS_D, name, element); }
int InitURZ(const char* name, int element) { return load_named_model(H2_LOSS_R, name, element); }
int InitZAZlos(const char* name, int element) { return load_named_model(H2_LOSS_Z, name, element); }
int InitProfLos(const char* name, int element) { return load_named_model(H2_LOSS_P, name, element); }
int InitScndLos(const char* name, int element) { return load_named_model(H2_LOSS_S, name, element); }
int InitTransLos(const char* name, int element) { return load_named_model(H2_LOSS_N, name, element); }
int InitDevAng(const char* name, int element) { return load_named_model(H2_LOSS_V, name, element); }
int InitBlock(const char* name, int element) { return load_named_model(H2_LOSS_B, name, element); }

int InitLoses(void) {
    bdLocals* b = get_bdLocals();
    // Without a case whose arrays hold its elements there is nothing to load into.
    if (b == nullptr || b->elem_stagType == nullptr || !h2::path_fits_arrays(b)) return 1;
    // Every element names the same few libraries: each is looked up once.
    const h2::platform::PluginBatch batch;

    for (int i = 0; i <= b->cyld_ns; ++i) {
        // A plug-in may rewrite the counts; elements beyond the arrays are never read.
        if (!h2::allocated_element(b, i)) break;
        if (b->elem_stagType[i] == kDuct) continue;
        // The model names of the case, in the order the models are loaded.
        const std::array<std::pair<int, std::string_view>, H2_LOSS_CALC_SLOTS> models{{
            {H2_LOSS_D, field_text(b->leakDName)},
            {H2_LOSS_R, field_text(b->leakRName)},
            {H2_LOSS_Z, field_text(b->leakZName)},
            {H2_LOSS_P, field_text(b->losPName)},
            {H2_LOSS_S, field_text(b->losSName)},
            {H2_LOSS_N, field_text(b->losNName)},
            {H2_LOSS_V, field_text(b->devName)},
            {H2_LOSS_B, field_text(b->blockName)},
        }};
        for (const auto& [slot, name] : models)
            if (load_model(slot, name, i) != 0) return 1;
    }
    return 0;
}

int CopyLoses(const bdLocals* src, bdLocals* dst) {
    if (src == nullptr || dst == nullptr) return -1;
    for (int i = 0; i <= src->cyld_ns; ++i) {
        // A destination with fewer elements than the source would be written
        // past its slot arrays; the copy ends where either array set ends.
        if (!h2::allocated_element(src, i) || !h2::allocated_element(dst, i)) break;
        copy_entries(*src, i, *dst, i);
    }
    copy_switches(*src, *dst);
    return 0;
}

int FillLoses(const bdLocals* src, int k, bdLocals* dst, int dstStart, int srcStart) {
    if (src == nullptr || dst == nullptr) return -1;
    const long long count = k >= 0 ? dst->cyld_ns + 1LL : src->cyld_ns + 1LL;
    for (long long j = 0; j < count; ++j) {
        const long long d = j + dstStart;
        if (d > dst->cyld_ns) break;
        const long long s = k >= 0 ? k : j + srcStart;
        // Source elements beyond src's last element hold no models; reading
        // them would also run past the source's slot arrays.
        if (s > src->cyld_ns) break;
        if (d < 0 || s < 0) continue;
        if (!h2::allocated_element(dst, static_cast<int>(d)) ||
            !h2::allocated_element(src, static_cast<int>(s)))
            break;
        copy_entries(*src, static_cast<int>(s), *dst, static_cast<int>(d));
    }
    copy_switches(*src, *dst);
    return 0;
}

}  // extern "C"
