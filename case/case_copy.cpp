// Building a case block out of other blocks: the whole-block copy, the copy of
// one block's arrays and results into another, the expansion of a solved case
// to more streamlines, and the merge that appends one flow path to another.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "case/case_arrays.h"
#include "case/case_fields.h"
#include "case/current_case.h"
#include "case/output_internal.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_data.h"
#include "halvorine2/fluids.h"
#include "halvorine2/losses.h"
#include "halvorine2/threading.h"
#include "halvorine2/volute.h"
#include "reports/report_api.h"
#include "solver/solver_api.h"

namespace {

using h2::FieldInfo;
using h2::kFields;

// Points per element interval of a streamline row of the grid.
constexpr long long kGridPointsPerElement = 10;
// Tasks from this number on are analysis tasks.
constexpr int kFirstAnalysisTask = 10;

using h2::alloc_elem_array;
using h2::alloc_elem_matrix;
using h2::element_array;
using h2::row_table;

// Element count (inlet included) and streamline count of a case.
int elements_of(const bdLocals* b) { return b->cyld_ns + 1; }
int streams_of(const bdLocals* b) { return b->cyld_nr; }

// Records of the grid that the streamline builder uses for the given counts:
// one row of N*10+1 points per streamline. A whole-block copy makes exactly
// this many; a block from alloc_probdata has ten times the rows.
long long used_grid_records(long long N, long long NI) {
    if (N < 0 || NI < 0) return 0;
    return NI * (N * kGridPointsPerElement + 1);
}

// The scalars that a copy into a given block carries over: results, counters
// and the few settings that travel with them. Settings that belong to the
// destination (task, counts, print levels, units, hooks) stay as they are.
template <auto... Members>
void copy_members(const bdLocals& src, bdLocals& dst) {
    ((dst.*Members = src.*Members), ...);
}

void copy_result_scalars(const bdLocals& src, bdLocals& dst) {
    copy_members<&bdLocals::ranges_ref, &bdLocals::prereq_ref, &bdLocals::head_word, &bdLocals::atlas_s,
                 &bdLocals::atlas_r, &bdLocals::cyld_Disp, &bdLocals::cyld_p2n, &bdLocals::cyld_p2nx,
                 &bdLocals::cyld_eff, &bdLocals::cyld_effx, &bdLocals::cyld_effp, &bdLocals::cyld_effD,
                 &bdLocals::cyld_effDx, &bdLocals::cyld_eff_cool, &bdLocals::cyld_effx_cool,
                 &bdLocals::cyld_Nc, &bdLocals::cyld_G, &bdLocals::cyld_Gdesired, &bdLocals::cyld_Gout,
                 &bdLocals::cyld_Gv, &bdLocals::cyld_aux_4008, &bdLocals::cyld_R, &bdLocals::cyld_k,
                 &bdLocals::cyld_cR, &bdLocals::cyld_ck, &bdLocals::cyld_af, &bdLocals::cyld_caf,
                 &bdLocals::cyld_pil, &bdLocals::cyld_pir, &bdLocals::cyld_pirTotal, &bdLocals::cyld_prs,
                 &bdLocals::cyld_prt, &bdLocals::cyld_prss, &bdLocals::cyld_du, &bdLocals::cyld_RAB,
                 &bdLocals::cyld_RAL, &bdLocals::cyld_RAD, &bdLocals::cyld_cz_, &bdLocals::cyld_uCo,
                 &bdLocals::accuracy, &bdLocals::Gaccuracy, &bdLocals::run_result, &bdLocals::IM,
                 &bdLocals::IGM, &bdLocals::ISM, &bdLocals::ITML, &bdLocals::S1mode, &bdLocals::cyld_VARTD,
                 &bdLocals::search_point>(src, dst);
}

// True when the block's counts lie inside the arrays it has; a block without
// arrays reads nothing and passes.
bool counts_fit_own_arrays(const bdLocals* b) { return !h2::has_any_array(b) || h2::path_fits_arrays(b); }

// A destination with arrays can take N_src elements and its own streamline
// count, which is what the row copies write.
bool destination_takes(const bdLocals* src, const bdLocals* dst) {
    return h2::path_fits_arrays(dst) && elements_of(src) <= dst->alloc_elems;
}

// --- The element-wise copies.

// Copies the source's N_src elements. 1 no source block, 3 no source array,
// 4 no destination array (nothing copied in those cases), 0 done.
int copy_elem_array(const bdLocals* srcBlock, double* dstArray, const double* srcArray) {
    if (srcBlock == nullptr) return 1;
    if (srcArray == nullptr) return 3;
    if (dstArray == nullptr) return 4;
    const int N = elements_of(srcBlock);
    if (N > 0) std::memmove(dstArray, srcArray, static_cast<std::size_t>(N) * sizeof(double));
    return 0;
}

// Copies rows 0..N_src-1: whole rows when the streamline counts agree, else the
// source's middle streamline onto every destination streamline. 1 no source
// block, 2 no destination block, 3 no source table, 4 no destination table,
// 5 the destination has fewer elements, 0 done. A missing row is skipped.
int copy_elem_matrix(const bdLocals* srcBlock, const bdLocals* dstBlock, double** dstTable,
                     double* const* srcTable) {
    if (srcBlock == nullptr) return 1;
    if (dstBlock == nullptr) return 2;
    if (srcTable == nullptr) return 3;
    if (dstTable == nullptr) return 4;
    const int N = elements_of(srcBlock);
    if (N > elements_of(dstBlock)) return 5;
    const int NIsrc = streams_of(srcBlock);
    const int NIdst = streams_of(dstBlock);
    for (int i = 0; i < N; ++i) {
        const double* from = srcTable[i];
        double* to = dstTable[i];
        if (from == nullptr || to == nullptr) continue;
        if (NIsrc == NIdst) {
            if (NIsrc > 0) std::memmove(to, from, static_cast<std::size_t>(NIsrc) * sizeof(double));
        } else if (NIsrc > 0) {
            std::fill_n(to, std::max(NIdst, 0), from[NIsrc / 2]);
        }
    }
    return 0;
}

// Copies the grid records that the source's streamlines use, no more than
// either grid holds for the streamline rows its extents describe.
void copy_grid(const bdLocals* src, bdLocals* dst) {
    if (src->stream_grid == nullptr || dst->stream_grid == nullptr) return;
    const long long wanted = used_grid_records(elements_of(src), streams_of(src));
    const long long room = std::min(used_grid_records(src->alloc_elems, src->alloc_streams),
                                    used_grid_records(dst->alloc_elems, dst->alloc_streams));
    const long long records = std::min(wanted, room);
    if (records > 0 && src->stream_grid != dst->stream_grid)
        std::memcpy(dst->stream_grid, src->stream_grid, static_cast<std::size_t>(records) * sizeof(Point2));
}

// Gives a given block its own copy of the source's outlet volute record. The
// record it owned is released first: it would otherwise be lost when the new
// one replaces it. A record both blocks share (a block copied onto itself) is
// left alone.
void copy_volute_into(bdLocals* src, bdLocals* dst) {
    if (src->volout == nullptr) return;  // nothing to copy; dst keeps its own
    if (src->volout == dst->volout) return;
    VoloutTerm(static_cast<Volout*>(dst->volout));
    dst->volout = nullptr;
    VoloutCopy(src, dst);
}

// Makes block current; false when threading is not prepared.
bool make_current(bdLocals* block) { return set_bdLocals(block) != 0; }

// A whole-block copy under construction. Until it is handed over, leaving the
// scope releases the arrays it made, the block itself, and puts back the
// block that was current before.
class PendingCopy {
public:
    PendingCopy()
        : previous_(get_bdLocals()), block_(static_cast<bdLocals*>(std::calloc(1, sizeof(bdLocals)))) {}
    ~PendingCopy() { discard(); }
    PendingCopy(const PendingCopy&) = delete;
    PendingCopy& operator=(const PendingCopy&) = delete;

    bdLocals* get() const { return block_; }
    bdLocals* hand_over() { return std::exchange(block_, nullptr); }

    // Releases the copy, then reports: the message reaches the destinations of
    // the block that is current again.
    bdLocals* fail(const char* text) {
        discard();
        h2::report_error(text);
        return nullptr;
    }

private:
    void discard() {
        if (block_ == nullptr) return;
        const bool was_current = get_bdLocals() == block_;
        // Only what this copy allocated is reachable here: every pointer taken
        // over from the source was cleared before the first allocation.
        h2::sweep_arrays(block_);
        VoloutTerm(static_cast<Volout*>(block_->volout));
        std::free(std::exchange(block_, nullptr));
        if (was_current && (previous_ == nullptr || !make_current(previous_))) h2::clear_current_case();
    }

    bdLocals* previous_;
    bdLocals* block_;
};

// Forgets every pointer of a byte copy that the new block must not share with
// its source: releasing the copy would otherwise free the source's arrays,
// its volute record, or close its dump. The copy starts without a dump of its
// own; the run driver opens one for it when it runs.
void forget_source_resources(bdLocals* b) {
    for (const auto& f : kFields) {
        if (h2::is_element_array(f.kind)) element_array(b, f) = nullptr;
        if (h2::is_row_array(f.kind)) row_table(b, f) = nullptr;
    }
    for (auto& slot : b->LossSlots) slot = nullptr;
    b->stream_grid = nullptr;
    b->volout = nullptr;
    b->dump_stream = nullptr;
    // The section models stay shared with the source, which alone frees them.
    b->model_owned = 0;
    b->allocated1 = 0;
    b->allocated2 = 0;
    h2::set_allocated_extents(b, 0, 0);
}

// The source block byte for byte, but its abort flag read as the one field a
// host writes from another thread while the block is in use (a search
// cancelled from another thread copied the flag as it was written).
void copy_block_bytes(const bdLocals& src, bdLocals& dst) {
    constexpr std::size_t flag = offsetof(bdLocals, need_abort);
    constexpr std::size_t after = flag + sizeof(bdLocals::need_abort);
    auto* to = reinterpret_cast<unsigned char*>(&dst);
    const auto* from = reinterpret_cast<const unsigned char*>(&src);
    std::memcpy(to, from, flag);
    std::memcpy(to + after, from + after, sizeof(bdLocals) - after);
    dst.need_abort = std::atomic_ref<std::int32_t>(const_cast<std::int32_t&>(src.need_abort))
                         .load(std::memory_order_acquire);
}

bdLocals* copy_into_new_block(bdLocals* src) {
    const int N = elements_of(src);
    const int NI = streams_of(src);
    // Counts beyond the source's own arrays would be read past their end.
    if (!counts_fit_own_arrays(src)) {
        h2::report_error("copy_probdata: counts exceed the arrays\n");
        return nullptr;
    }
    PendingCopy pending;
    bdLocals* dst = pending.get();
    if (dst == nullptr) return nullptr;
    copy_block_bytes(*src, *dst);
    forget_source_resources(dst);

    if (!make_current(dst)) return pending.fail("copy_probdata: can't set locals!\n");
    dst->elem_count = N;
    dst->allocated1 = 0;
    if (src->elem_stagType == nullptr) return pending.fail("copy_probdata: empty data\n");

    h2::set_allocated_extents(dst, N, NI);
    for (const auto& f : kFields) {
        if (!h2::is_element_array(f.kind)) continue;
        element_array(dst, f) = alloc_elem_array(dst, N);
        copy_elem_array(src, element_array(dst, f), element_array(src, f));
    }
    for (std::size_t s = 0; s < std::size(dst->LossSlots); ++s) {
        auto* slot =
            static_cast<LossEntry*>(std::calloc(N > 0 ? static_cast<std::size_t>(N) : 1u, sizeof(LossEntry)));
        dst->LossSlots[s] = slot;
        if (slot && src->LossSlots[s] && N > 0) std::copy_n(src->LossSlots[s], N, slot);
    }
    if (dst->allocated1 != H2_COUNT_PARAM1)
        return pending.fail("copy_probdata: allocated1 != COUNT_PARAM1\n");

    const int kept = dst->allocated1;
    dst->allocated2 = 0;
    for (const auto& f : kFields) {
        if (!h2::is_row_array(f.kind)) continue;
        row_table(dst, f) = alloc_elem_matrix(dst, N, NI);
        copy_elem_matrix(src, dst, row_table(dst, f), row_table(src, f));
    }
    const long long records = used_grid_records(N, NI);
    dst->stream_grid = static_cast<Point2*>(
        std::calloc(records > 0 ? static_cast<std::size_t>(records) : 1u, sizeof(Point2)));
    if (dst->allocated2 != H2_COUNT_PARAM2)
        return pending.fail("copy_probdata: allocated2 != COUNT_PARAM1\n");
    dst->allocated1 = kept;

    CopyFluid(src, dst);
    CopycFluid(src, dst);
    CopyLoses(src, dst);
    VoloutCopy(src, dst);
    return pending.hand_over();
}

bdLocals* copy_into_given_block(bdLocals* src, bdLocals* dst) {
    const int N = elements_of(src);
    // A source whose counts exceed its own arrays, or a destination smaller
    // than the source, would be read or written past the end of an array.
    if (dst->elem_stagType != nullptr) {
        const char* refusal = !counts_fit_own_arrays(src)    ? "copy_probdata: counts exceed the arrays\n"
                              : !destination_takes(src, dst) ? "copy_probdata: destination too small\n"
                                                             : nullptr;
        if (refusal) {
            make_current(dst);
            h2::report_error(refusal);
            return nullptr;
        }
    }
    copy_result_scalars(*src, *dst);
    copy_grid(src, dst);

    if (!make_current(dst)) {
        h2::report_error("copy_probdata: can't set locals!\n");
        return nullptr;
    }
    dst->elem_count = N;
    dst->allocated1 = 0;
    if (dst->elem_stagType == nullptr) {
        h2::report_error("copy_probdata: empty data\n");
        return nullptr;
    }

    // Every array is taken to exist in a block that has its element types;
    // a missing one is skipped by the copy.
    for (const auto& f : kFields) {
        if (!h2::is_element_array(f.kind)) continue;
        ++dst->allocated1;
        copy_elem_array(src, element_array(dst, f), element_array(src, f));
    }
    FillLoses(src, -1, dst, 0, 0);
    const int kept = dst->allocated1;
    dst->allocated2 = 0;
    for (const auto& f : kFields) {
        if (!h2::is_row_array(f.kind)) continue;
        ++dst->allocated2;
        copy_elem_matrix(src, dst, row_table(dst, f), row_table(src, f));
    }
    dst->allocated1 = kept;
    copy_volute_into(src, dst);
    return dst;
}

// --- The merge.

// Source elements 1..NS_src to destination elements pos..pos+NS_src-1.
// 1 when the source array is missing (nothing copied), else 0.
int append_elem_array(const bdLocals* srcBlock, double* dstArray, const double* srcArray, int pos) {
    if (srcArray == nullptr) return 1;
    if (dstArray == nullptr) return 0;
    const int NS = srcBlock->cyld_ns;
    if (NS > 0) std::memmove(dstArray + pos, srcArray + 1, static_cast<std::size_t>(NS) * sizeof(double));
    return 0;
}

// The NI_src doubles of source rows 1..NS_src into the first NI_src places of
// destination rows pos..pos+NS_src-1. 1 when the source table is missing.
int append_elem_matrix(const bdLocals* srcBlock, double** dstTable, double* const* srcTable, int pos) {
    if (srcTable == nullptr) return 1;
    if (dstTable == nullptr) return 0;
    const int NS = srcBlock->cyld_ns;
    const int NI = srcBlock->cyld_nr;
    for (int k = 0; k < NS; ++k) {
        const double* from = srcTable[k + 1];
        double* to = dstTable[pos + k];
        if (from && to && NI > 0) std::memmove(to, from, static_cast<std::size_t>(NI) * sizeof(double));
    }
    return 0;
}

// The merged range pos..pos+NS_src-1 lies inside the destination's flow path
// and arrays, and the destination has every streamline that the source brings.
bool merge_fits(const bdLocals* src, const bdLocals* dst, int pos) {
    const int NS = src->cyld_ns;
    if (NS < 0 || pos < 0) return false;
    if (NS == 0) return true;  // only the loss-method switches travel
    if (!h2::path_fits_arrays(src) || !h2::path_fits_arrays(dst)) return false;
    const long long last = static_cast<long long>(pos) + NS - 1;
    return last <= dst->cyld_ns && src->cyld_nr <= dst->cyld_nr;
}

}  // namespace

extern "C" {

bdLocals* copy_probdata(bdLocals* src, bdLocals* dst) {
    if (src == nullptr) return nullptr;
    return dst == nullptr ? copy_into_new_block(src) : copy_into_given_block(src, dst);
}

bdLocals* expand_probdata(bdLocals* src, int NI) {
    // The streamline count is kept in a 16-bit extent; a case has at least one.
    if (src == nullptr || NI < 1 || NI > INT16_MAX || src->cyld_ns < 0) return nullptr;
    if (!counts_fit_own_arrays(src)) {
        h2::report_error("expand_probdata: counts exceed the arrays\n");
        return nullptr;
    }
    auto* b = static_cast<bdLocals*>(std::calloc(1, sizeof(bdLocals)));
    if (b == nullptr) return nullptr;
    b->cyld_ns = src->cyld_ns;
    b->cyld_nr = NI;
    if (!make_current(b)) return b;

    // A block whose arrays could not all be made is of no use to anyone:
    // released here rather than handed out half-built.
    if (alloc_probdata(b->cyld_ns + 1, NI) != 0) {
        if (h2::has_any_array(b)) h2::sweep_arrays(b);
        make_current(src);
        std::free(b);
        return nullptr;
    }
    copy_probdata(src, b);
    CopyFluid(src, b);
    CopycFluid(src, b);
    for (int i = 0; i <= b->cyld_ns; ++i) {
        if (is_sect_type1(i))
            span_flow(i, 0);
        else if (is_sect_type0(i))
            span_flow_axial(i);
    }
    calc_integral(src->cyld_VART >= kFirstAnalysisTask ? 1 : 0);
    make_current(src);
    return b;
}

bdLocals* add_probdata(bdLocals* src, bdLocals* dst, int pos) {
    if (dst == nullptr) return nullptr;
    // A merge past the destination's last element or streamline would write
    // outside its arrays; it is refused before anything changes.
    if (src == nullptr || !merge_fits(src, dst, pos)) {
        h2::report_error("add_probdata: source does not fit the destination\n");
        return nullptr;
    }
    for (const auto& f : kFields) {
        if (h2::is_element_array(f.kind))
            append_elem_array(src, element_array(dst, f), element_array(src, f), pos);
    }
    for (const auto& f : kFields) {
        if (h2::is_row_array(f.kind)) append_elem_matrix(src, row_table(dst, f), row_table(src, f), pos);
    }
    // The walk ends after the source's last element, so only its elements
    // 1..NS_src are merged.
    FillLoses(src, -1, dst, pos, 1);
    return dst;
}
}
