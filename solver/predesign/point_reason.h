// Why a design cannot be kept, said once, where it is found.
//
// A generator or a screening step that gives up on a design calls
//     h2::predesign::point_reason("impeller: tip speed %.0f m/s above %.0f m/s", u2, limit);
// before returning its failure code. The text (module, target, value and
// limit: one line, no newline) is printed at once as an error line and kept
// for the thread's current design point; the design-point search clears it
// before every point and prints it with the point it skips. The first reason
// of a point stands: the innermost step that gave up knows most.
#pragma once

namespace h2::predesign {

void point_reason(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The reason kept for this thread's current point; "" when none.
const char* point_reason_text();
// Forgets the kept reason (the search does this before each point).
void clear_point_reason();

}  // namespace h2::predesign
