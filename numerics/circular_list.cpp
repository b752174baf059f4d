// Circular doubly linked list of tagged points.
#include "numerics/circular_list.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "case/output_internal.h"
#include "numerics/plane_geometry.h"

namespace h2 {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;  // pi / 180
// An arc wider than this is a full circle: its last point would repeat the first.
constexpr double kFullCircle = 359.99;
// The list's crossing test counts products below this as zero.
constexpr double kListTouchProduct = 1e-16;

DC_List* new_node(double x, double y, double z, int value) {
    auto* node = static_cast<DC_List*>(std::malloc(sizeof(DC_List)));
    if (node != nullptr) *node = DC_List{value, Point3{x, y, z}, nullptr, nullptr};
    return node;
}

// The first element of an empty list lives in the head: a ring of one.
DC_List* fill_empty(DC_List* list, double x, double y, double z, int value) {
    *list = DC_List{value, Point3{x, y, z}, list, list};
    return list;
}

void link_between(DC_List* node, DC_List* before, DC_List* after) {
    node->prev = before;
    node->next = after;
    before->next = node;
    after->prev = node;
}

void unlink(DC_List* node) {
    node->prev->next = node->next;
    node->next->prev = node->prev;
}

void append(DC_List* list, Point3 p, int value) { dcl_insert_before(list, list, p.x, p.y, p.z, value); }

}  // namespace

void dcl_new_heads(DC_List** heads, DC_List** cursors, int n) {
    for (int i = 0; i < n; ++i) {
        heads[i] = static_cast<DC_List*>(std::calloc(1, sizeof(DC_List)));
        if (heads[i] == nullptr) dcl_error(kDclNoHeadMemory);
        if (cursors != nullptr) cursors[i] = heads[i];
    }
}

void dcl_free_heads(DC_List** heads, int n) {
    for (int i = 0; i < n; ++i) {
        if (heads[i] == nullptr) continue;
        dcl_clear(heads[i]);
        std::free(heads[i]);
        heads[i] = nullptr;
    }
}

void dcl_clear(DC_List* list) {
    if (dcl_empty(list)) return;
    for (DC_List* node = list->next; node != list;) {
        DC_List* following = node->next;
        std::free(node);
        node = following;
    }
    list->next = nullptr;
    list->prev = nullptr;
}

int dcl_empty(const DC_List* node) { return node->next == nullptr ? 1 : 0; }

void dcl_error(int code) {
    std::fprintf(console_stream(), "\nError in DC_List %d\n", code);
    std::fflush(console_stream());
}

int dcl_is_head(const DC_List* list, const DC_List* node) { return node == list ? 1 : 0; }

int dcl_is_last(const DC_List* list, const DC_List* node) { return node->next == list ? 1 : 0; }

DC_List* dcl_insert_before(DC_List* list, DC_List* pos, double x, double y, double z, int value) {
    if (dcl_empty(list)) return fill_empty(list, x, y, z, value);
    DC_List* node = new_node(x, y, z, value);
    if (node == nullptr) {
        dcl_error(kDclNoMemoryBefore);
        return pos;
    }
    link_between(node, pos->prev, pos);
    return pos;
}

DC_List* dcl_insert_after(DC_List* list, DC_List* pos, double x, double y, double z, int value) {
    if (dcl_empty(list)) return fill_empty(list, x, y, z, value);
    DC_List* node = new_node(x, y, z, value);
    if (node == nullptr) {
        dcl_error(kDclNoMemoryAfter);
        return pos;
    }
    link_between(node, pos, pos->next);
    return pos;
}

DC_List* dcl_next(const DC_List* /*list*/, const DC_List* node) { return node->next; }

DC_List* dcl_prev(const DC_List* /*list*/, const DC_List* node) { return node->prev; }

DC_List* dcl_remove(DC_List* list, DC_List* node) {
    if (dcl_empty(list)) return nullptr;
    if (list->next == list) {  // the head's element was the only one
        list->next = nullptr;
        list->prev = nullptr;
        return list;
    }
    if (node == list) {
        // The head node always stays the list: it takes over the second
        // element, whose node goes instead.
        DC_List* second = list->next;
        list->value = second->value;
        list->pt = second->pt;
        unlink(second);
        std::free(second);
        return list;
    }
    DC_List* following = node->next;
    unlink(node);
    std::free(node);
    return following;
}

DC_List* dcl_first(DC_List* list) {
    if (dcl_empty(list)) dcl_error(kDclFirstOfEmpty);
    return list;
}

DC_List* dcl_last(DC_List* list) {
    if (dcl_empty(list)) {
        dcl_error(kDclLastOfEmpty);
        return nullptr;
    }
    return list->prev;
}

DC_List* dcl_from_points(DC_List* list, const Point3* points, int n) {
    if (!dcl_empty(list)) {
        dcl_error(kDclFromPointsNotEmpty);
        return list;
    }
    for (int i = 0; i < n; ++i) append(list, points[i], 0);
    return list;
}

int dcl_to_points(const DC_List* list, Point3* out) {
    if (dcl_empty(list)) {
        dcl_error(kDclToPointsOfEmpty);
        return -1;
    }
    int index = 0;
    const DC_List* node = list;
    out[index] = node->pt;
    for (node = node->next; node != list; node = node->next) out[++index] = node->pt;
    return index;
}

DC_List* dcl_copy(const DC_List* src, DC_List* dst) {
    if (dcl_empty(src)) {
        dcl_error(kDclCopyFromEmpty);
        return dst;
    }
    if (!dcl_empty(dst)) dcl_clear(dst);
    const DC_List* node = src;
    do {
        append(dst, node->pt, node->value);
        node = node->next;
    } while (node != src);
    return dst;
}

DC_List* dcl_arc(DC_List* list, Point3 centre, double r, double a0, double a1, int n) {
    if (!dcl_empty(list)) {
        dcl_error(kDclArcNotEmpty);
        return list;
    }
    const double sweep = a1 - a0;
    const double dt = n > 0 ? sweep * kRadiansPerDegree / n : 0.0;
    double t = a0 * kRadiansPerDegree;
    for (int i = 0; i <= n; ++i) {
        if (i == n && sweep > kFullCircle) break;  // would repeat the first point
        append(list, Point3{centre.x + r * std::cos(t), centre.y + r * std::sin(t), 0.0}, 0);
        t += dt;
    }
    if (sweep < kFullCircle) append(list, centre, 0);  // a sector closes through its centre
    return list;
}

double dcl_length(const DC_List* list) {
    if (dcl_empty(list)) return 0.0;
    double length = 0.0;
    for (const DC_List* node = list; node->next != list; node = node->next) {
        const Point3 a = node->pt;
        const Point3 b = node->next->pt;
        length += std::sqrt(dist2_xyz(a.x, a.y, a.z, b.x, b.y, b.z));
    }
    return length;
}

int list_point_in_polygon(const DC_List* list, double px, double py) {
    if (dcl_empty(list)) return -1;
    // Edges first -> second, ..., last -> first, walked once in ring order.
    int count = 1;
    for (const DC_List* node = list->next; node != list; node = node->next) ++count;
    const DC_List* node = list;
    const auto edge = [&node](int, double& x0, double& y0, double& x1, double& y1) {
        x0 = node->pt.x;
        y0 = node->pt.y;
        x1 = node->next->pt.x;
        y1 = node->next->pt.y;
        node = node->next;
    };
    return detail::crossing_test(count, edge, px, py, kListTouchProduct);
}

}  // namespace h2
