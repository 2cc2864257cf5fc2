// The writes of the outline transform's run-filling driver (outline_rows.cpp):
// runs of one row cleared, filled with the settled result, repeated from one
// evaluated column, or copied from the row above.  Interleaved pixels take
// 32-bit stores and row copies; surfaces too large for the cache take
// streaming stores for their settled runs.  Not for the instruction-set units.
#pragma once

// Inline code compiled for one instruction set must not reach the others.
#ifdef ZUVO_INSTRUCTION_SET_UNIT
#error "not for the instruction-set units: see simd/lanes.hpp"
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "../../../support/plane.hpp"
#include "outline_pixel.hpp"
#include "runs.hpp"

namespace zuvo::curvix {

class RunWriter {
public:
    RunWriter(const PixelPlanes& px, const OutlineTransformShape& s,
              const OutlineTransformConstants& k)
        : px_(px), has_bg_(s.has_bg) {
        interleaved_ = find_interleaving(px, s.w, s.h, pixels_);
        const std::int64_t rows = s.h;
        const std::int64_t row_bytes = std::abs(static_cast<std::int64_t>(pixels_.y_stride));
        streaming_ = interleaved_ && rows * row_bytes >= kStreamingBytes;
        settled_ = settled_result(k);
    }

    void clear_alpha(std::int32_t y, std::int32_t x0, std::int32_t x1) const {
        for (std::int32_t x = x0; x < x1; ++x) px_.alpha.at(x, y) = 0;
    }

    // Columns [x0, x1) get the result of column `from`, evaluated just now:
    // all four channels when it had them written, else only its cleared alpha.
    void repeat_column(std::int32_t y, std::int32_t from, std::int32_t x0, std::int32_t x1,
                       bool all_channels) const {
        if (x0 >= x1) return;
        if (!all_channels) {
            clear_alpha(y, x0, x1);
        } else if (interleaved_) {
            std::uint32_t word;
            std::memcpy(&word, pixels_.at(from, y), 4);
            fill_words(pixels_.at(x0, y), x1 - x0, word);
        } else {
            for (const Plane* p : {&px_.red, &px_.green, &px_.blue, &px_.alpha}) {
                const std::uint8_t v = p->at(from, y);
                for (std::int32_t x = x0; x < x1; ++x) p->at(x, y) = v;
            }
        }
    }

    // Columns [x0, x1) as they are in row y - 1.
    void copy_previous(std::int32_t y, std::int32_t x0, std::int32_t x1) const {
        if (x0 >= x1) return;
        if (interleaved_) {
            std::uint8_t* to = pixels_.at(x0, y);
            std::memcpy(to, to - pixels_.y_stride, static_cast<std::size_t>(x1 - x0) * 4);
            return;
        }
        for (const Plane* p : {&px_.red, &px_.green, &px_.blue, &px_.alpha}) {
            for (std::int32_t x = x0; x < x1; ++x) p->at(x, y) = p->at(x, y - 1);
        }
    }

    // Columns [x0, x1) get the settled result; without a background settled
    // pixels are left untouched.
    void fill_settled(std::int32_t y, std::int32_t x0, std::int32_t x1) const {
        if (!has_bg_ || x0 >= x1) return;
        if (settled_.clear) {
            clear_alpha(y, x0, x1);
        } else if (interleaved_) {
            std::uint8_t* at = pixels_.at(x0, y);
            if (streaming_) {
                stream_words(at, x1 - x0, settled_.word);
            } else {
                fill_words(at, x1 - x0, settled_.word);
            }
        } else {
            for (std::int32_t x = x0; x < x1; ++x) {
                px_.red.at(x, y) = settled_.rgba[0];
                px_.green.at(x, y) = settled_.rgba[1];
                px_.blue.at(x, y) = settled_.rgba[2];
                px_.alpha.at(x, y) = settled_.rgba[3];
            }
        }
    }

    void finish() const noexcept {
        if (streaming_) finish_streaming();
    }

private:
    // Surfaces at least this large have their settled runs written with
    // non-temporal stores: such a surface does not stay in the cache between
    // calls anyway (4096 x 4096 after a fill: 7.1 ms with ordinary stores,
    // 3.3 ms streaming).  Below it the cache wins (2048 x 2048 called alone:
    // 0.84 ms ordinary, 0.91 ms streaming).
    static constexpr std::int64_t kStreamingBytes = std::int64_t{32} << 20;

    // What every settled pixel becomes: sa is exactly +0 and ba_eff exactly
    // bg_alpha_mult there, so one evaluation of the blend serves every row.
    struct Settled {
        bool clear;
        std::uint8_t rgba[4];
        std::uint32_t word;  // rgba in the pixel's byte order, when interleaved
    };

    Settled settled_result(const OutlineTransformConstants& k) const {
        Settled r{};
        if (!has_bg_) return r;
        const pixel::Result p = pixel::over_background(k, 0.0f, k.bg_alpha_mult);
        r.clear = p.clear;
        if (r.clear) return r;
        const std::uint8_t rgba[4] = {p.r, p.g, p.b, p.a};
        std::copy(rgba, rgba + 4, r.rgba);
        r.word = pixels_.word(rgba);
        return r;
    }

    const PixelPlanes& px_;
    bool has_bg_;
    bool interleaved_ = false;
    bool streaming_ = false;
    InterleavedPixels pixels_;
    Settled settled_{};
};

}  // namespace zuvo::curvix
