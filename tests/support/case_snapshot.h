// Everything of a case block that a call could touch: its bytes, the values
// of its arrays and its loss slot entries, for tests that a refused call
// leaves the case bit-identical.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "case/case_fields.h"
#include "tests/support/field_marks.h"

namespace h2::test {

struct Snapshot {
    std::vector<unsigned char> bytes;
    std::vector<std::uint64_t> values;  // bit patterns: a NaN equals itself
    std::vector<LossEntry> entries;
    bool operator==(const Snapshot&) const = default;
};

inline Snapshot snapshot(bdLocals* b) {
    Snapshot s;
    const auto* raw = reinterpret_cast<const unsigned char*>(b);
    s.bytes.assign(raw, raw + sizeof(bdLocals));
    for (const auto& fi : h2::kFields)
        for (int i = 0; i < b->alloc_elems; ++i) {
            if (h2::is_element_array(fi.kind))
                s.values.push_back(std::bit_cast<std::uint64_t>(element_array(b, fi)[i]));
            if (h2::is_row_array(fi.kind))
                for (int j = 0; j < b->alloc_streams; ++j)
                    s.values.push_back(std::bit_cast<std::uint64_t>(row_table(b, fi)[i][j]));
        }
    for (auto* slot : b->LossSlots)
        if (slot != nullptr)
            for (int i = 0; i < b->alloc_elems; ++i) s.entries.push_back(slot[i]);
    return s;
}

}  // namespace h2::test
