#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "halvorine2/halvorine2.h"
#include "tools/cli/results.h"

namespace h2cli {

namespace {

// Keys written per element ([ns + 1]) and per element and streamline
// ([ns + 1][nr]): what a host needs to draw the flow path, its h-s diagram
// and its velocity triangles.
constexpr const char* kElementKeys[] = {
    "elem__stagType", "elem__p0", "elem__i0",  "elem__T0",   "elem__p2", "elem__G1", "elem__G2", "elem__Gmax",
    "elem__Ns",       "elem__H",  "elem__eff", "elem__effx", "bld__wp",  "bld__z",   "bld__d1",  "bld__l1",
    "bld__d2",        "bld__l2",  "bld__Rh1",  "bld__Rt1",   "bld__Rh2", "bld__Rt2",
};
constexpr const char* kStationKeys[] = {
    "isd__p1",   "isd__p1x",  "isd__i1",  "isd__s1",   "isd__p2",  "isd__p2x", "isd__i2",   "isd__i2x",
    "isd__s2",   "isd__T2",   "isd__Ro2", "flow__r1",  "flow__r2", "cas__x2",  "flow__u1",  "flow__c1",
    "flow__c1z", "flow__c1u", "flow__w1", "flow__w1u", "flow__u2", "flow__c2", "flow__c2z", "flow__c2u",
    "flow__w2",  "flow__w2u", "cas__B1",  "cas__B2",   "cas__B1g", "cas__B2a", "cas__b",
};
constexpr const char* kScalarKeys[] = {
    "cyld__G",    "cyld__Gout", "cyld__Gv",   "cyld__Nc",       "cyld__H0",    "cyld__H0x",
    "cyld__eff",  "cyld__effx", "cyld__effp", "cyld__effD",     "cyld__effDx", "cyld__p2n",
    "cyld__p2nx", "cyld__pil",  "cyld__pir",  "cyld__pirTotal", "cyld__prs",   "cyld__prt",
    "cyld__uCo",  "cyld__cz_",  "cyld__RAL",  "cyld__RAD",      "cyld__R",     "cyld__k",
};

// What the completion hook saw of the run's working copy.
struct Heads {
    bool seen = false;
    double H0 = 0.0, H0x = 0.0;
};
Heads g_heads;

void keep_heads(bdLocals* b, uintptr_t) { g_heads = {true, b->cyld_H0, b->cyld_H0x}; }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// JSON has no NaN or infinity: null stands for them. %.17g reads back to
// the same double.
void number(std::FILE* f, double v) {
    if (std::isfinite(v))
        std::fprintf(f, "%.17g", v);
    else
        std::fputs("null", f);
}

void text(std::FILE* f, const std::string& s) {
    std::fputc('"', f);
    for (unsigned char ch : s) {
        if (ch == '"' || ch == '\\')
            std::fprintf(f, "\\%c", ch);
        else if (ch < 0x20)
            std::fprintf(f, "\\u%04x", ch);
        else
            std::fputc(ch, f);
    }
    std::fputc('"', f);
}

}  // namespace

void watch_run(bdLocals* b) {
    g_heads = {};
    b->result_hook = keep_heads;
}

double result_value(const char* key) {
    if (g_heads.seen && std::strcmp(key, "cyld__H0") == 0) return g_heads.H0;
    if (g_heads.seen && std::strcmp(key, "cyld__H0x") == 0) return g_heads.H0x;
    return get_double_par0(key);
}

bool write_json(const std::string& path, const std::string& case_file, int result) {
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "w"));
    if (!out) return false;
    std::FILE* f = out.get();
    const int ns = get_int_par("cyld__ns"), nr = get_int_par("cyld__nr");
    const Headline h = headline();
    std::fputs("{\n  \"case\": ", f);
    text(f, case_file);
    std::fprintf(f, ",\n  \"version\": \"%s\",\n  \"result\": %d,\n  \"result_meaning\": ",
                 HALVORINE2_VERSION_STRING, result);
    text(f, result_meaning(result));
    std::fprintf(f, ",\n  \"machine\": \"%s\",\n", h.expanding ? "turbine" : "compressor");
    std::fprintf(f,
                 "  \"cyld__ns\": %d,\n  \"cyld__nr\": %d,\n  \"cyld__VART\": %d,\n  \"cyld__fluid\": %d,\n",
                 ns, nr, get_int_par("cyld__VART"), get_int_par("cyld__fluid"));
    for (const char* key : kScalarKeys) {
        std::fprintf(f, "  \"%s\": ", key);
        number(f, result_value(key));
        std::fputs(",\n", f);
    }
    // The report's headline ratios have no key: named as the report prints them.
    std::fputs("  \"pi\": ", f);
    number(f, h.pi);
    std::fputs(",\n  \"pix\": ", f);
    number(f, h.pix);
    std::fputs(",\n  \"speed_rpm\": ", f);
    number(f, h.speed * 60.0 / (2.0 * 3.14159265358979323846));
    std::fputs(",\n  \"elements\": {", f);
    bool first = true;
    for (const char* key : kElementKeys) {
        if (get_double_ptr1(key) == nullptr) continue;
        std::fprintf(f, "%s\n    \"%s\": [", first ? "" : ",", key);
        first = false;
        for (int i = 0; i <= ns; ++i) {
            if (i > 0) std::fputs(", ", f);
            number(f, get_double_par1(key, i));
        }
        std::fputc(']', f);
    }
    std::fputs("\n  },\n  \"stations\": {", f);
    first = true;
    for (const char* key : kStationKeys) {
        if (get_double_ptr2(key) == nullptr) continue;
        std::fprintf(f, "%s\n    \"%s\": [", first ? "" : ",", key);
        first = false;
        for (int i = 0; i <= ns; ++i) {
            std::fputs(i > 0 ? ", [" : "[", f);
            for (int j = 0; j < nr; ++j) {
                if (j > 0) std::fputs(", ", f);
                number(f, get_double_par2(key, i, j));
            }
            std::fputc(']', f);
        }
        std::fputc(']', f);
    }
    std::fputs("\n  }\n}\n", f);
    return std::ferror(f) == 0 && std::fclose(out.release()) == 0;
}

}  // namespace h2cli
