// Writes the sample profile atlases of the installation: for a stator and a
// rotor family the contour file (PDatlas?.atl) and the stagger-table file
// (PDatlas?.att), through the library's own atlas writers.
//
// The profiles are plausible, not measured: a circular-arc camber line with
// the NACA four-digit thickness, and a stagger that follows the camber-line
// outlet angle plus a deviation growing with the square root of the pitch
// ratio.
//
// Usage: h2_sample_atlas <output directory>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "blades/atlas.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kSteps = 100;  // cosine-spaced stations s_k, k = 0..100, on each side

struct Profile {
    const char* name;
    double camber;  // degrees
};

struct Family {
    const char* file;  // without extension
    const char* kind;
    double thickness;  // maximum thickness / chord
    double chord;      // m
    std::vector<Profile> profiles;
};

// NACA four-digit half thickness at s (0 at the inlet edge, 1 at the outlet
// edge), chord 1; it leaves the outlet edge open by 2 * 0.0105 t.
double half_thickness(double t, double s) {
    return 5.0 * t *
           (0.2969 * std::sqrt(s) - 0.1260 * s - 0.3516 * s * s + 0.2843 * s * s * s -
            0.1015 * s * s * s * s);
}

// Closed contour, chord 1: the camber line is a circular arc from the outlet
// edge (0, 0) to the inlet edge (1, 0) bulging to +y, turning the flow by the
// camber angle; s is the fraction of the arc from the inlet edge and the
// thickness is laid on the arc's normals (its radii). The +y side runs from
// the outlet edge to the inlet edge (101 stations), the -y side back from the
// first station after the inlet edge to the last before the outlet edge, so
// the closing segment crosses the blunt outlet edge: 200 points, clockwise.
std::vector<Point3> contour(double camber_deg, double t) {
    const double theta = camber_deg * kPi / 180.0;
    const double R = 0.5 / std::sin(theta / 2.0);
    const double xc = 0.5, yc = -R * std::cos(theta / 2.0);
    const double inlet = kPi / 2.0 - theta / 2.0;  // polar angle of (1, 0) about the centre
    const auto station = [&](int k, double sign) {
        const double s = (1.0 - std::cos(kPi * k / kSteps)) / 2.0;
        const double phi = inlet + s * theta;
        const double r = R + sign * half_thickness(t, s);
        return Point3{xc + r * std::cos(phi), yc + r * std::sin(phi), 0.0};
    };
    std::vector<Point3> pts;
    for (int k = kSteps; k >= 0; --k) pts.push_back(station(k, +1.0));
    for (int k = 1; k < kSteps; ++k) pts.push_back(station(k, -1.0));
    return pts;
}

std::string read_text(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool write_text(const std::filesystem::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string family_comment(const Family& f, const char* what) {
    std::ostringstream c;
    c << "# Sample " << f.kind << " profile atlas (" << what << "): profiles";
    for (const Profile& p : f.profiles) c << ' ' << p.name;
    c << ".\n"
      << "# A plausible sample for trying the atlas look-ups, NOT measured cascade data.\n"
      << "# Family: circular-arc camber line of camber angle theta (the number in the name, degrees),\n"
      << "# NACA four-digit thickness t = " << f.thickness << " of the chord laid on the camber normals,\n"
      << "# chord " << f.chord << " m.\n";
    return c.str();
}

// Contours, chord 1, one point block per profile.
bool write_contours(const Family& f, Atlas* atlas, const std::filesystem::path& dir) {
    for (const Profile& p : f.profiles) {
        const std::vector<Point3> pts = contour(p.camber, f.thickness);
        if (atlas_add(atlas, static_cast<int>(pts.size()), pts.data(), p.name) < 0) return false;
    }
    const std::filesystem::path tmp = dir / (std::string(f.file) + ".atl.tmp");
    if (atlas_save(atlas, tmp.c_str()) != 0) return false;
    std::string text =
        family_comment(f, "contours") +
        "# Points from the outlet edge along the +y side to the inlet edge and back, clockwise;\n"
        "# the thickness is taken along the camber arc, s = (1 - cos(pi k / 100)) / 2.\n\n" +
        read_text(tmp);
    std::filesystem::remove(tmp);
    return write_text(dir / (std::string(f.file) + ".atl"), text);
}

// Stagger tables over the outlet angle B2 and the pitch ratio t/b.
bool write_tables(const Family& f, Atlas* atlas, const std::filesystem::path& dir) {
    const std::vector<double> B2 = {10, 15, 20, 25, 30, 35, 40};
    const std::vector<double> tb = {0.5, 0.6, 0.7, 0.8, 0.9, 1.0};
    const int nB2 = static_cast<int>(B2.size()), ntb = static_cast<int>(tb.size());
    const std::filesystem::path tmp = dir / (std::string(f.file) + ".att.tmp");
    std::filesystem::remove(tmp);
    for (int k = 0; k < static_cast<int>(f.profiles.size()); ++k) {
        const double theta = f.profiles[static_cast<std::size_t>(k)].camber;
        std::vector<double> Byct(static_cast<std::size_t>(nB2 * ntb));
        for (int i = 0; i < nB2; ++i)
            for (int j = 0; j < ntb; ++j)
                Byct[static_cast<std::size_t>(i + j * nB2)] =
                    90.0 - theta / 2.0 - B2[static_cast<std::size_t>(i)] +
                    0.19 * theta * std::sqrt(tb[static_cast<std::size_t>(j)]);
        // The outlet-edge radius is the half thickness there: 1.05 t percent of the chord.
        const double r2 = 1.05 * f.thickness / 100.0;
        if (atlas_set_table(atlas, k, nB2, ntb, B2.data(), tb.data(), Byct.data(), 90.0 - theta / 2.0, r2,
                            f.chord) != 0)
            return false;
        if (atlas_save_tables(atlas, k, atlas->names[k], tmp.c_str(), "at") != 0) return false;
    }
    // The table writer leaves the chord out; the sample gives it as the third
    // header value of every profile.
    std::string body = read_text(tmp);
    std::filesystem::remove(tmp);
    const std::string mark = " # B1g_org r2_%";
    std::size_t at = 0;
    for (std::size_t k = 0; k < f.profiles.size(); ++k) {
        at = body.find(mark, at);
        if (at == std::string::npos) return false;
        std::ostringstream chord;
        chord << ' ' << f.chord << " # B1g_org r2_% chord";
        body.replace(at, mark.size(), chord.str());
        at += chord.str().size();
    }
    const std::string text =
        family_comment(f, "stagger tables") +
        "# Byct = 90 - theta/2 - B2 + 0.19 theta sqrt(t/b): the camber-line outlet angle plus a\n"
        "# deviation growing with sqrt(t/b); B1g_org = 90 - theta/2; r2_ = 1.05 t percent (the open\n"
        "# outlet edge); the third header value is the chord in m.\n\n" +
        body;
    return write_text(dir / (std::string(f.file) + ".att"), text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::vector<Family> families = {
        {"PDatlasS", "stator", 0.20, 0.05, {{"S60", 60}, {"S70", 70}, {"S80", 80}}},
        {"PDatlasR", "rotor", 0.15, 0.04, {{"R90", 90}, {"R110", 110}, {"R130", 130}}},
    };
    for (const Family& f : families) {
        Atlas* atlas = atlas_create(static_cast<int>(f.profiles.size()), f.file);
        const bool ok = atlas != nullptr && write_contours(f, atlas, dir) && write_tables(f, atlas, dir);
        atlas_free(atlas);
        if (!ok) {
            std::fprintf(stderr, "%s: cannot write %s in %s\n", argv[0], f.file, dir.c_str());
            return 1;
        }
    }
    return 0;
}
