// The atlas container: creation and release, entries appended by name, the
// node list that waits in the next slot, contour replacement and the stagger
// table of an entry.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "blades/atlas.h"
#include "case/text_field.h"

namespace h2 {
namespace {

thread_local int allocations_before_failure = -1;

bool valid_entry(const Atlas* a, int i) { return a != nullptr && i >= 0 && i < a->count; }

// Releases what slot i owns and leaves it empty.
void release_slot(Atlas* a, int i) {
    a->names[i][0] = '\0';
    std::free(a->points[i]);
    a->points[i] = nullptr;
    a->npoints[i] = 0;
    std::free(a->nodes[i]);
    a->nodes[i] = nullptr;
    a->nnodes[i] = 0;
    std::free(a->tb[i]);
    std::free(a->B2[i]);
    std::free(a->Byct[i]);
    a->tb[i] = a->B2[i] = a->Byct[i] = nullptr;
    a->ntb[i] = a->nB2[i] = 0;
    a->B1g_org[i] = a->r2_[i] = a->chord[i] = 0.0;
}

// Copy of n points; an empty list is no list. false when it cannot be made.
bool copy_points(int n, const Point3* pts, Point3** out) {
    *out = nullptr;
    if (n < 0 || (n > 0 && pts == nullptr)) return false;
    if (n == 0) return true;
    *out = static_cast<Point3*>(atlas_alloc(static_cast<std::size_t>(n), sizeof(Point3)));
    if (*out == nullptr) return false;
    std::memcpy(*out, pts, static_cast<std::size_t>(n) * sizeof(Point3));
    return true;
}

double* copy_doubles(std::size_t n, const double* values) {
    auto* out = static_cast<double*>(atlas_alloc(n, sizeof(double)));
    if (out != nullptr) std::memcpy(out, values, n * sizeof(double));
    return out;
}

}  // namespace

void* atlas_alloc(std::size_t count, std::size_t size) {
    if (allocations_before_failure == 0) {
        allocations_before_failure = -1;
        return nullptr;
    }
    if (allocations_before_failure > 0) --allocations_before_failure;
    return std::calloc(count == 0 ? 1 : count, size);
}

}  // namespace h2

using h2::atlas_alloc;

extern "C" {

void atlas_fail_allocation_after(int n) { h2::allocations_before_failure = n < 0 ? -1 : n; }

Atlas* atlas_create(int cap, const char* name) {
    if (cap < 1) return nullptr;
    const int capacity = std::min(cap, static_cast<int>(ATLAS_MAX_PROFILES));
    const auto n = static_cast<std::size_t>(capacity);
    auto* a = static_cast<Atlas*>(atlas_alloc(1, sizeof(Atlas)));
    if (a == nullptr) return nullptr;
    a->names = static_cast<char**>(atlas_alloc(n, sizeof(char*)));
    char* block = static_cast<char*>(atlas_alloc(n, ATLAS_NAME_SIZE));
    a->npoints = static_cast<int32_t*>(atlas_alloc(n, sizeof(int32_t)));
    a->points = static_cast<Point3**>(atlas_alloc(n, sizeof(Point3*)));
    a->nnodes = static_cast<int32_t*>(atlas_alloc(n, sizeof(int32_t)));
    a->nodes = static_cast<ContourNode**>(atlas_alloc(n, sizeof(ContourNode*)));
    if (!a->names || !block || !a->npoints || !a->points || !a->nnodes || !a->nodes) {
        std::free(a->names);
        std::free(block);
        std::free(a->npoints);
        std::free(a->points);
        std::free(a->nnodes);
        std::free(a->nodes);
        std::free(a);
        return nullptr;
    }
    for (int i = 0; i < capacity; ++i) a->names[i] = block + i * ATLAS_NAME_SIZE;
    a->capacity = capacity;
    h2::copy_text(a->name, name);
    return a;
}

void atlas_free(Atlas* a) {
    if (a == nullptr) return;
    for (int i = 0; i < a->capacity; ++i) h2::release_slot(a, i);
    std::free(a->names[0]);  // the name block
    std::free(a->names);
    std::free(a->npoints);
    std::free(a->points);
    std::free(a->nnodes);
    std::free(a->nodes);
    std::free(a);
}

void atlas_clear(Atlas* a) {
    if (a == nullptr) return;
    // Every slot, not only the entries: a node list may wait in the next one.
    for (int i = 0; i < a->capacity; ++i) h2::release_slot(a, i);
    a->count = 0;
}

int atlas_find(const Atlas* a, const char* name) {
    if (a == nullptr || name == nullptr || name[0] == '\0') return -1;
    for (int i = 0; i < a->count; ++i)
        if (std::strcmp(a->names[i], name) == 0) return i;
    return -1;
}

Point3* atlas_get_points(const Atlas* a, int i, int* n) {
    if (n != nullptr) *n = 0;
    if (!h2::valid_entry(a, i)) return nullptr;
    Point3* copy = nullptr;
    if (!h2::copy_points(a->npoints[i], a->points[i], &copy) || copy == nullptr) return nullptr;
    if (n != nullptr) *n = a->npoints[i];
    return copy;
}

Point3* atlas_get_points_by_name(const Atlas* a, const char* name, int* n) {
    return atlas_get_points(a, atlas_find(a, name), n);
}

int atlas_add(Atlas* a, int n, const Point3* pts, const char* name) {
    if (a == nullptr || a->count >= a->capacity) return -1;
    char stored[ATLAS_NAME_SIZE];
    h2::copy_text(stored, name);
    if (atlas_find(a, stored) >= 0) return -2;
    Point3* copy = nullptr;
    if (!h2::copy_points(n, pts, &copy)) return -3;
    const int i = a->count;
    std::free(a->points[i]);
    a->points[i] = copy;
    a->npoints[i] = n;
    std::memcpy(a->names[i], stored, ATLAS_NAME_SIZE);
    return ++a->count;
}

int atlas_set_records(Atlas* a, int n, const ContourNode* nodes) {
    if (a == nullptr || a->count >= a->capacity) return -1;
    if (n < 0 || (n > 0 && nodes == nullptr)) return -3;
    ContourNode* copy = nullptr;
    if (n > 0) {
        copy = static_cast<ContourNode*>(atlas_alloc(static_cast<std::size_t>(n), sizeof(ContourNode)));
        if (copy == nullptr) return -3;
        std::memcpy(copy, nodes, static_cast<std::size_t>(n) * sizeof(ContourNode));
    }
    // A list attached earlier to this slot and never adopted would be lost.
    const int i = a->count;
    std::free(a->nodes[i]);
    a->nodes[i] = copy;
    a->nnodes[i] = n;
    return a->count;
}

int atlas_put(Atlas* a, int n, const Point3* pts, const char* name) {
    char stored[ATLAS_NAME_SIZE];
    h2::copy_text(stored, name);
    const int i = atlas_find(a, stored);
    if (i < 0) return atlas_add(a, n, pts, stored);
    // The new list is made before the old one goes, so a failure loses nothing
    // (and pts may even be the entry's own list).
    Point3* copy = nullptr;
    if (!h2::copy_points(n, pts, &copy)) return -4;
    std::free(a->points[i]);
    a->points[i] = copy;
    a->npoints[i] = n;
    return a->count;
}

int atlas_set_table(Atlas* a, int k, int nB2, int ntb, const double* B2, const double* tb, const double* Byct,
                    double B1g_org, double r2_, double chord) {
    if (a == nullptr || k < 0 || k >= a->capacity || nB2 < 1 || ntb < 1 || !B2 || !tb || !Byct) return -1;
    const auto nb = static_cast<std::size_t>(nB2);
    const auto nt = static_cast<std::size_t>(ntb);
    double* b2 = h2::copy_doubles(nb, B2);
    double* t = h2::copy_doubles(nt, tb);
    double* table = h2::copy_doubles(nb * nt, Byct);
    if (!b2 || !t || !table) {
        std::free(b2);
        std::free(t);
        std::free(table);
        return -3;
    }
    // Grids of an earlier load of this entry would otherwise be lost.
    std::free(a->B2[k]);
    std::free(a->tb[k]);
    std::free(a->Byct[k]);
    a->B2[k] = b2;
    a->tb[k] = t;
    a->Byct[k] = table;
    a->nB2[k] = nB2;
    a->ntb[k] = ntb;
    a->B1g_org[k] = B1g_org;
    a->r2_[k] = r2_;
    a->chord[k] = chord;
    return 0;
}

}  // extern "C"
