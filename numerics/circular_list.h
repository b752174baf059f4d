// DC_List: a circular doubly linked list of tagged points for closed contours.
// A list is its head node, owned by the caller, which holds the first element
// itself; every other node is allocated and freed by the routines here.
#pragma once

#include <cstdint>

#include "halvorine2/case_block.h"

namespace h2 {

struct DC_List {
    std::int32_t value;  // the element's tag (0 when built from points or as an arc)
    Point3 pt;
    DC_List* next;  // NULL in an empty head
    DC_List* prev;  // NULL in an empty head
};

// Misuse and failure codes printed by dcl_error.
enum DclError : int {
    kDclNoHeadMemory = 0,
    kDclCopyFromEmpty = 6,
    kDclFirstOfEmpty = 8,
    kDclLastOfEmpty = 9,
    kDclNoMemoryBefore = 10,
    kDclNoMemoryAfter = 11,
    kDclFromPointsNotEmpty = 12,
    kDclToPointsOfEmpty = 13,
    kDclArcNotEmpty = 22,
};

// n empty heads (a head that cannot be had stays NULL); cursors[i] := heads[i]
// when cursors is not NULL.
void dcl_new_heads(DC_List** heads, DC_List** cursors, int n);
// Clears and frees each head; the entries become NULL.
void dcl_free_heads(DC_List** heads, int n);
// Removes every element; the head becomes empty.
void dcl_clear(DC_List* list);
int dcl_empty(const DC_List* node);
// Prints "\nError in DC_List <code>\n" to the console.
void dcl_error(int code);
int dcl_is_head(const DC_List* list, const DC_List* node);
int dcl_is_last(const DC_List* list, const DC_List* node);
// Insert a new element before or after pos (into the head when the list is
// empty); return pos, or the head for an empty list.
DC_List* dcl_insert_before(DC_List* list, DC_List* pos, double x, double y, double z, int value);
DC_List* dcl_insert_after(DC_List* list, DC_List* pos, double x, double y, double z, int value);
DC_List* dcl_next(const DC_List* list, const DC_List* node);
DC_List* dcl_prev(const DC_List* list, const DC_List* node);
// Removes node's element; returns the node that now holds the following
// element (the head when the head's element was removed), NULL for an empty list.
DC_List* dcl_remove(DC_List* list, DC_List* node);
DC_List* dcl_first(DC_List* list);
DC_List* dcl_last(DC_List* list);
// Appends the n points with tag 0 to an empty list; returns the list.
DC_List* dcl_from_points(DC_List* list, const Point3* points, int n);
// Copies the points in ring order; the index of the last one (count - 1), -1 for an empty list.
int dcl_to_points(const DC_List* list, Point3* out);
// Replaces dst's elements by copies of src's; returns dst (unchanged when src is empty).
DC_List* dcl_copy(const DC_List* src, DC_List* dst);
// An arc of radius r about centre from a0 to a1 degrees in n steps, into an
// empty list: a full circle without its repeated last point, anything less
// as a sector closed by the centre. Returns the list.
DC_List* dcl_arc(DC_List* list, Point3 centre, double r, double a0, double a1, int n);
// Length of the open polyline first .. last (the closing side is not counted).
double dcl_length(const DC_List* list);
// The ring as a closed polygon: 1 inside, -1 outside, 0 on the boundary.
int list_point_in_polygon(const DC_List* list, double px, double py);

}  // namespace h2
