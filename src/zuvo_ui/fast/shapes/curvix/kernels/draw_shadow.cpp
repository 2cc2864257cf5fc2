#include "draw_shadow.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "../../../support/numeric.hpp"
#include "evaluators.hpp"
#include "opaque_blend.hpp"

namespace zuvo::draw {
namespace {

// How far the shadow reaches beyond the box, in sigmas: past it the
// coverage is below 0.0014, under half a unit of 255.
constexpr double kReach = 3.0;
// How far a quadrature node of a notch is followed, in sigmas, across rows
// and across columns: beyond, its Gaussian weight is below 3.4e-4 of its
// peak and its normal CDF within 3.2e-5 of 0 or 1.
constexpr double kWindow = 4.0;
// The arc is cut into panels of at most this many sigmas of arc, four
// Gauss-Legendre nodes to a panel.
constexpr double kPanel = 3.0;
// Nodes fixed for the whole draw: at most this many to a corner, and at most
// this many floats of table for all four.
constexpr double kMaxNodes = 2048;
constexpr double kMaxTable = 1 << 22;
// Nodes planned row by row (beyond those limits): at most this many panels.
constexpr int kRowPanels = 16;
// Runs of one alpha at least this long are blended as runs.
constexpr std::int32_t kLongRun = 16;

// The standard normal CDF, interpolated in a table of 1/256 steps over
// [-8, 8] (off by at most 5e-7); 0 and 1 beyond.
class NormalCdf {
public:
    NormalCdf() noexcept {
        for (int i = 0; i <= kSteps; ++i) {
            const double z = -kRange + i / kScale;
            value_[i] = 0.5 * std::erfc(-z * 0.7071067811865476);
        }
    }
    double operator()(double z) const noexcept {
        const double at = (z + kRange) * kScale;
        if (!(at > 0.0)) return 0.0;  // NaN too
        if (at >= kSteps) return 1.0;
        const auto i = static_cast<int>(at);
        const double f = at - i;
        return value_[i] + (value_[i + 1] - value_[i]) * f;
    }

private:
    static constexpr double kRange = 8.0, kScale = 256.0;
    static constexpr int kSteps = 2 * 8 * 256;
    double value_[kSteps + 1];
};

inline double normal_cdf(double z) noexcept {
    static const NormalCdf table;
    return table(z);
}

// One rounded corner: its arc's centre, its radius, and which way is out.
struct Corner {
    double cx, cy, r;
    double sx, sy;  // -1 or +1: the side the corner lies on
    double outer_x() const noexcept { return cx + sx * r; }  // the square's outer side
};

Corner corner(const ShadowPaint& p, int i) noexcept {
    const double r = p.radius[i];
    switch (i) {
        case 0: return {p.x0 + r, p.y0 + r, r, -1, -1};
        case 1: return {p.x1 - r, p.y0 + r, r, +1, -1};
        case 2: return {p.x1 - r, p.y1 - r, r, +1, +1};
        default: return {p.x0 + r, p.y1 - r, r, -1, +1};
    }
}

// The notch's blurred area at a pixel is an integral along the arc, in the
// angle theta from the straight side (y = cy + sy r sin theta):
//   sum over nodes of w(theta) r cos(theta) g(py - y) (C(x) - C(outer))
// with g the Gaussian, C(x) = normal_cdf((x - px) / sigma), and the sign
// flipped on the right corners, whose notch runs from the arc out.

// The arc's angles whose rows lie within `window` sigmas of the rows
// [lo, hi]; false when there are none.
bool arc_within(const Corner& c, double lo, double hi, double sigma, double window, double& a,
                double& b) noexcept {
    const double t1 = c.sy * (lo - window * sigma - c.cy), t2 = c.sy * (hi + window * sigma - c.cy);
    const double t_lo = std::max(std::min(t1, t2), 0.0), t_hi = std::min(std::max(t1, t2), c.r);
    if (!(t_lo < t_hi)) return false;
    a = std::asin(std::min(t_lo / c.r, 1.0));
    b = std::asin(std::min(t_hi / c.r, 1.0));
    return true;
}

// Columns [lo, hi) of the box's rows.
struct Span {
    std::int32_t lo = 0, hi = 0;
};

// The panels of kPanel sigmas that the arc between angles a and b needs: at
// least 1 (NaN too), possibly infinitely many.
double panels_for(const Corner& c, double a, double b, double sigma) noexcept {
    const double panels = (b - a) * c.r / (kPanel * sigma);
    return panels > 1.0 ? std::ceil(panels) : 1.0;
}

// The 4 * panels nodes of the arc between angles a and b: their x, their y,
// and their weights without the Gaussian of the row, in order of angle.
void arc_nodes(const Corner& c, double a, double b, int panels, double sigma, double* x, double* y,
               double* weight) noexcept {
    // Gauss-Legendre with four nodes on [-1, 1].
    static constexpr double node[4] = {-0.8611363115940526, -0.33998104358485626, 0.33998104358485626,
                                       0.8611363115940526};
    static constexpr double node_weight[4] = {0.34785484513745357, 0.6521451548625464, 0.6521451548625464,
                                              0.34785484513745357};
    const double norm = 1.0 / (sigma * 2.5066282746310002);  // the Gaussian's peak
    for (int p = 0, at = 0; p < panels; ++p) {
        const double lo = a + (b - a) * p / panels, hi = a + (b - a) * (p + 1) / panels;
        const double mid = (lo + hi) * 0.5, half = (hi - lo) * 0.5;
        for (int k = 0; k < 4; ++k, ++at) {
            const double theta = mid + node[k] * half;
            x[at] = c.cx + c.sx * c.r * std::cos(theta);
            y[at] = c.cy + c.sy * c.r * std::sin(theta);
            weight[at] = node_weight[k] * half * c.r * std::cos(theta) * norm;
        }
    }
}

// Fixed nodes for every row: the arc within reach of the drawn rows.  Each
// node's normal CDF is taken once per column, and a row is then a weighted
// sum of those columns.  Corners needing too many nodes or too much table
// (sharp shadows of long arcs) take the per-row quadrature below.
class FixedNotch {
public:
    // Plans the nodes; false when there would be too many.
    bool plan(const Corner& c, PixelBox box, double sigma) noexcept {
        c_ = c;
        sigma_ = sigma;
        if (!arc_within(c, box.y0 + 0.5, box.y1 - 0.5, sigma, kWindow, a_, b_)) return true;  // never felt
        const double panels = panels_for(c, a_, b_, sigma);
        if (!(panels * 4 <= kMaxNodes)) return false;
        panels_ = static_cast<int>(panels);
        // The nodes lie on the arc between angles a and b, whose rows run
        // from one end to the other.
        const double ya = c.cy + c.sy * c.r * std::sin(a_), yb = c.cy + c.sy * c.r * std::sin(b_);
        row0_ = floor_clamped(std::min(ya, yb) - kWindow * sigma - 1.0, box.y0, box.y1);
        row1_ = ceil_clamped(std::max(ya, yb) + kWindow * sigma + 1.0, box.y0, box.y1);
        const double left = std::min(c.cx, c.outer_x()) - kWindow * sigma - box.x0;
        const double right = std::max(c.cx, c.outer_x()) + kWindow * sigma - box.x0;
        col0_ = floor_clamped(left - 1.0, 0, box.x1 - box.x0);
        cols_ = ceil_clamped(right + 1.0, 0, box.x1 - box.x0) - col0_;
        if (row0_ >= row1_ || cols_ <= 0) panels_ = 0;
        return static_cast<double>(table_size()) <= kMaxTable;
    }

    // The doubles the nodes need (their x, y and weights), and the floats of
    // their table (each node's CDF per column, then the outer side's).
    std::size_t node_size() const noexcept { return 12 * static_cast<std::size_t>(panels_); }
    std::size_t table_size() const noexcept {
        return panels_ ? (4 * static_cast<std::size_t>(panels_) + 1) * static_cast<std::size_t>(cols_) : 0;
    }

    void fill(double* nodes, float* table, std::int32_t x0) noexcept {
        count_ = 4 * panels_;
        x_ = nodes;
        y_ = x_ + count_;
        base_ = y_ + count_;
        cdf_ = table;
        arc_nodes(c_, a_, b_, panels_, sigma_, x_, y_, base_);
        for (int k = 0; k <= count_; ++k) {
            const double x = k < count_ ? x_[k] : c_.outer_x();
            float* row = table + static_cast<std::size_t>(k) * static_cast<std::size_t>(cols_);
            for (std::int32_t i = 0; i < cols_; ++i) {
                row[i] = static_cast<float>(normal_cdf((x - (x0 + col0_ + i + 0.5)) / sigma_));
            }
        }
    }

    // Whether the notch may be felt on the pixel row y, and the columns it may change.
    bool reaches(std::int32_t y) const noexcept { return count_ > 0 && y >= row0_ && y < row1_; }
    Span columns() const noexcept { return {col0_, col0_ + cols_}; }

    // Takes the notch off the pixel row y.
    void take_off(std::int32_t y, float* coverage) const noexcept {
        if (!reaches(y)) return;
        const double py = y + 0.5;
        float* cover = coverage + col0_;
        float weight_sum = 0;
        for (int k = 0; k < count_; ++k) {
            const double d = (py - y_[k]) / sigma_;
            if (!(std::fabs(d) <= kWindow)) continue;
            const auto w = static_cast<float>(c_.sx * base_[k] * std::exp(-0.5 * d * d));
            weight_sum += w;
            const float* cdf = cdf_ + static_cast<std::size_t>(k) * static_cast<std::size_t>(cols_);
            for (std::int32_t i = 0; i < cols_; ++i) cover[i] += w * cdf[i];
        }
        if (weight_sum == 0.0f) return;
        const float* outer = cdf_ + static_cast<std::size_t>(count_) * static_cast<std::size_t>(cols_);
        for (std::int32_t i = 0; i < cols_; ++i) cover[i] -= weight_sum * outer[i];
    }

private:
    Corner c_{};
    double sigma_ = 1, a_ = 0, b_ = 0;
    int panels_ = 0, count_ = 0;
    std::int32_t row0_ = 0, row1_ = 0, col0_ = 0, cols_ = 0;
    double* x_ = nullptr;
    double* y_ = nullptr;
    double* base_ = nullptr;
    const float* cdf_ = nullptr;
};

// The per-row quadrature of one corner: nodes along the part of the arc
// within kWindow sigmas of the row (their x), with weights that carry the
// Gaussian of their row, and each node's CDF taken at each pixel.
class RowNotch {
public:
    RowNotch(const Corner& c, double sigma) noexcept : c_(c), sigma_(sigma) {}

    // Whether the arc comes within kWindow sigmas of the row at py.
    static bool reaches(const Corner& c, double py, double sigma) noexcept {
        double a, b;
        return c.r > 0 && (arc_within(c, py, py, sigma, kWindow, a, b) || crosses(c, py));
    }

    // The columns of the box (from x0, `width` wide) near the corner, a
    // column wider on each side than near() says, which decides.
    static Span columns(const Corner& c, double sigma, std::int32_t x0, std::int32_t width) noexcept {
        const double lo = std::min(c.cx, c.outer_x()) - kWindow * sigma - x0;
        const double hi = std::max(c.cx, c.outer_x()) + kWindow * sigma - x0;
        return {floor_clamped(lo - 1, 0, width), ceil_clamped(hi + 1, 0, width)};
    }

    void take_off(double py, std::int32_t x0, std::int32_t width, float* coverage) noexcept {
        if (!(c_.r > 0) || !plan_row(py)) return;
        const Span near_columns = columns(c_, sigma_, x0, width);
        for (std::int32_t i = near_columns.lo; i < near_columns.hi; ++i) {
            const double px = x0 + i + 0.5;
            if (near(px)) coverage[i] -= static_cast<float>(notch_at(px));
        }
    }

private:
    // Whether the row at py crosses the arc (between its ends).
    static bool crosses(const Corner& c, double py) noexcept {
        const double t = c.sy * (py - c.cy);
        return t > 0 && t < c.r;
    }

    bool plan_row(double py) noexcept {
        count_ = 0;
        weight_sum_ = 0;
        double a, b;
        if (!arc_within(c_, py, py, sigma_, kWindow, a, b)) {
            // A window narrower than the rows' resolution (kWindow sigmas
            // below an ulp of the row): the notch's slice on this row.
            if (!crosses(c_, py)) return false;
            x_[0] = c_.cx + c_.sx * c_.r * std::cos(std::asin(c_.sy * (py - c_.cy) / c_.r));
            weight_[0] = weight_sum_ = 1;
            count_ = 1;
            return true;
        }
        const int panels = static_cast<int>(std::min(panels_for(c_, a, b, sigma_), double{kRowPanels}));
        arc_nodes(c_, a, b, panels, sigma_, x_, y_, weight_);
        count_ = 4 * panels;
        for (int k = 0; k < count_; ++k) {
            const double dy = (py - y_[k]) / sigma_;
            weight_[k] *= std::exp(-0.5 * dy * dy);
            weight_sum_ += weight_[k];
        }
        return true;
    }

    // Whether the pixel column px is near enough to the corner's square to feel it.
    bool near(double px) const noexcept {
        const double lo = std::min(c_.cx, c_.outer_x()), hi = std::max(c_.cx, c_.outer_x());
        return px >= lo - kWindow * sigma_ && px <= hi + kWindow * sigma_;
    }

    // The blurred area of the notch at the pixel column px.
    double notch_at(double px) const noexcept {
        double sum = 0;
        for (int k = 0; k < count_; ++k) sum += weight_[k] * normal_cdf((x_[k] - px) / sigma_);
        const double outer = weight_sum_ * normal_cdf((c_.outer_x() - px) / sigma_);
        // Left corners: the notch runs from the outer side in to the arc.
        return c_.sx < 0 ? sum - outer : outer - sum;
    }

    Corner c_;
    double sigma_;
    int count_ = 0;
    double x_[4 * kRowPanels], y_[4 * kRowPanels], weight_[4 * kRowPanels];
    double weight_sum_ = 0;
};

double span_cdf(double lo, double hi, double p, double sigma) noexcept {
    return normal_cdf((hi - p) / sigma) - normal_cdf((lo - p) / sigma);
}

// The shadow's coverage, row by row, in [0, 1]; and, on pixels without
// per-pixel alpha, each pixel's alpha round(alpha * coverage).  A row equal
// to the last one computed (no corner felt, the same vertical factor) is not
// computed again.
class ShadowRows {
public:
    ShadowRows(const ShadowPaint& p, PixelBox box, bool with_alpha, float* scratch) noexcept
        : p_(p), box_(box), width_(box.x1 - box.x0), with_alpha_(with_alpha), horizontal_(scratch),
          coverage_(scratch + width_), alpha_(reinterpret_cast<std::uint8_t*>(scratch + 2 * width_)),
          half_(width_) {
        // Columns i and x0 + x1 - 1 - i lie alike about the box when x0 + x1
        // is a whole number (exact below 2^40) and the radii match across;
        // when every column from the middle on mirrors one within the box,
        // those are copied.
        const double across = p.x0 + p.x1;
        if (p.radius[0] == p.radius[1] && p.radius[3] == p.radius[2] && std::fabs(across) < 0x1p40 &&
            across == std::floor(across)) {
            const std::int64_t mirror = static_cast<std::int64_t>(across) - 1 - 2 * std::int64_t{box.x0};
            if (mirror >= width_ - 1 && mirror / 2 + 1 < width_) {
                column_mirror_ = mirror;
                half_ = static_cast<std::int32_t>(mirror / 2 + 1);
            }
        }
        for (std::int32_t i = 0; i < half_; ++i) {
            horizontal_[i] = static_cast<float>(span_cdf(p.x0, p.x1, box.x0 + i + 0.5, p.sigma));
        }
        for (std::int32_t i = half_; i < width_; ++i) horizontal_[i] = horizontal_[column_mirror_ - i];
        std::size_t nodes = 0, table = 0;
        for (int c = 0; c < 4; ++c) {
            const Corner k = corner(p, c);
            kind_[c] = !(k.r > 0) ? Kind::none : fixed_[c].plan(k, box, p.sigma) ? Kind::fixed : Kind::per_row;
            if (kind_[c] == Kind::fixed && static_cast<double>(table + fixed_[c].table_size()) > kMaxTable) {
                kind_[c] = Kind::per_row;
            }
            if (kind_[c] == Kind::fixed) {
                nodes += fixed_[c].node_size();
                table += fixed_[c].table_size();
            }
        }
        if (table) {
            nodes_.reset(new (std::nothrow) double[nodes]);
            tables_.reset(new (std::nothrow) float[table]);
        }
        double* next_nodes = nodes_.get();
        float* next_table = tables_.get();
        for (int c = 0; c < 4; ++c) {
            if (kind_[c] != Kind::fixed || fixed_[c].table_size() == 0) continue;
            if (!next_nodes || !next_table) {  // no memory: the per-row quadrature needs none
                kind_[c] = Kind::per_row;
                continue;
            }
            fixed_[c].fill(next_nodes, next_table, box.x0);
            next_nodes += fixed_[c].node_size();
            next_table += fixed_[c].table_size();
        }
        // Rows y and y0 + y1 - 1 - y lie alike about the box when y0 + y1 is
        // a whole number (exact below 2^40) and the radii match across.
        const double sum = p.y0 + p.y1;
        if (p.radius[0] == p.radius[3] && p.radius[1] == p.radius[2] && std::fabs(sum) < 0x1p40 &&
            sum == std::floor(sum)) {
            row_mirror_ = static_cast<std::int64_t>(sum) - 1;
            const std::int64_t rows = std::min<std::int64_t>(box.y1, row_mirror_ / 2 + 1) - box.y0;
            if (rows > 0 && row_mirror_ >= 0) {
                const std::size_t row_bytes = static_cast<std::size_t>(width_) * (with_alpha ? sizeof(float) : 1);
                saved_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(rows) * row_bytes]);
            }
        }
    }

    // Computes the pixel row y: taken from the row it mirrors when that one
    // was computed, otherwise computed (unless it equals the last).
    void compute(std::int32_t y) noexcept {
        const std::int64_t mirror = row_mirror_ - y;
        const std::size_t row_bytes = static_cast<std::size_t>(width_) * (with_alpha_ ? sizeof(float) : 1);
        void* row = with_alpha_ ? static_cast<void*>(coverage_) : static_cast<void*>(alpha_);
        if (saved_ && mirror < y && mirror >= box_.y0) {
            std::memcpy(row, saved_.get() + static_cast<std::size_t>(mirror - box_.y0) * row_bytes, row_bytes);
            last_vertical_ = std::nan("");
            return;
        }
        compute_row(y);
        if (saved_ && y <= mirror) {
            std::memcpy(saved_.get() + static_cast<std::size_t>(y - box_.y0) * row_bytes, row, row_bytes);
        }
    }
    const float* coverage() const noexcept { return coverage_; }
    const std::uint8_t* alpha() const noexcept { return alpha_; }

private:
    void compute_row(std::int32_t y) noexcept {
        const double py = y + 0.5;
        const double vertical = span_cdf(p_.y0, p_.y1, py, p_.sigma);
        // The columns of the corners felt on this row: those computed, and
        // those (when the columns mirror) entirely in the right half, copied
        // from their mirror images.
        Span computed[4], copied[4];
        bool felt[4] = {};
        int count = 0, copies = 0;
        for (int c = 0; c < 4; ++c) {
            Span span;
            if (kind_[c] == Kind::fixed && fixed_[c].reaches(y)) {
                span = fixed_[c].columns();
            } else if (kind_[c] == Kind::per_row && RowNotch::reaches(corner(p_, c), py, p_.sigma)) {
                span = RowNotch::columns(corner(p_, c), p_.sigma, box_.x0, width_);
            } else {
                continue;
            }
            if (span.lo >= half_) {
                copied[copies++] = span;
            } else {
                felt[c] = true;
                computed[count++] = span;
            }
        }
        if (count + copies == 0 && vertical == last_vertical_) return;
        last_vertical_ = count + copies ? std::nan("") : vertical;
        count = join(computed, count);
        Span all[8];
        std::copy(computed, computed + count, all);
        std::copy(copied, copied + copies, all + count);
        const int gaps = join(all, count + copies);
        // Locals, not members: a byte store could otherwise change them.
        const auto v = static_cast<float>(vertical);
        const float alpha = p_.colour.a;
        const float* horizontal = horizontal_;
        float* coverage = coverage_;
        std::uint8_t* bytes = alpha_;
        // Away from the corners every product lies in [0, 1].
        if (with_alpha_) {
            for (std::int32_t i = 0, n = width_; i < n; ++i) coverage[i] = horizontal[i] * v;
        } else {
            for (int k = 0; k <= gaps; ++k) {
                const std::int32_t from = k ? all[k - 1].hi : 0, to = k < gaps ? all[k].lo : width_;
                for (std::int32_t i = from; i < to; ++i) {
                    bytes[i] = static_cast<std::uint8_t>(static_cast<std::int32_t>(horizontal[i] * v * alpha + 0.5f));
                }
            }
            for (int k = 0; k < count; ++k) {
                for (std::int32_t i = computed[k].lo, n = computed[k].hi; i < n; ++i) coverage[i] = horizontal[i] * v;
            }
        }
        for (int c = 0; c < 4; ++c) {
            if (!felt[c]) continue;
            if (kind_[c] == Kind::fixed) {
                fixed_[c].take_off(y, coverage);
            } else {
                RowNotch(corner(p_, c), p_.sigma).take_off(py, box_.x0, width_, coverage);
            }
        }
        // Near them clamped to [0, 1] (NaN as 0), so that the conversion is defined.
        for (int k = 0; k < count; ++k) {
            for (std::int32_t i = computed[k].lo, n = computed[k].hi; i < n; ++i) {
                const float c = coverage[i];
                coverage[i] = c > 0.0f ? (c < 1.0f ? c : 1.0f) : 0.0f;
            }
            if (with_alpha_) continue;
            for (std::int32_t i = computed[k].lo, n = computed[k].hi; i < n; ++i) {
                bytes[i] = static_cast<std::uint8_t>(static_cast<std::int32_t>(coverage[i] * alpha + 0.5f));
            }
        }
        for (int k = 0; k < copies; ++k) {
            const Span to = copied[k];
            const std::int64_t from = column_mirror_ - to.lo;  // the mirror of its first column, counting down
            if (with_alpha_) {
                mirror_into(coverage + to.lo, coverage + from, to.hi - to.lo);
            } else {
                mirror_into(bytes + to.lo, bytes + from, to.hi - to.lo);
            }
        }
    }

    // Sorts spans by their start and joins those that meet; returns how many remain.
    static int join(Span* spans, int count) noexcept {
        std::sort(spans, spans + count, [](Span a, Span b) { return a.lo < b.lo; });
        int joined = 0;
        for (int k = 0; k < count; ++k) {
            if (joined && spans[k].lo <= spans[joined - 1].hi) {
                spans[joined - 1].hi = std::max(spans[joined - 1].hi, spans[k].hi);
            } else {
                spans[joined++] = spans[k];
            }
        }
        return joined;
    }

    // to[k] = from[-k] for k below n.
    template <class T>
    static void mirror_into(T* to, const T* from, std::int32_t n) noexcept {
        for (std::int32_t k = 0; k < n; ++k) to[k] = *(from - k);
    }

    enum class Kind : std::uint8_t { none, fixed, per_row };
    const ShadowPaint& p_;
    PixelBox box_;
    std::int32_t width_;
    bool with_alpha_;
    float* horizontal_;
    float* coverage_;
    std::uint8_t* alpha_;
    double last_vertical_ = std::nan("");
    Kind kind_[4];
    FixedNotch fixed_[4];
    std::unique_ptr<double[]> nodes_;
    std::unique_ptr<float[]> tables_;
    // The columns computed, and the one that column i >= half_ mirrors:
    // column_mirror_ - i.
    std::int32_t half_;
    std::int64_t column_mirror_ = 0;
    // With the box and its radii symmetric about a row boundary, row y has
    // the coverage of row row_mirror_ - y: the rows of the upper half, kept.
    std::int64_t row_mirror_ = 0;
    std::unique_ptr<std::uint8_t[]> saved_;
};

// One pixel without per-pixel alpha, as draw_rect blends: the colour with
// its alpha scaled by the coverage and rounded to a byte (which runs of one
// alpha share).  With per-pixel alpha, the colour is blended at the coverage.
inline void blend_alpha(std::uint8_t* pixel, const PixelRows& px, Colour colour, std::uint8_t a) noexcept {
    colour.a = a;
    blend_over(pixel, px, colour, 1.0f);
}

// Whether the 8 bytes from `p` are all equal.
inline bool same_eight(const std::uint8_t* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word == 0x0101010101010101u * p[0];
}

// Where the run of bytes equal to row[i] ends (row[i] included), before `end`.
std::int32_t run_end(const std::uint8_t* row, std::int32_t i, std::int32_t end) noexcept {
    const std::uint8_t v = row[i++];
    const std::uint64_t all = 0x0101010101010101u * v;
    for (; i + 8 <= end; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, row + i, 8);
        if (const std::uint64_t differ = word ^ all) {
            return i + (std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                   : std::countl_zero(differ)) / 8;
        }
    }
    while (i < end && row[i] == v) ++i;
    return i;
}

// The fixed-point weights of each alpha the shadow can take on pixels without
// per-pixel alpha (those of an alpha that covers nothing leave the pixel as
// it is), as OpaqueBlend and as lanes.
struct OpaqueWeights {
    OpaqueBlend blend[256];
    OpaqueLanes lanes[256];
    bool covers[256] = {};  // false where the pixel stays as it is
    bool fit = true;        // every one fits the vector blends

    OpaqueWeights(const PixelRows& px, Colour colour) noexcept {
        const auto top = static_cast<std::uint8_t>(colour.a + 0.5f);
        for (int a = 0; a <= top; ++a) {
            colour.a = static_cast<float>(a);
            OpaqueBlend& w = blend[a];
            covers[a] = opaque_blend_of(px, colour, 1.0f, w);
            if (!covers[a]) {
                for (std::uint32_t& keep : w.keep) keep = 256;
            }
            lanes[a] = opaque_lanes_of(w);
            fit = fit && fits_sixteen_bits(w);
        }
    }
};

// How a row of alphas is blended: the runs of one alpha long enough to
// blend as runs, and the weights of each pixel between them as lanes, made
// again only when the row differs from the last.  A run of kLongRun covers a
// whole block of 8 columns from its start onwards: only blocks all of one
// alpha are looked at more closely.  The pixels between runs go in blocks of
// 8 where a run can give up the pixels that make them so (the vector blends'
// widths divide 8).  Without memory for it, a plan has no runs and makes its
// lanes every row.
class RowPlan {
public:
    RowPlan(std::int32_t width, const OpaqueWeights& weights) noexcept : width_(width), weights_(weights) {
        const auto n = static_cast<std::size_t>(width);
        runs_.reset(new (std::nothrow) Span[n / kLongRun + 1]);
        last_.reset(new (std::nothrow) std::uint8_t[n]);
        lanes_.reset(new (std::nothrow) std::uint16_t[8 * n]);
        if (!runs_ || !last_ || !lanes_) width_ = 0;
    }
    bool usable() const noexcept { return width_ > 0; }

    // Plans the row (unless it is the last one planned).
    void plan(const std::uint8_t* alpha) noexcept {
        const auto n = static_cast<std::size_t>(width_);
        if (known_ && std::memcmp(alpha, last_.get(), n) == 0) return;
        std::memcpy(last_.get(), alpha, n);
        known_ = true;
        find_runs(alpha);
        std::int32_t from = 0;
        for (const Span& run : *this) {
            expand(alpha, from, run.lo);
            from = run.hi;
        }
        expand(alpha, from, width_);
    }

    const Span* begin() const noexcept { return runs_.get(); }
    const Span* end() const noexcept { return runs_.get() + count_; }
    // The weights of the pixels from column `from`.
    LaneRow lanes(std::int32_t from) const noexcept {
        const std::uint16_t* l = lanes_.get() + 2 * from;
        const auto n = static_cast<std::size_t>(2 * width_);
        return {l, l + n, l + 2 * n, l + 3 * n};
    }

private:
    void find_runs(const std::uint8_t* alpha) noexcept {
        count_ = 0;
        std::int32_t pending = 0;  // the first column after the last run
        for (std::int32_t k = 0; k + 8 <= width_;) {
            if (!same_eight(alpha + k)) {
                k += 8;
                continue;
            }
            std::int32_t start = k;
            while (start > pending && alpha[start - 1] == alpha[k]) --start;
            const std::int32_t end = run_end(alpha, k, width_);
            if (end - start >= kLongRun) {
                const std::int32_t short_by = (8 - (start - pending) % 8) % 8;
                if (end - start - short_by >= 8) start += short_by;
                runs_[count_++] = {start, end};
                pending = end;
            }
            k = end;
        }
        if (count_ > 0) {  // the pixels after the last run
            Span& last = runs_[count_ - 1];
            const std::int32_t short_by = (8 - (width_ - last.hi) % 8) % 8;
            if (last.hi - last.lo - short_by >= 8) last.hi -= short_by;
        }
    }

    void expand(const std::uint8_t* alpha, std::int32_t from, std::int32_t to) noexcept {
        const auto n = static_cast<std::size_t>(2 * width_);
        std::uint16_t* add_lo = lanes_.get();
        for (std::int32_t i = from; i < to; ++i) {
            const OpaqueLanes& w = weights_.lanes[alpha[i]];
            const auto at = static_cast<std::size_t>(2 * i);
            std::memcpy(add_lo + at, w.add_lo, 4);
            std::memcpy(add_lo + n + at, w.keep_lo, 4);
            std::memcpy(add_lo + 2 * n + at, w.add_hi, 4);
            std::memcpy(add_lo + 3 * n + at, w.keep_hi, 4);
        }
    }

    std::int32_t width_;
    const OpaqueWeights& weights_;
    std::unique_ptr<Span[]> runs_;
    std::unique_ptr<std::uint8_t[]> last_;
    std::unique_ptr<std::uint16_t[]> lanes_;
    std::int32_t count_ = 0;
    bool known_ = false;
};

inline std::uint8_t* row_start(const PixelRows& px, std::int32_t x, std::int32_t y) noexcept {
    return px.base + y * px.pitch + static_cast<std::ptrdiff_t>(x) * px.bytes_per_pixel;
}

}  // namespace

PixelBox shadow_pixels(const ShadowPaint& p, PixelBox clip) noexcept {
    if (clip.empty()) return {};
    const double reach = kReach * p.sigma;
    PixelBox box{floor_clamped(p.x0 - reach, clip.x0, clip.x1), floor_clamped(p.y0 - reach, clip.y0, clip.y1),
                 ceil_clamped(p.x1 + reach, clip.x0, clip.x1), ceil_clamped(p.y1 + reach, clip.y0, clip.y1)};
    return box.empty() ? PixelBox{} : box;
}

PixelBox draw_shadow_plain(const PixelRows& px, const ShadowPaint& p, PixelBox clip,
                           float* scratch) noexcept {
    const PixelBox box = shadow_pixels(p, clip);
    if (box.empty()) return box;
    const bool with_alpha = px.alpha >= 0;
    ShadowRows rows(p, box, with_alpha, scratch);
    for (std::int32_t y = box.y0; y < box.y1; ++y) {
        rows.compute(y);
        std::uint8_t* pixel = row_start(px, box.x0, y);
        for (std::int32_t i = 0; i < box.x1 - box.x0; ++i, pixel += px.bytes_per_pixel) {
            if (with_alpha) {
                blend_over(pixel, px, p.colour, rows.coverage()[i]);
            } else {
                blend_alpha(pixel, px, p.colour, rows.alpha()[i]);
            }
        }
    }
    return box;
}

PixelBox draw_shadow(const PixelRows& px, const ShadowPaint& p, PixelBox clip, float* scratch,
                     const Blends& blends) noexcept {
    // Runs are blended in another order than the plain form's: they need
    // rows that do not overlap and whole pixels.
    const std::int32_t bytes = px.bytes_per_pixel;
    if ((bytes != 3 && bytes != 4) || px.pitch < static_cast<std::ptrdiff_t>(px.width) * bytes) {
        return draw_shadow_plain(px, p, clip, scratch);
    }
    const PixelBox box = shadow_pixels(p, clip);
    if (box.empty()) return box;
    const std::int32_t width = box.x1 - box.x0;
    ShadowRows rows(p, box, px.alpha >= 0, scratch);
    if (px.alpha >= 0) {
        for (std::int32_t y = box.y0; y < box.y1; ++y) {
            rows.compute(y);
            (bytes == 4 ? blends.over : blend_over_each)(row_start(px, box.x0, y), width, px, p.colour,
                                                         rows.coverage());
        }
        return box;
    }
    const OpaqueWeights weights(px, p.colour);
    RowPlan plan(width, weights);
    const bool per_pixel = bytes == 3 || !weights.fit || !plan.usable();
    for (std::int32_t y = box.y0; y < box.y1; ++y) {
        rows.compute(y);
        const std::uint8_t* alpha = rows.alpha();
        std::uint8_t* row = row_start(px, box.x0, y);
        if (per_pixel) {
            for (std::int32_t i = 0; i < width; ++i, row += bytes) blend_opaque_pixel(row, weights.blend[alpha[i]], bytes);
            continue;
        }
        // The long runs through blend_run (none where the alpha covers
        // nothing), the pixels between them through blend_each.
        plan.plan(alpha);
        std::int32_t from = 0;
        for (const Span& run : plan) {
            if (from < run.lo) blends.each(row + 4 * from, run.lo - from, plan.lanes(from));
            const std::uint8_t a = alpha[run.lo];
            if (weights.covers[a]) blends.run(row + 4 * run.lo, run.hi - run.lo, weights.blend[a]);
            from = run.hi;
        }
        if (from < width) blends.each(row + 4 * from, width - from, plan.lanes(from));
    }
    return box;
}

PixelBox draw_shadow(const PixelRows& px, const ShadowPaint& paint, PixelBox clip, float* scratch) noexcept {
    return draw_shadow(px, paint, clip, scratch, best_blends());
}

}  // namespace zuvo::draw
