// Profile atlases: a named, bounded collection of blade profiles. An entry
// holds a section contour (points), the arc-and-line chain it was laid from
// (nodes) and, for a table atlas, the stagger table of its profile family over
// pitch-to-chord ratio and outlet angle.
//
// Two text files feed an atlas: the contour file (blocks of nodes or points
// by profile name) and the table file (per profile a header, the grids and the
// stagger table). Look-ups answer 1e20 when they find nothing: an index that
// is not an entry, an entry without a table, a point outside the table.
//
// The atlas owns every list and table it points to; lists handed in are
// copied, lists handed out are fresh malloc'd copies that the caller frees.
// An atlas belongs to one thread; nothing here locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "halvorine2/case_block.h"

extern "C" {

// One node of a closed contour of arcs and straight lines: the node (x, y)
// and the arc that leads from it to the next node, centre (xc, yc) and radius
// r; a radius of at most 1e-6 means a straight segment.
typedef struct ContourNode {
    double x, y, xc, yc, r;
} ContourNode;

enum { ATLAS_MAX_PROFILES = 100, ATLAS_NAME_SIZE = 80, ATLAS_LINE_SIZE = 2000 };

// type: 0 contours, 1 tables, 2 contours and tables (set by whoever loads both).
typedef struct Atlas {
    int32_t type;
    char name[ATLAS_NAME_SIZE];
    char** names;  // capacity pointers into one block of capacity x 80 characters
    int32_t capacity;
    int32_t count;
    int32_t* npoints;
    Point3** points;
    int32_t* nnodes;
    ContourNode** nodes;
    int32_t ntb[ATLAS_MAX_PROFILES];
    int32_t nB2[ATLAS_MAX_PROFILES];
    double B1g_org[ATLAS_MAX_PROFILES];  // stagger + B1g_org = inlet blade angle
    double r2_[ATLAS_MAX_PROFILES];      // outlet-edge radius / chord (the file holds percent)
    double chord[ATLAS_MAX_PROFILES];
    double* tb[ATLAS_MAX_PROFILES];    // ntb pitch-to-chord ratios, ascending
    double* B2[ATLAS_MAX_PROFILES];    // nB2 outlet angles in degrees, ascending
    double* Byct[ATLAS_MAX_PROFILES];  // stagger at (B2[i], tb[j]) in Byct[i + j * nB2]
} Atlas;

// ---------------------------------------------------------------- container

// An empty atlas of capacity min(cap, 100) with a copy of name (cut to 79
// characters); NULL when cap < 1 or memory runs out (nothing is left allocated).
Atlas* atlas_create(int cap, const char* name);
// Releases the atlas with every list and table, the slot that waits for the
// next entry included. NULL is ignored.
void atlas_free(Atlas* a);
// Empties every slot (names, contours, node lists, tables); count 0; the
// capacity and the atlas name stay. NULL is ignored.
void atlas_clear(Atlas* a);
// Index of the first entry named exactly name; -1 for NULL or "" or none.
int atlas_find(const Atlas* a, const char* name);
// Fresh copy of entry i's contour, its length in *n; NULL when i is not an
// entry, the entry has no contour or memory runs out.
Point3* atlas_get_points(const Atlas* a, int i, int* n);
Point3* atlas_get_points_by_name(const Atlas* a, const char* name, int* n);
// Appends an entry with a copy of the n points under name (cut to 79
// characters); the slot's waiting node list, if any, comes with it. The new
// count, or -1 when the atlas is full (or NULL), -2 when the name is taken,
// -3 when memory runs out or the point list is unusable.
int atlas_add(Atlas* a, int n, const Point3* pts, const char* name);
// Attaches a copy of the n nodes to the slot the next atlas_add fills,
// replacing a list already waiting there; count, or -1 when full, -3 when
// memory runs out.
int atlas_set_records(Atlas* a, int n, const ContourNode* nodes);
// Replaces the contour of the entry named name by a copy of the n points and
// returns count; an absent name is appended as by atlas_add. -4 when the new
// list cannot be allocated: the entry then keeps its old contour.
int atlas_put(Atlas* a, int n, const Point3* pts, const char* name);
// Gives entry k (0 <= k < capacity) its stagger table: copies of the grids
// and of the nB2 x ntb table, B1g_org, r2_ (fraction of the chord) and the
// chord; grids it replaces are released. 0, -1 for bad arguments, -3 when
// memory runs out (the entry is then as it was).
int atlas_set_table(Atlas* a, int k, int nB2, int ntb, const double* B2, const double* tb, const double* Byct,
                    double B1g_org, double r2_, double chord);

// Test hook: the allocation after the next n atlas allocations fails once
// (n < 0 switches it off). Per thread.
void atlas_fail_allocation_after(int n);

// ---------------------------------------------------------------- contour file

// The next data line of f into buf (2000 characters), blank and '#' comment
// lines skipped, cut at the first '#', CR or LF; 0, or -1 at end of file.
int atlas_read_line(std::FILE* f, char* buf);
// 0 data line, 1 blank (only blanks, tabs, CR, LF), 2 comment.
int atlas_line_class(const char* line);
// Appends the profiles of a contour file; node blocks (fewer than 21 lines)
// are laid into 300 points. 0, also when the file cannot be opened (atlas
// unchanged: count stays 0 in a new atlas) or an entry is refused (loading
// stops there); -1 when the file ends inside a block. type := 0 on a clean end.
int atlas_load(Atlas* a, const char* file);
// Writes every entry as a node block when it has nodes, else as a point
// block; 0, or -1 when the file cannot be opened or a is NULL.
int atlas_save(const Atlas* a, const char* file);
// Lays nHeadA + nHeadB + nLE + nAfterLE + nLast points along the closed chain
// of k nodes: the head share over the elements before the leading-edge
// element iLE, nLE on it, the after share over the elements between it and
// the closing element iLast = k - 1, nLast on that one. NULL when k < 2, a
// count is negative, iLE is not in 0..iLast-1, iLast is not k - 1, or memory
// runs out.
Point3* contour_from_nodes(const ContourNode* nodes, int k, int iLE, int iLast, int nHeadA, int nHeadB,
                           int nLE, int nAfterLE, int nLast);

// ---------------------------------------------------------------- table file, look-ups, reports

// Reads profile blocks into entries 0, 1, ... up to capacity; on a clean end
// count := the number read, type := 1, result 0. 0 also when the file cannot
// be opened (atlas unchanged: type stays what it was). Errors close the file
// and keep nothing of the bad block: -1 bad header (fewer than three fields,
// a size below 1 or above what a line can hold), -2 end of file before the
// header values, -3 before the B2 grid, -4 before the tb grid, -5 inside the
// table, -6 memory runs out.
int atlas_load_tables(Atlas* a, const char* file);
// Writes entry k's table under name (the entry's own name when NULL) to file
// (the console stream when NULL): 1 when the file already lists that name
// (nothing written); the file is created afresh when it lists no profile,
// else opened with mode ("a..." appends, anything else rewrites). 0, -1 when
// k has no table or the file cannot be opened ("Can't open <file>" printed).
int atlas_save_tables(const Atlas* a, int k, const char* name, const char* file, const char* mode);
// Stagger of profile k at (tb, B2), bilinear; B2 above 90 is folded to 180 - B2.
double atlas_stagger(const Atlas* a, double tb, double B2, int k);
// x + B1g_org of profile k.
double atlas_shift(const Atlas* a, double x, int k);
// Inlet blade angle: the stagger at (tb, B2) + B1g_org of profile k.
double atlas_inlet_angle(const Atlas* a, double tb, double B2, int k);
// Profile k's table as a chart file; 0, 1 when there is no file name, it
// cannot be opened or k has no table.
int atlas_save_chart(const Atlas* a, int k, const char* file);
// Report on the console stream, full (every point or table) or short; 0, -1
// for NULL.
int atlas_report(const Atlas* a, int full);
// The entry names, separated by one blank, into buf (80 bytes per entry); 0.
int atlas_names(const Atlas* a, char* buf);

// ---------------------------------------------------------------- triangulated look-ups

// One piecewise-linear surface through the table, asked in three directions;
// 1e20 when no triangle holds the point (ntb or nB2 of 1 has none) or memory
// runs out. Outlet angles are not folded.
double atlas_stagger_tri(const Atlas* a, double tb, double B2, int k);
double atlas_B2_for_stagger(const Atlas* a, double tb, double Byct, int k);
double atlas_tb_for_stagger(const Atlas* a, double B2, double Byct, int k);

// Determinant of the n x n matrix in the first n rows and columns of m into
// *det; 0, or 1 with *det = 0 when n is not in 1..20.
int det_n(const double (*m)[20], int n, double* det);

}  // extern "C"

namespace h2 {

inline constexpr double kAtlasNotFound = 1e20;

// Zero-filled allocation for everything an atlas owns or hands out (free()
// releases it); NULL when memory runs out or the test hook says so.
void* atlas_alloc(std::size_t count, std::size_t size);

// k is an entry with a stagger table.
bool atlas_has_table(const Atlas* a, int k);

// Profile names of a contour file (EnumAtl) or a table file (EnumAtt), each
// cut to 79 characters; the result is the file's profile count, 0 when it
// cannot be opened (*opened false), negative for a truncated block as the
// exported listers (the names before it are listed).
int atlas_file_names(const char* file, std::vector<std::string>* names, bool* opened);
int atlas_table_file_names(const char* file, std::vector<std::string>* names, bool* opened);
// The names into buf, one blank between them, or before each with lead.
void join_names(const std::vector<std::string>& names, bool lead, char* buf);

// The triangulated table: grid point i * ntb + j is (tb[j], B2[i], stagger),
// triangles are index triples, 2 (ntb - 1)(nB2 - 1) of them.
struct TableMesh {
    std::vector<Point3> points;
    std::vector<int> triangles;
};
void table_triangulate(const Atlas* a, int k, TableMesh* mesh);
// Height over (X, Y) of the surface with its coordinates permuted: axis 'x'
// takes (y, z, x), 'y' takes (z, x, y), 'z' keeps (x, y, z).
double tri_lookup_axis(const TableMesh& mesh, double X, double Y, char axis);
// Height at (X, Y) in the first triangle of the list that holds the point.
double tri_interpolate(const std::vector<Point3>& points, const std::vector<int>& triangles, double X,
                       double Y);
// Height at (X, Y) of the plane through p0, p1, p2; 1e20 when the triangle's
// projection is degenerate.
double plane_value(Point3 p0, Point3 p1, Point3 p2, double X, double Y);

}  // namespace h2
