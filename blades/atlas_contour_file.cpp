// The contour atlas file: blocks of a header ("count name") and count data
// lines, read as the nodes of a closed arc-and-line chain when there are fewer
// than 21 of them and as contour points otherwise. A node chain is laid into
// 300 points at load time. The line reader here serves the table file too.
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "blades/atlas.h"
#include "case/file_handle.h"
#include "case/text_field.h"
#include "halvorine2/atlas.h"

namespace h2 {
namespace {

constexpr int kFirstPointBlock = 21;  // fewer data lines are a node chain
constexpr double kStraight = 1e-6;    // radius up to which an element is a segment
constexpr double kNoRadius = 1e-8;    // radius a leading-edge node must exceed
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

// Points laid on a node chain: head (two shares), leading edge, after the
// leading edge, closing element.
constexpr int kHeadA = 60, kHeadB = 90, kLE = 20, kAfterLE = 120, kLast = 10;

// A block header "%d %s": the line count and the name ("-" when it is missing).
void parse_header(const char* line, int* k, char (&name)[ATLAS_NAME_SIZE]) {
    *k = 0;
    if (std::sscanf(line, "%d %79s", k, name) < 2) copy_text(name, "-");
}

// One element of the chain: the node i to the next (the last to node 0).
struct Element {
    bool arc;
    double a0, sweep, length;
};

double angle_0_2pi(double y, double x) {
    const double a = std::atan2(y, x);
    return a < 0.0 ? a + kTwoPi : a;
}

Element chain_element(const ContourNode* nodes, int k, int i) {
    const ContourNode& p = nodes[i];
    const ContourNode& q = nodes[(i + 1) % k];
    if (p.r <= kStraight) return {false, 0.0, 0.0, std::hypot(q.x - p.x, q.y - p.y)};
    const double a0 = angle_0_2pi(p.y - p.yc, p.x - p.xc);
    const double a1 = angle_0_2pi(q.y - p.yc, q.x - p.xc);
    double d = a1 - a0;
    if (d > kPi) d -= kTwoPi;
    return {true, a0, d, std::fabs(d * p.r)};
}

// Spreads n points over elements first..last by length: each gets the whole
// part of its share, the group's last element the remainder; a group of no
// length is split evenly.
void spread_by_length(const std::vector<Element>& el, int first, int last, int n,
                      std::vector<long long>* counts) {
    if (first > last) return;
    double total = 0.0;
    for (int i = first; i <= last; ++i) total += el[i].length;
    long long given = 0;
    for (int i = first; i < last; ++i) {
        long long m;
        if (n == 0) {
            m = 0;
        } else if (total > 0.0) {
            m = static_cast<long long>(std::floor(el[i].length / (total / n)));
        } else {
            m = n / (last - first + 1);
        }
        m = std::min<long long>(m, n - given);
        (*counts)[i] += m;
        given += m;
    }
    (*counts)[last] += n - given;
}

// A coordinate beyond the single-precision range reads as an infinity; a node
// chain through it has an element of infinite length, and spreading points by
// length would turn NaN into a point count.
bool finite_node(const ContourNode& n) {
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.xc) && std::isfinite(n.yc) &&
           std::isfinite(n.r);
}
bool finite_point(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// An invalid chain, a stray stop or a full atlas ends loading; whether the
// result is an error is decided by the caller.
enum class Block { added, refused, truncated };

Block load_block(std::FILE* f, Atlas* a, char* line) {
    int k;
    char name[ATLAS_NAME_SIZE];
    parse_header(line, &k, name);
    if (k < kFirstPointBlock) {
        std::vector<ContourNode> nodes;
        for (int i = 0; i < k; ++i) {
            if (atlas_read_line(f, line) != 0) return Block::truncated;
            float v[5] = {0, 0, 0, 0, 0};
            std::sscanf(line, "%f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4]);
            nodes.push_back({v[0], v[1], v[2], v[3], v[4]});
            if (!finite_node(nodes.back())) return Block::refused;
        }
        if (atlas_set_records(a, static_cast<int>(nodes.size()), nodes.data()) < 0) return Block::refused;
        // The leading-edge element starts at the node of least radius.
        int iLE = 0;
        double least = 0.0;
        for (int i = 0; i + 1 < k; ++i) {
            if (std::fabs(nodes[i].r) > kNoRadius && (least == 0.0 || nodes[i].r < least)) {
                least = nodes[i].r;
                iLE = i;
            }
        }
        Point3* pts = contour_from_nodes(nodes.data(), k, iLE, k - 1, kHeadA, kHeadB, kLE, kAfterLE, kLast);
        if (pts == nullptr) return Block::refused;
        const int n = atlas_add(a, kHeadA + kHeadB + kLE + kAfterLE + kLast, pts, name);
        std::free(pts);
        return n < 0 ? Block::refused : Block::added;
    }
    // The count only says how many lines to expect; the points are gathered
    // as they come, so a count larger than the file costs nothing up front.
    std::vector<Point3> pts;
    for (int i = 0; i < k; ++i) {
        if (atlas_read_line(f, line) != 0) return Block::truncated;
        float v[3] = {0, 0, 0};
        std::sscanf(line, "%f %f %f", &v[0], &v[1], &v[2]);
        pts.push_back({v[0], v[1], v[2]});
        if (!finite_point(pts.back())) return Block::refused;
    }
    return atlas_add(a, k, pts.data(), name) < 0 ? Block::refused : Block::added;
}

Point3* lay_chain(const ContourNode* nodes, int k, int iLE, int iLast, int nHeadA, int nHeadB, int nLE,
                  int nAfterLE, int nLast, long long total) {
    std::vector<Element> el;
    for (int i = 0; i < k; ++i) {
        el.push_back(chain_element(nodes, k, i));
        if (!std::isfinite(el.back().length) || !std::isfinite(el.back().a0)) return nullptr;
    }

    // Head: the elements before the leading edge; after: those between it and
    // the closing element. A side without elements hands its share to the
    // other side, and to the leading edge when both are empty, so that every
    // point lies on the chain.
    long long head = 0LL + nHeadA + nHeadB, after = nAfterLE;
    const bool no_head = iLE == 0, no_after = iLE + 1 > iLast - 1;
    std::vector<long long> counts(static_cast<std::size_t>(k), 0);
    if (no_head && no_after) {
        counts[iLE] += head + after;
        head = after = 0;
    } else if (no_head) {
        after += head;
        head = 0;
    } else if (no_after) {
        head += after;
        after = 0;
    }
    spread_by_length(el, 0, iLE - 1, static_cast<int>(head), &counts);
    spread_by_length(el, iLE + 1, iLast - 1, static_cast<int>(after), &counts);
    counts[iLE] += nLE;
    counts[iLast] += nLast;

    auto* out = static_cast<Point3*>(atlas_alloc(static_cast<std::size_t>(total), sizeof(Point3)));
    if (out == nullptr) return nullptr;
    long long at = 0;
    for (int i = 0; i <= iLast; ++i) {
        const ContourNode& p = nodes[i];
        const ContourNode& q = nodes[(i + 1) % k];
        const long long m = counts[i];
        for (long long j = 0; j < m; ++j) {
            const double t = static_cast<double>(j) / static_cast<double>(m);
            if (el[i].arc) {
                const double a = el[i].a0 + t * el[i].sweep;
                out[at++] = Point3{p.xc + p.r * std::cos(a), p.yc + p.r * std::sin(a), 0.0};
            } else {
                out[at++] = Point3{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), 0.0};
            }
        }
    }
    return out;
}

}  // namespace

int atlas_file_names(const char* file, std::vector<std::string>* names, bool* opened) {
    File f(file ? std::fopen(file, "r") : nullptr);
    *opened = f != nullptr;
    if (!f) return 0;
    char line[ATLAS_LINE_SIZE];
    while (atlas_read_line(f.get(), line) == 0) {
        int k;
        char name[ATLAS_NAME_SIZE];
        parse_header(line, &k, name);
        for (int i = 0; i < k; ++i)
            if (atlas_read_line(f.get(), line) != 0) return -1;
        names->push_back(name);
    }
    return static_cast<int>(names->size());
}

void join_names(const std::vector<std::string>& names, bool lead, char* buf) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (lead || i > 0) text += ' ';
        text += names[i];
    }
    std::memcpy(buf, text.c_str(), text.size() + 1);
}

}  // namespace h2

extern "C" {

int atlas_line_class(const char* line) {
    const char* p = line + std::strspn(line, " \t\r\n");
    if (*p == '\0') return 1;
    return *p == '#' ? 2 : 0;
}

int atlas_read_line(std::FILE* f, char* buf) {
    while (std::fgets(buf, ATLAS_LINE_SIZE, f) != nullptr) {
        if (atlas_line_class(buf) != 0) continue;
        buf[std::strcspn(buf, "#\r\n")] = '\0';
        return 0;
    }
    return -1;
}

Point3* contour_from_nodes(const ContourNode* nodes, int k, int iLE, int iLast, int nHeadA, int nHeadB,
                           int nLE, int nAfterLE, int nLast) {
    if (nodes == nullptr || k < 2 || iLast != k - 1 || iLE < 0 || iLE >= iLast) return nullptr;
    if (nHeadA < 0 || nHeadB < 0 || nLE < 0 || nAfterLE < 0 || nLast < 0) return nullptr;
    for (int i = 0; i < k; ++i)
        if (!h2::finite_node(nodes[i])) return nullptr;
    const long long total = 0LL + nHeadA + nHeadB + nLE + nAfterLE + nLast;
    if (total > INT_MAX) return nullptr;

    try {
        return h2::lay_chain(nodes, k, iLE, iLast, nHeadA, nHeadB, nLE, nAfterLE, nLast, total);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int atlas_load(Atlas* a, const char* file) {
    if (a == nullptr) return 0;
    h2::File f(file ? std::fopen(file, "r") : nullptr);
    if (!f) return 0;
    char line[ATLAS_LINE_SIZE];
    while (a->count < a->capacity && atlas_read_line(f.get(), line) == 0) {
        h2::Block b;
        try {
            b = h2::load_block(f.get(), a, line);
        } catch (const std::bad_alloc&) {
            b = h2::Block::refused;  // as when the atlas cannot take the entry
        }
        if (b == h2::Block::truncated) return -1;
        if (b == h2::Block::refused) break;
    }
    a->type = 0;
    return 0;
}

int atlas_save(const Atlas* a, const char* file) {
    if (a == nullptr || file == nullptr) return -1;
    h2::File f(std::fopen(file, "w"));
    if (!f) return -1;
    for (int i = 0; i < a->count; ++i) {
        if (a->nnodes[i] > 0 && a->nodes[i] != nullptr) {
            std::fprintf(f.get(), "%4d %s\n\n", a->nnodes[i], a->names[i]);
            for (int j = 0; j < a->nnodes[i]; ++j) {
                const ContourNode& n = a->nodes[i][j];
                std::fprintf(f.get(), "%12g %12g %12g %12g %12g # %4d\n", n.x, n.y, n.xc, n.yc, n.r, j);
            }
        } else if (a->npoints[i] > 0 && a->points[i] != nullptr) {
            std::fprintf(f.get(), "%4d %s\n\n", a->npoints[i], a->names[i]);
            for (int j = 0; j < a->npoints[i]; ++j) {
                const Point3& p = a->points[i][j];
                std::fprintf(f.get(), "%12g %12g %12g # %4d\n", p.x, p.y, p.z, j);
            }
        }
        std::fputc('\n', f.get());
    }
    return 0;
}

int EnumAtl(const char* file, char* buf) {
    if (file == nullptr || buf == nullptr) return 0;
    try {
        std::vector<std::string> names;
        bool opened;
        const int n = h2::atlas_file_names(file, &names, &opened);
        if (opened) h2::join_names(names, false, buf);
        return n;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
