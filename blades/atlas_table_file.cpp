// The atlas table file, the bilinear stagger look-ups and the text reports.
// A table block: "name nB2 ntb", then B1g_org, the outlet-edge radius in
// percent of the chord and the chord, the B2 grid, the tb grid and nB2 lines
// of ntb staggers. Numbers are separated by blanks, commas or tabs.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "blades/atlas.h"
#include "case/file_handle.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "halvorine2/atlas.h"
#include "numerics/one_dim.h"

namespace h2 {
namespace {

// A grid line of 2,000 characters holds at most this many numbers; a larger
// declared size can only be a broken header, and is never allocated.
constexpr int kMaxGrid = ATLAS_LINE_SIZE / 2;

// At most n numbers of a line, as atof reads them; missing ones are 0.
std::vector<double> numbers(char* line, int n) {
    std::vector<double> v(static_cast<std::size_t>(n), 0.0);
    char* save = nullptr;
    int i = 0;
    for (char* tok = strtok_r(line, " ,\t", &save); tok != nullptr && i < n;
         tok = strtok_r(nullptr, " ,\t", &save))
        v[static_cast<std::size_t>(i++)] = std::atof(tok);
    return v;
}

struct Header {
    char name[ATLAS_NAME_SIZE];
    int nB2, ntb;
};

bool parse_header(const char* line, Header* h) {
    int used = 0;
    if (std::sscanf(line, " %79s%n", h->name, &used) != 1) return false;
    // The sizes follow the whole name, even one longer than is kept.
    const char* rest = line + used;
    rest += std::strcspn(rest, " \t\v\f");
    return std::sscanf(rest, "%d %d", &h->nB2, &h->ntb) == 2 && h->nB2 >= 1 && h->ntb >= 1 &&
           h->nB2 <= kMaxGrid && h->ntb <= kMaxGrid;
}

// One block into entry k; 0 or the reader's error code.
int load_table_block(std::FILE* f, Atlas* a, int k, char* line) {
    Header h;
    if (!parse_header(line, &h)) return -1;
    if (atlas_read_line(f, line) != 0) return -2;
    const std::vector<double> head = numbers(line, 3);
    if (atlas_read_line(f, line) != 0) return -3;
    const std::vector<double> B2 = numbers(line, h.nB2);
    if (atlas_read_line(f, line) != 0) return -4;
    const std::vector<double> tb = numbers(line, h.ntb);
    std::vector<double> table(static_cast<std::size_t>(h.nB2) * static_cast<std::size_t>(h.ntb));
    for (int i = 0; i < h.nB2; ++i) {
        if (atlas_read_line(f, line) != 0) return -5;
        const std::vector<double> row = numbers(line, h.ntb);
        for (int j = 0; j < h.ntb; ++j)
            table[static_cast<std::size_t>(i + j * h.nB2)] = row[static_cast<std::size_t>(j)];
    }
    if (atlas_set_table(a, k, h.nB2, h.ntb, B2.data(), tb.data(), table.data(), head[0], head[1] / 100.0,
                        head[2]) != 0)
        return -6;
    copy_text(a->names[k], ATLAS_NAME_SIZE, h.name);
    return 0;
}

void write_table(std::FILE* f, const Atlas* a, int k, const char* name) {
    const int nB2 = a->nB2[k], ntb = a->ntb[k];
    std::fprintf(f, "%s %d %d # name nB2 ntb\n\n", name, nB2, ntb);
    std::fprintf(f, "%g %g # B1g_org r2_%%\n\n", a->B1g_org[k], a->r2_[k] * 100.0);
    for (int i = 0; i < nB2; ++i) std::fprintf(f, "%12g ", a->B2[k][i]);
    std::fprintf(f, "  # B2\n\n");
    for (int j = 0; j < ntb; ++j) std::fprintf(f, "%12g ", a->tb[k][j]);
    std::fprintf(f, "  # tb \n\n");
    std::fprintf(f, "# Byct\n");
    for (int i = 0; i < nB2; ++i) {
        for (int j = 0; j < ntb; ++j) std::fprintf(f, "%12g ", a->Byct[k][i + j * nB2]);
        std::fprintf(f, "  # %12f\n", a->B2[k][i]);
    }
    std::fprintf(f, "\n");
}

bool file_lists(const std::vector<std::string>& names, const char* name) {
    for (const std::string& listed : names) {
        std::string text = listed;
        char* save = nullptr;
        for (char* tok = strtok_r(text.data(), " ,\t", &save); tok != nullptr;
             tok = strtok_r(nullptr, " ,\t", &save))
            if (std::strcmp(tok, name) == 0) return true;
    }
    return false;
}

}  // namespace

bool atlas_has_table(const Atlas* a, int k) {
    return a != nullptr && k >= 0 && k < a->count && a->Byct[k] != nullptr && a->tb[k] != nullptr &&
           a->B2[k] != nullptr && a->ntb[k] >= 1 && a->nB2[k] >= 1;
}

int atlas_table_file_names(const char* file, std::vector<std::string>* names, bool* opened) {
    File f(file ? std::fopen(file, "r") : nullptr);
    *opened = f != nullptr;
    if (!f) return 0;
    char line[ATLAS_LINE_SIZE];
    while (atlas_read_line(f.get(), line) == 0) {
        Header h;
        if (!parse_header(line, &h)) return -1;
        for (int code : {-1, -2, -3})
            if (atlas_read_line(f.get(), line) != 0) return code;
        for (int i = 0; i < h.nB2; ++i)
            if (atlas_read_line(f.get(), line) != 0) return -4;
        names->push_back(h.name);
    }
    return static_cast<int>(names->size());
}

}  // namespace h2

extern "C" {

int atlas_load_tables(Atlas* a, const char* file) {
    if (a == nullptr) return -1;
    h2::File f(file ? std::fopen(file, "r") : nullptr);
    if (!f) return 0;
    char line[ATLAS_LINE_SIZE];
    int n = 0;
    while (n < a->capacity && atlas_read_line(f.get(), line) == 0) {
        int rc;
        try {
            rc = h2::load_table_block(f.get(), a, n, line);
        } catch (const std::bad_alloc&) {
            rc = -6;
        }
        if (rc != 0) return rc;
        ++n;
    }
    a->count = n;
    a->type = 1;
    return 0;
}

int atlas_save_tables(const Atlas* a, int k, const char* name, const char* file, const char* mode) {
    if (!h2::atlas_has_table(a, k)) return -1;
    if (name == nullptr) name = a->names[k];
    if (file == nullptr) {
        h2::write_table(h2::console_stream(), a, k, name);
        return 0;
    }
    bool append;
    try {
        std::vector<std::string> listed;
        bool opened;
        h2::atlas_table_file_names(file, &listed, &opened);
        if (h2::file_lists(listed, name)) return 1;
        append = !listed.empty() && mode != nullptr && mode[0] == 'a';
    } catch (const std::bad_alloc&) {
        return -1;
    }
    h2::File f(std::fopen(file, append ? "a" : "w"));
    if (!f) {
        std::fprintf(h2::console_stream(), "Can't open %s\n", file);
        return -1;
    }
    h2::write_table(f.get(), a, k, name);
    return 0;
}

double atlas_stagger(const Atlas* a, double tb, double B2, int k) {
    if (!h2::atlas_has_table(a, k)) return h2::kAtlasNotFound;
    if (B2 > 90.0) B2 = 180.0 - B2;
    return h2::interp2(a->ntb[k], a->nB2[k], a->tb[k], a->B2[k], a->Byct[k], tb, B2);
}

double atlas_shift(const Atlas* a, double x, int k) {
    if (a == nullptr || k < 0 || k >= a->count) return h2::kAtlasNotFound;
    return x + a->B1g_org[k];
}

double atlas_inlet_angle(const Atlas* a, double tb, double B2, int k) {
    const double stagger = atlas_stagger(a, tb, B2, k);
    return stagger > 1e19 ? h2::kAtlasNotFound : stagger + a->B1g_org[k];
}

int atlas_save_chart(const Atlas* a, int k, const char* file) {
    if (file == nullptr || !h2::atlas_has_table(a, k)) return 1;
    h2::File f(std::fopen(file, "w"));
    if (!f) return 1;
    const int nB2 = a->nB2[k], ntb = a->ntb[k];
    std::fprintf(f.get(), "-30\n");
    for (int i = 0; i < nB2; ++i) {
        std::fprintf(f.get(), "\n%d %s%-g\n", ntb, "tb By B2 B2=", a->B2[k][i]);
        for (int j = 0; j < ntb; ++j)
            std::fprintf(f.get(), "%12g %12g %12g\n", a->tb[k][j], a->B2[k][i], a->Byct[k][i + j * nB2]);
    }
    return 0;
}

int atlas_report(const Atlas* a, int full) {
    if (a == nullptr) return -1;
    std::FILE* out = h2::console_stream();
    std::fprintf(out, "\n# Atlas \"%s\" %s report\n", a->name, full ? "full" : "short");
    std::fprintf(out, "\n# nprof=%d (of %d allowed) type=%d\n\n", a->count, a->capacity, a->type);
    for (int i = 0; i < a->count; ++i) {
        std::fprintf(out, "\n# i=%-4d nn=%-4d name=\"%-s\"\n", i, a->npoints[i], a->names[i]);
        if (!full) continue;
        // Type 2 holds contours and tables alike and shows both.
        if (a->type != 1) {
            std::fprintf(out, "\n");
            for (int j = 0; j < a->npoints[i]; ++j) {
                const Point3& p = a->points[i][j];
                std::fprintf(out, "# %4d  %12g %12g %12g\n", j, p.x, p.y, p.z);
            }
            std::fprintf(out, "\n");
        }
        if (a->type != 0 && h2::atlas_has_table(a, i)) {
            const int nB2 = a->nB2[i], ntb = a->ntb[i];
            std::fprintf(out, "# B1g_org = %g r2_ = %g\n", a->B1g_org[i], a->r2_[i]);
            for (int j = 0; j < ntb; ++j) std::fprintf(out, "%12g ", a->tb[i][j]);
            std::fprintf(out, "\n");
            for (int r = 0; r < nB2; ++r) std::fprintf(out, "%12g ", a->B2[i][r]);
            std::fprintf(out, "\n");
            for (int r = 0; r < nB2; ++r) {
                for (int j = 0; j < ntb; ++j) std::fprintf(out, "%12g ", a->Byct[i][r + j * nB2]);
                std::fprintf(out, "\n");
            }
        }
    }
    std::fprintf(out, "\n# End report!\n\n");
    return 0;
}

int atlas_names(const Atlas* a, char* buf) {
    if (buf == nullptr) return 0;
    buf[0] = '\0';
    try {
        std::vector<std::string> names;
        if (a != nullptr)
            for (int i = 0; i < a->count; ++i) names.push_back(a->names[i]);
        h2::join_names(names, false, buf);
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

int EnumAtt(const char* file, char* buf) {
    if (file == nullptr || buf == nullptr) return 0;
    try {
        std::vector<std::string> names;
        bool opened;
        const int n = h2::atlas_table_file_names(file, &names, &opened);
        if (opened) h2::join_names(names, true, buf);
        return n;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
