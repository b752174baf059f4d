// The stored section models: loading them from their files or the built-in
// tables, their ownership by the case that loaded them, and the evaluation of
// one coefficient set.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "blades/section_model_tables.h"
#include "case/output_internal.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "platform/install_paths.h"

namespace {

namespace sm = h2::section_model;

constexpr double kNotFound = 1e20;

// Bits of model_owned: the field's model was loaded by this case and is freed with it.
constexpr std::int32_t kOwnsRotor = 1;
constexpr std::int32_t kOwnsStator = 2;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// One allocation holding the set pointers (and a closing NULL), then the row
// pointers of every set, then the coefficients, so that model[k][r][c]
// addresses coefficient (r, c) of set k and one free() releases it all.
GeomModel alloc_zero_model(int nsets) {
    const std::size_t sets = static_cast<std::size_t>(nsets);
    const std::size_t pointer_bytes = (sets + 1) * sizeof(double**) + sets * sm::kMatrix * sizeof(double*);
    const std::size_t bytes = pointer_bytes + sets * sm::kSetSize * sizeof(double);
    void* raw = std::calloc(1, bytes);
    if (raw == nullptr) return nullptr;
    auto* set_ptrs = static_cast<double***>(raw);
    auto* row_ptrs = reinterpret_cast<double**>(set_ptrs + sets + 1);
    auto* coefs = reinterpret_cast<double*>(static_cast<unsigned char*>(raw) + pointer_bytes);
    for (std::size_t k = 0; k < sets; ++k) {
        set_ptrs[k] = row_ptrs + k * sm::kMatrix;
        for (std::size_t r = 0; r < sm::kMatrix; ++r)
            set_ptrs[k][r] = coefs + (k * sm::kMatrix + r) * sm::kMatrix;
    }
    set_ptrs[sets] = nullptr;
    return set_ptrs;
}

// A little-endian IEEE single from four bytes, widened.
double float_le(const unsigned char* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) |
                               (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<double>(std::bit_cast<float>(bits));
}

// Why a model file cannot be used, or empty when it can; floats NULL checks the size only.
std::string refusal(std::FILE* f, int kind, const unsigned char* floats, std::size_t count) {
    const char* name = sm::file_name(kind);
    const char* model = kind == 1 ? "rotor" : "stator";
    if (std::fseek(f, 0, SEEK_END) != 0 || std::ftell(f) < 0)
        return h2::format_text("%s: the file cannot be read; the built-in %s section model is used", name,
                               model);
    const long size = std::ftell(f);
    if (static_cast<std::size_t>(size) != 4 * count)
        return h2::format_text(
            "%s: %ld bytes, where a %s section model file holds %zu; the built-in %s section model is used",
            name, size, model, 4 * count, model);
    if (floats == nullptr) return {};
    for (std::size_t n = 0; n < count; ++n)
        if (!std::isfinite(float_le(floats + 4 * n)))
            return h2::format_text(
                "%s: coefficient %zu of set %zu is not a finite number; the built-in %s section model is "
                "used",
                name, n % sm::kSetSize, n / sm::kSetSize, model);
    return {};
}

// Coefficients from an open model file: set after set, each matrix row by
// row. A file of any other size than the model's, or with a coefficient that
// is no finite number, is refused with a line that says why (an empty file
// once gave an all-zero model, a short one zeros in place of the missing
// coefficients, and every section property then came out 0 or NaN with no
// word): *refused is then set and the caller takes the built-in table.
// False when the read buffer cannot be had.
bool read_model(std::FILE* f, GeomModel m, int kind, bool quiet, bool* refused) {
    const int nsets = sm::set_count(kind);
    const std::size_t count = static_cast<std::size_t>(nsets) * sm::kSetSize;
    std::unique_ptr<unsigned char, FreeDeleter> buffer(static_cast<unsigned char*>(std::calloc(count, 4)));
    if (!buffer) return false;
    std::string why = refusal(f, kind, nullptr, count);
    if (why.empty()) {
        std::rewind(f);
        if (std::fread(buffer.get(), 4, count, f) != count)
            why = h2::format_text("%s: the file cannot be read; the built-in %s section model is used",
                                  sm::file_name(kind), kind == 1 ? "rotor" : "stator");
        else
            why = refusal(f, kind, buffer.get(), count);
    }
    *refused = !why.empty();
    if (*refused) {
        if (!quiet) h2::report_error(why.c_str());
        return true;
    }
    for (int k = 0; k < nsets; ++k)
        for (int r = 0; r < sm::kMatrix; ++r)
            for (int c = 0; c < sm::kMatrix; ++c)
                m[k][r][c] = float_le(buffer.get() + 4 * ((k * sm::kMatrix + r) * sm::kMatrix + c));
    return true;
}

void copy_builtin(GeomModel m, int kind) {
    const sm::Table* table = sm::builtin_table(kind);
    for (int k = 0; k < sm::set_count(kind); ++k)
        for (int i = 0; i < sm::kUsed; ++i) m[k][sm::kUsedCells[i][0]][sm::kUsedCells[i][1]] = table[k][i];
}

void*& model_field(bdLocals* b, int kind) { return kind == 1 ? b->model_rotor : b->model_stator; }
std::int32_t owner_bit(int kind) { return kind == 1 ? kOwnsRotor : kOwnsStator; }

// Bits of model_source, which outlive the models: the model of the kind last
// loaded by this case came from its file; its file was refused and the line
// saying so has been printed (the strength pass reloads the models for every
// row, and one line per case is enough).
constexpr std::int32_t from_file_bit(int kind) {
    return kind == 1 ? H2_MODEL_ROTOR_FILE : H2_MODEL_STATOR_FILE;
}
constexpr std::int32_t refused_bit(int kind) { return kind == 1 ? 4 : 8; }

// The model of a kind from its file or the built-in table; source, when
// given, records which in model_source (and keeps a refusal's line to one).
GeomModel load_model(int kind, bdLocals* source) {
    const int nsets = sm::set_count(kind);
    if (nsets == 0) return nullptr;
    GeomModel m = alloc_zero_model(nsets);
    if (m == nullptr) return nullptr;
    std::unique_ptr<std::FILE, FileCloser> file(
        std::fopen(h2::platform::installation_file(sm::file_name(kind)).c_str(), "rb"));
    bool refused = false;
    const bool quiet = source != nullptr && (source->model_source & refused_bit(kind)) != 0;
    if (file && !read_model(file.get(), m, kind, quiet, &refused)) {
        std::free(m);
        return nullptr;
    }
    if (!file || refused) copy_builtin(m, kind);
    if (source != nullptr) {
        source->model_source &= ~from_file_bit(kind);
        if (file && !refused) source->model_source |= from_file_bit(kind);
        if (refused) source->model_source |= refused_bit(kind);
    }
    return m;
}

// Releases the field's model when the case owns it; the field and its bit are cleared either way.
void release_field(bdLocals* b, int kind) {
    const std::int32_t bit = owner_bit(kind);
    if ((b->model_owned & bit) != 0) std::free(model_field(b, kind));
    model_field(b, kind) = nullptr;
    b->model_owned &= ~bit;
}

}  // namespace

extern "C" {

GeomModel alloc_model(int kind) { return load_model(kind, nullptr); }

int init_model(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return 0;
    int loaded = 1;
    b->model_source |= H2_MODEL_LOADED;
    for (int kind = 1; kind <= 2; ++kind) {
        GeomModel m = load_model(kind, b);
        // A model shared with another case (or put there by the host) is not
        // ours to free; one this case loaded before would otherwise leak.
        release_field(b, kind);
        model_field(b, kind) = m;
        if (m != nullptr)
            b->model_owned |= owner_bit(kind);
        else
            loaded = 0;
    }
    return loaded;
}

void free_model(int kind) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return;
    release_field(b, kind == 1 ? 1 : 2);
}

void term_model(void) {
    free_model(1);
    free_model(2);
}

double model_geom(int n, int k, const double* lo, const double* hi, GeomModel model, const double* x) {
    if (lo == nullptr || hi == nullptr || model == nullptr || x == nullptr) return kNotFound;
    if (n < 1 || n > sm::kVariables) return kNotFound;
    if (k < 0 || k >= sm::kStatorSets) return kNotFound;
    // The set list ends with a NULL: a rotor model has no set 18.
    for (int s = 0; s <= k; ++s)
        if (model[s] == nullptr) return kNotFound;
    double z[sm::kVariables];
    for (int i = 0; i < n; ++i) {
        if (hi[i] == lo[i]) return kNotFound;
        z[i] = (2.0 * x[i] - lo[i] - hi[i]) / (hi[i] - lo[i]);
    }
    double** const M = model[k];
    double y = M[0][0];
    for (int i = 1; i <= n; ++i) y += (M[i][i] * z[i - 1] + M[0][i]) * z[i - 1];
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) y += M[i][j] * z[i - 1] * z[j - 1];
    return y;
}

}  // extern "C"
