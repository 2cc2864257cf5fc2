// The curvix pixel kernels tested with no Python, so that the same tests run
// on every architecture (cross-compiled under qemu-user too).
//
// Every available path of the outline transform (each instruction set, with
// and without run filling) runs on one copy of a pixel buffer and the plain
// scalar kernel on another; the whole buffers, padding included, must be
// equal, so a path that writes a byte the scalar kernel does not (or misses
// one) fails as well.  The cases follow tests/test_kernel_paths.py: seeded
// random ones, chosen edge cases (NaN, infinities, values near the float
// range), layouts whose cells share bytes, and one surface over 32 MiB.
// The other kernels (the generators' and the corner transform's) run on the
// same layouts: each path against their scalar kernels, byte for byte, and
// the scalar kernels must write nothing outside their own cells.
//
// The paths are compared within one build; to catch a compiler or processor
// that changes the scalar kernel itself (contracted multiply-adds, another
// float-to-integer rule), every output buffer of the scalar kernels also goes
// into one digest, which `--digest HEX` holds against another build's
// (`--digest-only` prints it and skips the paths).
//
// The draw kernel (rounded rectangles drawn onto 24- and 32-bit pixels) runs
// its fast form on every path against its plain per-pixel form, byte for
// byte over whole buffers (padding and the pixels outside the clip box
// included), on seeded random cases over every pixel layout it draws on; its
// plain outputs go into a digest of their own, so the existing kernels'
// digest stays what it was.  `--digest` takes both as "KERNELS-DRAW".
//
// Prints one line per path with its case count and ends with the line
// "N passed, M failed"; exits with 1 on any failure.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "../../src/zuvo_ui/fast/shapes/curvix/kernels/corner_runs.hpp"
#include "../../src/zuvo_ui/fast/shapes/curvix/kernels/draw_rect.hpp"
#include "../../src/zuvo_ui/fast/shapes/curvix/kernels/draw_shadow.hpp"
#include "../../src/zuvo_ui/fast/shapes/curvix/kernels/fast.hpp"

namespace {

using namespace zuvo;
using namespace zuvo::curvix;
using Bytes = std::vector<std::uint8_t>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// splitmix64: seeded, and the same sequence on every target.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1p-53 < p; }
    float uniform(double lo, double hi) {
        return static_cast<float>(lo + (hi - lo) * (static_cast<double>(next() >> 11) * 0x1p-53));
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 56); }
    template <class T, std::size_t N>
    T pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

private:
    std::uint64_t state_;
};

// A 64-bit digest of byte strings, the same on every target.
class Digest {
public:
    void add(const Bytes& bytes) {
        mix(bytes.size());
        std::size_t i = 0;
        for (; i + 8 <= bytes.size(); i += 8) {
            std::uint64_t word = 0;
            for (int b = 7; b >= 0; --b) word = word << 8 | bytes[i + b];
            mix(word);
        }
        for (; i < bytes.size(); ++i) mix(bytes[i]);
    }
    std::uint64_t value() const { return state_; }

private:
    void mix(std::uint64_t v) {
        state_ = (state_ ^ v) * 0x100000001B3ull;
        state_ ^= state_ >> 29;
    }
    std::uint64_t state_ = 0xCBF29CE484222325ull;
};

// --- pixel buffers in the layouts the kernels meet -------------------------------

// Where one plane lies in a buffer: byte offset of cell (0, 0) and strides.
struct PlaneAt {
    std::ptrdiff_t offset = 0, x_stride = 0, y_stride = 0;
};

// A w x h surface: its bytes and its red, green, blue and alpha planes.
struct Surface {
    int w = 0, h = 0;
    Bytes bytes;
    PlaneAt at[4];

    PixelPlanes planes(Bytes& buf) const {
        const auto plane = [&](const PlaneAt& p) {
            return Plane{buf.data() + p.offset, w, h, p.x_stride, p.y_stride};
        };
        return {plane(at[0]), plane(at[1]), plane(at[2]), plane(at[3])};
    }
    std::ptrdiff_t offset_of(int channel, int x, int y) const {
        const PlaneAt& p = at[channel];
        return p.offset + x * p.x_stride + y * p.y_stride;
    }
};

// 4-byte pixels with channels in `order`, `pad` pixels of margin on every
// side split around the surface, `extra` more bytes at the end of each row,
// and optionally rows bottom-up or columns right to left.
Surface interleaved(int w, int h, const char* order, int pad, int extra, bool flip_x = false,
                    bool flip_y = false) {
    Surface s;
    s.w = w;
    s.h = h;
    const std::ptrdiff_t pitch = std::ptrdiff_t{w + pad} * 4 + extra;
    s.bytes.resize(static_cast<std::size_t>(pitch * (h + pad)));
    const int x0 = pad / 2 + (flip_x ? std::max(w - 1, 0) : 0);
    const int y0 = pad / 2 + (flip_y ? std::max(h - 1, 0) : 0);
    for (int c = 0; c < 4; ++c) {
        const std::ptrdiff_t channel = std::strchr(order, "RGBA"[c]) - order;
        s.at[c] = {y0 * pitch + x0 * 4 + channel, flip_x ? -4 : 4, flip_y ? -pitch : pitch};
    }
    return s;
}

// Four separate planes in one buffer, each column-major ([x][y]), so that no
// 32-bit pixel stores apply.
Surface planar(int w, int h, const char* order, int pad) {
    Surface s;
    s.w = w;
    s.h = h;
    const std::ptrdiff_t plane_bytes = std::ptrdiff_t{w + pad} * (h + pad);
    s.bytes.resize(static_cast<std::size_t>(4 * plane_bytes));
    for (int c = 0; c < 4; ++c) {
        const std::ptrdiff_t index = std::strchr(order, "RGBA"[c]) - order;
        s.at[c] = {index * plane_bytes + pad, h + pad, 1};
    }
    return s;
}

// 4-byte RGBA pixels in rows `step` bytes apart, less than a row, so that
// neighbouring rows share bytes.
Surface rows_apart(int w, int h, std::ptrdiff_t step) {
    Surface s;
    s.w = w;
    s.h = h;
    s.bytes.resize(static_cast<std::size_t>(4 * w + step * std::max(h - 1, 0) + 8));
    for (int c = 0; c < 4; ++c) s.at[c] = {c, 4, step};
    return s;
}

struct Layout {
    const char* name;
    Surface (*make)(int w, int h);
};

const Layout kLayouts[] = {
    {"RGBA", [](int w, int h) { return interleaved(w, h, "RGBA", 0, 0); }},
    {"BGRA", [](int w, int h) { return interleaved(w, h, "BGRA", 0, 0); }},
    {"ARGB subsurface", [](int w, int h) { return interleaved(w, h, "ARGB", 6, 0); }},
    {"BGRA, pitch 3 bytes wider", [](int w, int h) { return interleaved(w, h, "BGRA", 0, 3); }},
    {"RGBA bottom-up", [](int w, int h) { return interleaved(w, h, "RGBA", 2, 0, false, true); }},
    {"RGBA right to left", [](int w, int h) { return interleaved(w, h, "RGBA", 2, 0, true, false); }},
    {"planar", [](int w, int h) { return planar(w, h, "RGBA", 3); }},
};

// Layouts whose cells share bytes: every path must write them as the scalar
// kernel does, pixel after pixel (vectors, runs and row copies would not).
const Layout kSharedLayouts[] = {
    {"rows overlap by a pixel", [](int w, int h) { return rows_apart(w, h, std::max(4 * w - 4, 0)); }},
    {"rows one pixel apart", [](int w, int h) { return rows_apart(w, h, 4); }},
    {"every row the same", [](int w, int h) { return rows_apart(w, h, 0); }},
    {"alpha on red",
     [](int w, int h) {
         Surface s = interleaved(w, h, "RGBA", 2, 0);
         s.at[3] = s.at[0];
         return s;
     }},
};

Surface random_surface(const Layout& layout, int w, int h, std::uint64_t seed) {
    Surface s = layout.make(w, h);
    Rng rng(seed);
    for (std::uint8_t& b : s.bytes) b = rng.byte();
    return s;
}

// Where byte `offset` of `s` is, for messages.
std::string locate(const Surface& s, std::ptrdiff_t offset) {
    std::string where;
    for (int c = 0; c < 4; ++c) {
        for (int y = 0; y < s.h; ++y) {
            for (int x = 0; x < s.w; ++x) {
                if (s.offset_of(c, x, y) != offset) continue;
                char text[64];
                std::snprintf(text, sizeof text, "%s%c(%d, %d)", where.empty() ? "" : " = ",
                              "RGBA"[c], x, y);
                where += text;
            }
        }
    }
    return where.empty() ? "padding" : where;
}

// --- the outline transform's cases ----------------------------------------------

struct OutlineCase {
    int w = 0, h = 0;
    CornerRadii radii;
    float stroke = 0;
    Rgb rgb;
    int alpha = 255;
    bool has_bg = false;
    Rgb bg;
    int bg_alpha = -1;
};

std::string describe(const Layout& layout, const OutlineCase& c) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "%s %dx%d radii (%g, %g, %g, %g) stroke %g rgb (%d, %d, %d) alpha %d", layout.name,
                  c.w, c.h, c.radii.top_left, c.radii.top_right, c.radii.bottom_right,
                  c.radii.bottom_left, c.stroke, c.rgb.r, c.rgb.g, c.rgb.b, c.alpha);
    std::string out = text;
    if (c.has_bg) {
        std::snprintf(text, sizeof text, " bg (%d, %d, %d) bg alpha %d", c.bg.r, c.bg.g, c.bg.b,
                      c.bg_alpha);
        out += text;
    } else {
        out += " no bg";
    }
    return out;
}

const int kSizes[] = {0, 1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 33, 40, 64, 65, 101};
const int kLargerSizes[] = {127, 128, 129, 200, 255, 257, 300};
const float kRadii[] = {0.0f, -3.0f, 0.4f, 1.0f, 2.5f, 5.0f, 8.0f, 12.0f, 17.3f, 50.0f, 1e6f, -1e6f};
const float kStrokes[] = {0.0f, 0.3f, 1.0f, 1.5f, 2.0f, 2.7f, 4.0f, 7.5f, 30.0f, 200.0f, -0.5f, -3.0f};
// Beyond what the module passes on, but the kernels must still agree there.
const float kExtremes[] = {kNaN, kInf, -kInf, 3e38f, -3e38f};

Rgb random_rgb(Rng& rng) { return {rng.byte(), rng.byte(), rng.byte()}; }

OutlineCase random_case(Rng& rng) {
    OutlineCase c;
    c.w = rng.chance(0.05) ? rng.pick(kLargerSizes) : rng.pick(kSizes);
    c.h = rng.chance(0.05) ? rng.pick(kLargerSizes) : rng.pick(kSizes);
    const auto radius = [&]() {
        if (rng.chance(0.04)) return rng.pick(kExtremes);
        return rng.chance(0.7) ? rng.pick(kRadii) : rng.uniform(-2, 40);
    };
    if (rng.chance(0.5)) {
        const float r = radius();
        c.radii = {r, r, r, r};
    } else {
        c.radii = {radius(), radius(), radius(), radius()};
    }
    c.stroke = rng.chance(0.7) ? rng.pick(kStrokes) : rng.uniform(0, 12);
    if (rng.chance(0.15)) c.stroke = static_cast<float>(std::max(c.w, c.h) + rng.below(21));
    if (rng.chance(0.04)) c.stroke = rng.pick(kExtremes);
    c.rgb = random_rgb(rng);
    const int alphas[] = {0, 1, 127, 128, 254, 255, rng.below(256)};
    c.alpha = rng.pick(alphas);
    if (rng.chance(0.02)) c.alpha = rng.chance(0.5) ? 300 : -7;
    if (rng.chance(0.6)) {
        c.has_bg = true;
        c.bg = random_rgb(rng);
        const int bg_alphas[] = {-1, -1, 0, 1, 128, 255, rng.below(256)};
        c.bg_alpha = rng.pick(bg_alphas);
    }
    return c;
}

OutlineCase chosen(int w, int h, CornerRadii radii, float stroke, Rgb rgb, int alpha, bool has_bg,
                   Rgb bg, int bg_alpha) {
    return {w, h, radii, stroke, rgb, alpha, has_bg, bg, bg_alpha};
}

// Large runs, odd middles, values beyond the float range, alphas outside 0..255.
std::vector<OutlineCase> chosen_cases() {
    const Rgb none{};
    return {
        chosen(300, 200, {12, 12, 12, 12}, 2.0f, {255, 0, 0}, 255, true, {0, 255, 0}, 128),
        chosen(300, 200, {12, 12, 12, 12}, 2.0f, {255, 0, 0}, 200, false, none, -1),
        chosen(257, 129, {0, 40, 3, 90}, 3.5f, {10, 20, 30}, 90, true, {200, 100, 50}, -1),
        chosen(257, 129, {0, 40, 3, 90}, 3.5f, {10, 20, 30}, 90, false, none, -1),
        chosen(99, 77, {200, 200, 200, 200}, 1.0f, {1, 2, 3}, 255, true, {4, 5, 6}, 0),
        chosen(64, 64, {32, 32, 32, 32}, 64.0f, {9, 9, 9}, 255, true, {7, 7, 7}, 255),
        chosen(20, 20, {0, 0, 0, 0}, 1.5f, {255, 0, 0}, 255, false, none, -1),
        chosen(20, 20, {0, 0, 0, 0}, 1.5f, {255, 0, 0}, 255, true, {0, 255, 0}, 128),
        chosen(33, 17, {5, 5, 5, 5}, 2.0f, {255, 0, 0}, 0, true, {0, 0, 255}, 255),
        chosen(48, 30, {3e38f, 1, 2, 3}, 2.0f, {255, 255, 255}, 255, true, {0, 0, 0}, 77),
        chosen(48, 30, {4, 4, 4, 4}, -3e38f, {255, 255, 255}, 128, true, {0, 0, 0}, 77),
        chosen(48, 30, {4, 4, 4, 4}, 3e38f, {255, 255, 255}, 128, false, none, -1),
        chosen(48, 30, {kInf, 4, kNaN, 4}, 2.0f, {50, 60, 70}, 128, true, {1, 2, 3}, 200),
        chosen(48, 30, {kInf, 4, kNaN, 4}, 2.0f, {50, 60, 70}, 128, false, none, -1),
        chosen(48, 30, {6, 6, 6, 6}, kNaN, {50, 60, 70}, 128, true, {1, 2, 3}, 200),
        chosen(48, 30, {6, 6, 6, 6}, kNaN, {50, 60, 70}, 128, false, none, -1),
        chosen(48, 30, {6, 6, 6, 6}, kInf, {50, 60, 70}, 128, true, {1, 2, 3}, 200),
        chosen(48, 30, {6, 6, 6, 6}, -kInf, {50, 60, 70}, 128, false, none, -1),
        chosen(48, 30, {-kInf, kInf, -kInf, kInf}, 3.0f, {50, 60, 70}, 128, true, {1, 2, 3}, -1),
        chosen(48, 30, {6, 6, 6, 6}, 2.0f, {50, 60, 70}, 300, true, {1, 2, 3}, 200),
        chosen(48, 30, {6, 6, 6, 6}, 2.0f, {50, 60, 70}, -7, false, none, -1),
        chosen(61, 37, {1e6f, -1e6f, 1e6f, -1e6f}, 2.5f, {200, 10, 10}, 180, true, {20, 40, 60}, 100),
        chosen(61, 37, {9, 9, 4, 4}, 100.0f, {200, 10, 10}, 180, false, none, -1),
        chosen(61, 37, {9, 9, 4, 4}, -100.0f, {200, 10, 10}, 180, true, {20, 40, 60}, -1),
        chosen(1, 300, {0.5f, 0.5f, 0.5f, 0.5f}, 0.25f, {1, 1, 1}, 255, true, {2, 2, 2}, 255),
        chosen(300, 1, {0.5f, 0.5f, 0.5f, 0.5f}, 0.25f, {1, 1, 1}, 255, true, {2, 2, 2}, 255),
    };
}

// --- running and comparing ------------------------------------------------------

struct PathUnderTest {
    std::string name;
    KernelPath path;
    bool runs;
    long cases = 0, failed = 0;
};

template <class E>
void add_named(std::vector<PathUnderTest>& out, const char* name, E path, bool with_plain) {
    if (with_plain) out.push_back({name, path, false});
    out.push_back({std::string(name) + "+runs", path, true});
}

// Every path of the outline transform, available here or not: the scalar
// kernel with run filling, then each instruction set alone and with run
// filling.  An enumerator added to KernelPath later, and available here, is
// included by its number until it is named here.
template <class E>
std::vector<PathUnderTest> known_paths() {
    std::vector<PathUnderTest> out;
    const E named[] = {E::scalar, E::sse2, E::avx2, E::neon};
    add_named(out, "scalar", E::scalar, false);
    add_named(out, "sse2", E::sse2, true);
    add_named(out, "avx2", E::avx2, true);
    add_named(out, "neon", E::neon, true);
    for (int v = 0; v < 32; ++v) {
        const E path = static_cast<E>(v);
        if (std::find(std::begin(named), std::end(named), path) != std::end(named)) continue;
        if (!kernel_path_available(path)) continue;
        add_named(out, ("path " + std::to_string(v)).c_str(), path, true);
    }
    return out;
}

class Report {
public:
    void pass() { ++passed_; }
    void fail(const std::string& message) {
        ++failed_;
        if (++printed_ <= 20) std::printf("FAIL %s\n", message.c_str());
        if (printed_ == 21) std::printf("(further failures not shown)\n");
    }
    bool check(bool ok, const std::string& message) {
        ok ? pass() : fail(message);
        return ok;
    }
    long passed() const { return passed_; }
    long failed() const { return failed_; }

private:
    long passed_ = 0, failed_ = 0;
    int printed_ = 0;
};

// Empty when equal, else how many bytes differ and where the first one is.
std::string difference(const Surface& s, const Bytes& expected, const Bytes& got) {
    if (expected.size() != got.size()) return "buffer sizes differ";
    const auto first = std::mismatch(expected.begin(), expected.end(), got.begin());
    if (first.first == expected.end()) return {};
    long count = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) count += expected[i] != got[i];
    const std::ptrdiff_t offset = first.first - expected.begin();
    char text[160];
    std::snprintf(text, sizeof text, "%ld bytes differ, first at byte %td (%s): expected %d, got %d",
                  count, offset, locate(s, offset).c_str(), *first.first, *first.second);
    return text;
}

class OutlineChecks {
public:
    OutlineChecks(Report& report, std::vector<PathUnderTest>& paths, Digest& digest)
        : report_(report), paths_(paths), digest_(digest) {}

    // The scalar kernel on one copy, each available path on another.
    void run(const Layout& layout, const OutlineCase& c, std::uint64_t seed) {
        const Surface s = random_surface(layout, c.w, c.h, seed);
        const OutlineTransformShape shape = make_outline_transform(
            c.w, c.h, c.radii, c.stroke, c.rgb, c.alpha, c.has_bg, c.bg, c.bg_alpha);
        Bytes expected = s.bytes;
        transform_outline(s.planes(expected), shape);
        digest_.add(expected);
        ++buffers_;
        changed_ += expected != s.bytes;
        for (PathUnderTest& p : paths_) {
            if (!kernel_path_available(p.path)) continue;
            Bytes got = s.bytes;
            transform_outline_on(s.planes(got), shape, p.path, p.runs);
            ++p.cases;
            const std::string diff = difference(s, expected, got);
            if (!report_.check(diff.empty(), p.name + ", " + describe(layout, c) + ": " + diff)) {
                ++p.failed;
            }
        }
    }

    long buffers() const { return buffers_; }
    long changed() const { return changed_; }

private:
    Report& report_;
    std::vector<PathUnderTest>& paths_;
    Digest& digest_;
    long buffers_ = 0, changed_ = 0;
};

// The comparison itself: the scalar kernel does change a buffer, and one
// changed byte, inside the surface or in its padding, is reported.
void check_the_comparison(Report& report) {
    const Layout& layout = kLayouts[2];  // with padding
    const Surface s = random_surface(layout, 40, 30, 3);
    const OutlineTransformShape shape = make_outline_transform(
        40, 30, {8, 8, 8, 8}, 2.0f, {255, 0, 0}, 255, true, {0, 0, 255}, 255);
    Bytes expected = s.bytes;
    transform_outline(s.planes(expected), shape);
    report.check(expected != s.bytes, "the scalar kernel left a 40x30 RGBA buffer unchanged");
    Bytes got = expected;
    got[s.offset_of(1, 39, 29)] ^= 1;
    report.check(!difference(s, expected, got).empty(), "a changed green byte went unnoticed");
    got = expected;
    got.back() ^= 0x80;
    report.check(difference(s, expected, got).find("padding") != std::string::npos,
                 "a changed padding byte went unnoticed");
}

// --- the other kernels: on odd layouts they write only their own cells ------------

// Marks the cells of the given channels of `s`.
std::vector<bool> cells_of(const Surface& s, std::initializer_list<int> channels) {
    std::vector<bool> mask(s.bytes.size(), false);
    for (const int c : channels) {
        for (int y = 0; y < s.h; ++y) {
            for (int x = 0; x < s.w; ++x) mask[static_cast<std::size_t>(s.offset_of(c, x, y))] = true;
        }
    }
    return mask;
}

// Empty when every byte outside `mask` kept its value.
std::string outside_changes(const Surface& s, const Bytes& after, const std::vector<bool>& mask) {
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!mask[i] && after[i] != s.bytes[i]) {
            char text[160];
            std::snprintf(text, sizeof text, "byte %zu (%s) changed from %d to %d", i,
                          locate(s, static_cast<std::ptrdiff_t>(i)).c_str(), s.bytes[i], after[i]);
            return text;
        }
    }
    return {};
}

struct KernelTally {
    const char* name;
    long cases = 0, failed = 0;
};

class OtherKernelChecks {
public:
    // Every path of `paths`; run filling only changes the outlined generator.
    OtherKernelChecks(Report& report, Digest& digest, const std::vector<PathUnderTest>& paths)
        : report_(report), digest_(digest) {
        for (PathUnderTest p : paths) {
            p.cases = p.failed = 0;
            outlined_paths_.push_back(p);
            if (!p.runs) {
                filled_paths_.push_back(p);
                corner_paths_.push_back(p);
            }
        }
    }

    void run(const Layout& layout, Rng& rng) {
        const int w = rng.chance(0.1) ? rng.pick(kLargerSizes) : rng.pick(kSizes);
        const int h = rng.chance(0.1) ? rng.pick(kLargerSizes) : rng.pick(kSizes);
        const Surface s = random_surface(layout, w, h, rng.next());
        const std::vector<bool> alpha_cells = cells_of(s, {3});
        const std::vector<bool> all_cells = cells_of(s, {0, 1, 2, 3});
        const auto radius = [&]() {
            return rng.chance(0.1) ? rng.pick(kExtremes) : rng.chance(0.7) ? rng.pick(kRadii)
                                                                           : rng.uniform(-2, 60);
        };
        char text[200];

        Bytes after = s.bytes;
        const CornerRadii radii{radius(), radius(), radius(), radius()};
        // Colour alphas are any int32 to the kernels: products beyond the
        // int32 range must truncate alike on every path.
        const int alpha_extremes[] = {300, -7, 70000, std::numeric_limits<std::int32_t>::max(),
                                      std::numeric_limits<std::int32_t>::min()};
        const int alpha = rng.chance(0.1) ? rng.pick(alpha_extremes) : rng.below(256);
        round_filled_corners(s.planes(after).alpha, make_filled_shape(w, h, radii, alpha));
        std::snprintf(text, sizeof text, "filled corners, %s %dx%d radii (%g, %g, %g, %g) alpha %d: ",
                      layout.name, w, h, radii.top_left, radii.top_right, radii.bottom_right,
                      radii.bottom_left, alpha);
        tally(filled_, outside_changes(s, after, alpha_cells), text, &after);
        const FilledShape filled = make_filled_shape(w, h, radii, alpha);
        compare_paths(filled_paths_, s, after, text, [&](Bytes& got, const PathUnderTest& p) {
            round_filled_corners_on(s.planes(got).alpha, filled, p.path);
        });

        after = s.bytes;
        const int int_radii[] = {-5, 0, 1, 3, 10, 40, 1000, std::numeric_limits<std::int32_t>::max(),
                                 std::numeric_limits<std::int32_t>::min()};
        const float widths[] = {0.0f, 0.5f, 1.0f, 2.5f, 7.0f, 300.0f, -2.0f, 3e38f, -3e38f};
        const int r = rng.pick(int_radii);
        const float width = rng.chance(0.3) ? rng.uniform(0, 20) : rng.pick(widths);
        const OutlinedShape outline = make_outlined_shape(w, h, r, width, alpha, 30, 60, 90);
        const PixelPlanes px = s.planes(after);
        paint_outline_bands(px, outline);
        paint_outline_corners(px, outline);
        std::snprintf(text, sizeof text, "outlined, %s %dx%d radius %d width %g: ", layout.name, w,
                      h, r, width);
        tally(outlined_, outside_changes(s, after, all_cells), text, &after);
        compare_paths(outlined_paths_, s, after, text, [&](Bytes& got, const PathUnderTest& p) {
            paint_outline_on(s.planes(got), outline, p.path, p.runs);
        });

        after = s.bytes;
        const bool has_color = rng.chance(0.5);
        const CornerRadii clamped = clamp_corner_radii(w, h, radii);
        const CornerTransformShape corners = make_corner_transform(w, h, clamped, has_color, alpha);
        transform_corners(s.planes(after).alpha, corners);
        std::snprintf(text, sizeof text, "corner transform, %s %dx%d radii (%g, %g, %g, %g) %s: ",
                      layout.name, w, h, radii.top_left, radii.top_right, radii.bottom_right,
                      radii.bottom_left, has_color ? "with colour" : "without colour");
        std::string problem = outside_changes(s, after, alpha_cells);
        // Without a colour the existing alpha is scaled, never raised.
        for (std::size_t i = 0; problem.empty() && !has_color && i < after.size(); ++i) {
            if (after[i] > s.bytes[i]) problem = "an alpha was raised at byte " + std::to_string(i);
        }
        tally(corners_, problem, text, &after);
        compare_paths(corner_paths_, s, after, text, [&](Bytes& got, const PathUnderTest& p) {
            transform_corners_on(s.planes(got).alpha, corners, p.path);
        });
    }

    // A few values of each kernel worked out by hand on a 20 x 20 RGBA surface.
    void worked_examples() {
        const Layout& layout = kLayouts[0];
        Surface s = layout.make(20, 20);
        Bytes buf(s.bytes.size(), 255);
        round_filled_corners(s.planes(buf).alpha, make_filled_shape(20, 20, {5, 5, 5, 5}, 255));
        const auto alpha_at = [&](int x, int y) { return buf[s.offset_of(3, x, y)]; };
        tally(filled_, alpha_at(0, 0) == 0 && alpha_at(19, 19) == 0 && alpha_at(5, 5) == 255 &&
                               alpha_at(10, 0) == 255 ? "" : "unexpected alpha",
              "filled corners, 20x20 radius 5, corner 0, inside and edge 255: ");

        buf.assign(s.bytes.size(), 0);
        const OutlinedShape outline = make_outlined_shape(20, 20, 0, 2.0f, 200, 10, 20, 30);
        paint_outline_bands(s.planes(buf), outline);
        paint_outline_corners(s.planes(buf), outline);
        const auto pixel = [&](int x, int y) {
            return std::to_string(buf[s.offset_of(0, x, y)]) + "," + std::to_string(buf[s.offset_of(1, x, y)]) +
                   "," + std::to_string(buf[s.offset_of(2, x, y)]) + "," + std::to_string(buf[s.offset_of(3, x, y)]);
        };
        tally(outlined_, pixel(10, 0) == "10,20,30,200" && pixel(1, 10) == "10,20,30,200" &&
                                 pixel(10, 10) == "0,0,0,0" && pixel(2, 2) == "0,0,0,0" &&
                                 alpha_at(0, 0) > 0 && alpha_at(0, 0) < 200 ? "" : "unexpected pixels",
              "outlined, 20x20 radius 0 width 2: band pixels are the colour, the middle untouched, "
              "the corner partly covered: ");

        buf.assign(s.bytes.size(), 200);
        const CornerRadii radii = clamp_corner_radii(20, 20, {5, 5, 5, 5});
        transform_corners(s.planes(buf).alpha, make_corner_transform(20, 20, radii, false, 255));
        tally(corners_, alpha_at(0, 0) == 0 && alpha_at(19, 0) == 0 && alpha_at(10, 10) == 200 &&
                                alpha_at(5, 5) == 200 ? "" : "unexpected alpha",
              "corner transform, 20x20 radius 5: ");
    }

    void print() const {
        for (const KernelTally* t : {&filled_, &outlined_, &corners_}) {
            std::printf("  %s: %ld cases, %ld failed\n", t->name, t->cases, t->failed);
        }
    }

    // Each path's cases against the scalar kernels; false when none ran.
    bool print_paths() const {
        bool any = false;
        const std::pair<const char*, const std::vector<PathUnderTest>*> kernels[] = {
            {"filled corners", &filled_paths_}, {"outlined bands and corners", &outlined_paths_},
            {"corner transform", &corner_paths_}};
        for (const auto& [name, paths] : kernels) {
            for (const PathUnderTest& p : *paths) {
                if (p.cases == 0) continue;
                any = true;
                std::printf("  %s, %s: %ld cases, %ld failed\n", name, p.name.c_str(), p.cases,
                            p.failed);
            }
        }
        return any;
    }

private:
    // Runs `kernel` on a copy of the surface for each available path; the
    // copy must equal `expected`, the scalar kernel's output.
    template <class Kernel>
    void compare_paths(std::vector<PathUnderTest>& paths, const Surface& s, const Bytes& expected,
                       const std::string& what, Kernel kernel) {
        for (PathUnderTest& p : paths) {
            if (!kernel_path_available(p.path)) continue;
            Bytes got = s.bytes;
            kernel(got, p);
            ++p.cases;
            const std::string diff = difference(s, expected, got);
            if (!report_.check(diff.empty(), p.name + ", " + what + diff)) ++p.failed;
        }
    }

    void tally(KernelTally& t, const std::string& problem, const std::string& what,
               const Bytes* output = nullptr) {
        if (output) digest_.add(*output);
        ++t.cases;
        if (!report_.check(problem.empty(), what + problem)) ++t.failed;
    }

    Report& report_;
    Digest& digest_;
    KernelTally filled_{"filled corners"}, outlined_{"outlined bands and corners"},
        corners_{"corner transform"};
    std::vector<PathUnderTest> filled_paths_, outlined_paths_, corner_paths_;
};


// --- the corner squares' run driver -----------------------------------------------

// The generators' corner rows reach only some branches of paint_row_in_runs:
// their runs move inwards row by row, so its guessed windows rarely miss.
// Here rows of any ranks, under any guesses, must each have every column
// decided once as its rank wants: in a window, or in a run of its own rank.
template <int Lanes, int Ranks>
class RankedRow {
public:
    static constexpr int lanes = Lanes, ranks = Ranks;
    static constexpr bool evaluated(int rank) { return rank % 2 == 1; }

    explicit RankedRow(std::vector<int> rank) : rank_(std::move(rank)), seen_(rank_.size(), 0) {}

    WindowCounts evaluate(std::int32_t p) {
        const auto length = static_cast<std::int32_t>(rank_.size());
        const std::int32_t m = std::min(Lanes, length);
        WindowCounts c;
        if (p < 0 || p + m > length) {
            problem_ = "a window beyond the row";
            return c;
        }
        for (std::int32_t x = p; x < p + m; ++x) {
            seen_[static_cast<std::size_t>(x)] = 1;
            for (int k = 1; k < Ranks; ++k) c.below[k] += rank_[static_cast<std::size_t>(x)] < k;
        }
        return c;
    }

    void run(int rank, std::int32_t from, std::int32_t to) {
        if (from < 0 || from > to || to > static_cast<std::int32_t>(rank_.size())) {
            problem_ = "a run beyond the row";
            return;
        }
        for (std::int32_t x = from; x < to; ++x) {
            if (rank_[static_cast<std::size_t>(x)] != rank) problem_ = "a run over another rank";
            seen_[static_cast<std::size_t>(x)] = std::max(seen_[static_cast<std::size_t>(x)], 2);
        }
    }

    // Empty when every column was decided as its rank wants.
    std::string problem() const {
        for (std::size_t x = 0; problem_.empty() && x < rank_.size(); ++x) {
            if (seen_[x] == 0) return "column " + std::to_string(x) + " left undecided";
            if (seen_[x] == 2 && evaluated(rank_[x])) return "column " + std::to_string(x) + " filled";
        }
        return problem_;
    }

private:
    std::vector<int> rank_;
    std::vector<int> seen_;  // 1: in a window, 2: only in runs
    std::string problem_;
};

class DriverChecks {
public:
    explicit DriverChecks(Report& report) : report_(report) {}

    // Squares of rows whose ranks never fall along a row, painted in turn
    // with the guesses each row leaves (the kernels' way) or with any.
    template <int Lanes, int Ranks>
    void run(Rng& rng) {
        for (int square = 0; square < 300; ++square) {
            const int length = 1 + rng.below(square % 5 == 0 ? 70 : 20);
            RankStarts starts;
            for (int row = 0; row < 12; ++row) {
                std::vector<int> rank(static_cast<std::size_t>(length));
                int r = rng.below(Ranks);
                for (int& v : rank) {
                    if (rng.chance(0.25)) r = std::min(Ranks - 1, r + 1 + rng.below(2));
                    v = r;
                }
                if (rng.chance(0.3)) {
                    for (std::int32_t& at : starts.at) at = rng.below(length + 3) - 1;
                }
                RankedRow<Lanes, Ranks> window(rank);
                paint_row_in_runs(window, length, starts);
                ++rows_;
                std::string text;
                for (const int v : rank) text += static_cast<char>('0' + v);
                const std::string problem = window.problem();
                failed_ += !report_.check(problem.empty(), "run driver, " + std::to_string(Lanes) +
                                                               " lanes, ranks " + text + ": " + problem);
            }
        }
    }

    void print() const { std::printf("  %ld rows, %ld failed\n", rows_, failed_); }

private:
    Report& report_;
    long rows_ = 0, failed_ = 0;
};

// --- the draw kernel --------------------------------------------------------------

namespace draw_checks {

using namespace zuvo::draw;

// Coordinates in double precision, unlike the other kernels' draws.
class Rng : public ::Rng {
public:
    using ::Rng::Rng;
    double uniform(double lo, double hi) {
        return lo + (hi - lo) * (static_cast<double>(next() >> 11) * 0x1p-53);
    }
};

struct DrawLayout {
    const char* name;
    std::int32_t bytes_per_pixel, red, green, blue, alpha, unused;
};

constexpr DrawLayout kDrawLayouts[] = {
    {"BGRA", 4, 2, 1, 0, 3, -1}, {"RGBA", 4, 0, 1, 2, 3, -1}, {"ARGB", 4, 1, 2, 3, 0, -1},
    {"BGRX", 4, 2, 1, 0, -1, 3}, {"XRGB", 4, 1, 2, 3, -1, 0}, {"BGR", 3, 2, 1, 0, -1, -1},
    {"RGB", 3, 0, 1, 2, -1, -1},
};

Colour random_colour(Rng& rng) {
    const auto channel = [&] { return static_cast<float>(rng.chance(0.2) ? 255 * rng.below(2) : rng.byte()); };
    return {channel(), channel(), channel(), channel()};
}

RectPaint random_paint(Rng& rng, std::int32_t w, std::int32_t h) {
    RectPaint p;
    const auto coordinate = [&](std::int32_t extent) {
        if (rng.chance(0.03)) return (rng.chance(0.5) ? -1 : 1) * std::pow(10.0, rng.uniform(4, 300));
        const double v = rng.uniform(-0.3 * extent, 1.3 * extent);
        return rng.chance(0.3) ? std::round(v) : v;
    };
    p.x0 = coordinate(w);
    p.x1 = coordinate(w);
    p.y0 = coordinate(h);
    p.y1 = coordinate(h);
    if (p.x0 > p.x1) std::swap(p.x0, p.x1);
    if (p.y0 > p.y1) std::swap(p.y0, p.y1);
    const double half = std::min(p.x1 - p.x0, p.y1 - p.y0) / 2;
    for (double& r : p.radius) {
        r = rng.chance(0.2) ? 0.0 : rng.uniform(0, half);
        if (rng.chance(0.1)) r = half;
    }
    if (rng.chance(0.6) && half > 0) {
        p.width = rng.uniform(0.05, half);
        if (rng.chance(0.3)) p.width = std::round(p.width) > 0 ? std::round(p.width) : p.width;
        if (!(p.width < half)) p.width = 0;
    }
    p.ring = random_colour(rng);
    p.inside = random_colour(rng);
    p.has_inside = p.width > 0 && rng.chance(0.5);
    p.blend = rng.chance(0.7);
    return p;
}

struct DrawPath {
    std::string name;
    OpaqueBlendRun run;
    OpaqueBlendEach each;
    BlendOverEach over;
    long cases = 0, failed = 0;
};

// The fast form with the plain run blend (the portable path), then with each
// available instruction set's.
std::vector<DrawPath> draw_paths() {
    std::vector<DrawPath> out = {{"scalar+runs", blend_opaque_run_plain, blend_opaque_each_plain, blend_over_each}};
    const std::pair<const char*, KernelPath> named[] = {
        {"sse2+runs", KernelPath::sse2}, {"avx2+runs", KernelPath::avx2}, {"neon+runs", KernelPath::neon}};
    for (const auto& [name, path] : named) {
        if (!kernel_path_available(path)) continue;
        const Evaluators& e = evaluators_of(path);
        if (e.draw_blend_run && e.draw_blend_each && e.draw_blend_over) {
            out.push_back({name, e.draw_blend_run, e.draw_blend_each, e.draw_blend_over});
        }
    }
    return out;
}

bool same_box(PixelBox a, PixelBox b) { return a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0 && a.y1 == b.y1; }

class DrawChecks {
public:
    DrawChecks(Report& report, Digest& digest) : report_(report), digest_(digest), paths_(draw_paths()) {}

    // One case: the plain form on one copy, each path's fast form on others.
    void run(const DrawLayout& layout, std::int32_t w, std::int32_t h, std::int32_t padding,
             const RectPaint& paint, PixelBox clip, Rng& rng, const std::string& what) {
        const std::int32_t pitch = w * layout.bytes_per_pixel + padding;
        Bytes before(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(h));
        for (auto& b : before) b = rng.byte();
        PixelRows px{nullptr, w, h, pitch, layout.bytes_per_pixel, layout.red, layout.green,
                     layout.blue, layout.alpha, layout.unused};
        Bytes plain = before;
        px.base = plain.data();
        const PixelBox plain_box = draw_rect_plain(px, paint, clip);
        digest_.add(plain);
        ++buffers_;
        if (plain != before) ++changed_;
        bool outside_kept = true;
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t i = 0; i < pitch; ++i) {
                const std::int32_t x = i / layout.bytes_per_pixel;
                const bool inside = x < w && x >= clip.x0 && x < clip.x1 && y >= clip.y0 && y < clip.y1 &&
                                    x >= plain_box.x0 && x < plain_box.x1 && y >= plain_box.y0 &&
                                    y < plain_box.y1;
                const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch) +
                                       static_cast<std::size_t>(i);
                if (!inside && plain[at] != before[at]) outside_kept = false;
            }
        }
        const std::string where = std::string(" on ") + layout.name + ", " + what;
        report_.check(outside_kept, "draw: the plain form changed bytes outside the clip and drawn box" + where);
        for (DrawPath& p : paths_) {
            Bytes got = before;
            px.base = got.data();
            const PixelBox box = draw_rect(px, paint, clip, {p.run, p.each, p.over});
            ++p.cases;
            const bool ok = got == plain && same_box(box, plain_box);
            if (!report_.check(ok, "draw, " + p.name + ": differs from the plain form" + where)) ++p.failed;
        }
    }

    // The run blends alone, on every count up to three vectors of AVX2 and
    // weights up to the 16-bit limit, against one pixel at a time.
    void runs(Rng& rng) {
        for (int n = 0; n < 400; ++n) {
            OpaqueBlend w;
            for (int b = 0; b < 4; ++b) {
                w.keep[b] = static_cast<std::uint32_t>(rng.chance(0.1) ? 256 * rng.below(2) : rng.below(257));
                const std::uint32_t limit = 0xFFFFu - 255u * w.keep[b];
                w.add[b] = rng.chance(0.1) ? limit : static_cast<std::uint32_t>(rng.next() % (limit + 1));
            }
            const std::int32_t count = 1 + n % 40;
            Bytes before(static_cast<std::size_t>(count) * 4 + 8);
            for (auto& b : before) b = rng.byte();
            Bytes expected = before;
            for (std::int32_t i = 0; i < count; ++i) blend_opaque_run_plain(expected.data() + 4 + 4 * i, 1, w);
            for (DrawPath& p : paths_) {
                Bytes got = before;
                p.run(got.data() + 4, count, w);
                ++p.cases;
                if (!report_.check(got == expected, "draw, " + p.name + ": run blend of " +
                                                        std::to_string(count) + " pixels")) {
                    ++p.failed;
                }
            }
        }
    }

    // One shadow: the plain form on one copy, each path's fast form on
    // others.  Not in the digest: the coverage goes through the C library's
    // exp, sin, cos and erfc, which may differ by an ulp between platforms.
    void shadow(const DrawLayout& layout, std::int32_t w, std::int32_t h, std::int32_t padding,
                const ShadowPaint& paint, PixelBox clip, Rng& rng, const std::string& what) {
        const std::int32_t pitch = w * layout.bytes_per_pixel + padding;
        Bytes before(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(h));
        // Mostly one background colour (runs), with noise in places.
        for (std::size_t i = 0; i < before.size(); ++i) before[i] = rng.chance(0.2) ? rng.byte() : static_cast<std::uint8_t>(i % 4 * 50);
        std::vector<float> scratch(kShadowScratchPerColumn * static_cast<std::size_t>(w));
        PixelRows px{nullptr, w, h, pitch, layout.bytes_per_pixel, layout.red, layout.green,
                     layout.blue, layout.alpha, layout.unused};
        Bytes plain = before;
        px.base = plain.data();
        const PixelBox plain_box = draw_shadow_plain(px, paint, clip, scratch.data());
        ++shadows_;
        if (plain != before) ++shadows_changed_;
        bool outside_kept = true;
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t i = 0; i < pitch; ++i) {
                const std::int32_t x = i / layout.bytes_per_pixel;
                const bool inside = x < w && x >= plain_box.x0 && x < plain_box.x1 && y >= plain_box.y0 &&
                                    y < plain_box.y1 && x >= clip.x0 && x < clip.x1 && y >= clip.y0 && y < clip.y1;
                const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch) +
                                       static_cast<std::size_t>(i);
                if (!inside && plain[at] != before[at]) outside_kept = false;
            }
        }
        const std::string where = std::string(" on ") + layout.name + ", " + what;
        report_.check(outside_kept, "shadow: the plain form changed bytes outside the clip and its box" + where);
        for (DrawPath& p : paths_) {
            Bytes got = before;
            px.base = got.data();
            const PixelBox box = draw_shadow(px, paint, clip, scratch.data(), {p.run, p.each, p.over});
            ++p.cases;
            if (!report_.check(got == plain && same_box(box, plain_box),
                               "shadow, " + p.name + ": differs from the plain form" + where)) {
                ++p.failed;
            }
        }
    }

    // The per-pixel blends alone, on every count up to three vectors of
    // AVX2, with weights up to the 16-bit limit, against one pixel at a time.
    void eaches(Rng& rng) {
        for (int n = 0; n < 200; ++n) {
            const std::int32_t count = 1 + n % 40;
            std::vector<OpaqueBlend> weights(static_cast<std::size_t>(count));
            std::vector<std::uint16_t> lanes(8 * static_cast<std::size_t>(count));
            const std::size_t plane = 2 * static_cast<std::size_t>(count);
            for (std::size_t i = 0; i < weights.size(); ++i) {
                OpaqueBlend& w = weights[i];
                for (int b = 0; b < 4; ++b) {
                    w.keep[b] = static_cast<std::uint32_t>(rng.chance(0.1) ? 256 * rng.below(2) : rng.below(257));
                    const std::uint32_t limit = 0xFFFFu - 255u * w.keep[b];
                    w.add[b] = rng.chance(0.1) ? limit : static_cast<std::uint32_t>(rng.next() % (limit + 1));
                }
                const OpaqueLanes l = opaque_lanes_of(w);
                std::memcpy(&lanes[2 * i], l.add_lo, 4);
                std::memcpy(&lanes[plane + 2 * i], l.keep_lo, 4);
                std::memcpy(&lanes[2 * plane + 2 * i], l.add_hi, 4);
                std::memcpy(&lanes[3 * plane + 2 * i], l.keep_hi, 4);
            }
            const LaneRow row{&lanes[0], &lanes[plane], &lanes[2 * plane], &lanes[3 * plane]};
            Bytes before(static_cast<std::size_t>(count) * 4 + 8);
            for (auto& b : before) b = rng.byte();
            Bytes expected = before;
            for (std::int32_t i = 0; i < count; ++i) {
                blend_opaque_run_plain(expected.data() + 4 + 4 * i, 1, weights[static_cast<std::size_t>(i)]);
            }
            for (DrawPath& p : paths_) {
                Bytes got = before;
                p.each(got.data() + 4, count, row);
                ++p.cases;
                if (!report_.check(got == expected, "draw, " + p.name + ": per-pixel blend of " +
                                                        std::to_string(count) + " pixels")) {
                    ++p.failed;
                }
            }
        }
    }

    // Rows closer than a row's pixels (pitch below width * bytes): the
    // fast form must fall back to the plain one's order of writes.
    void overlapping_rows(Rng& rng) {
        for (int n = 0; n < 40; ++n) {
            const DrawLayout& layout = kDrawLayouts[static_cast<std::size_t>(n) % std::size(kDrawLayouts)];
            const std::int32_t w = 30, h = 12, pitch = (w - 6) * layout.bytes_per_pixel - 1 - n % 7;
            Bytes before(static_cast<std::size_t>(pitch) * (h - 1) + static_cast<std::size_t>(w * layout.bytes_per_pixel));
            for (auto& b : before) b = rng.byte();
            PixelRows px{nullptr, w, h, pitch, layout.bytes_per_pixel, layout.red, layout.green,
                         layout.blue, layout.alpha, layout.unused};
            RectPaint paint = random_paint(rng, w, h);
            if (n % 2 == 0) {  // a box whose lower rows the fast form would mirror
                paint.x0 = 2;
                paint.x1 = w - 2;
                paint.y0 = 1;
                paint.y1 = h - 1;
                for (double& r : paint.radius) r = 3;
                paint.width = n % 4 == 0 ? 0.0 : 1.5;
            }
            Bytes plain = before;
            px.base = plain.data();
            draw_rect_plain(px, paint, {0, 0, w, h});
            for (DrawPath& p : paths_) {
                Bytes got = before;
                px.base = got.data();
                draw_rect(px, paint, {0, 0, w, h}, {p.run, p.each, p.over});
                ++p.cases;
                if (!report_.check(got == plain, "draw, " + p.name + ": overlapping rows on " + layout.name)) {
                    ++p.failed;
                }
            }
        }
    }

    void print() const {
        std::printf("draw kernels, each path against the plain forms (%ld buffers, %ld changed by them; "
                    "%ld shadows, %ld changed):\n",
                    buffers_, changed_, shadows_, shadows_changed_);
        for (const DrawPath& p : paths_) {
            std::printf("  %s: %ld cases, %ld failed\n", p.name.c_str(), p.cases, p.failed);
        }
    }
    long buffers() const { return buffers_ + shadows_; }
    long changed() const { return changed_ + shadows_changed_; }

private:
    Report& report_;
    Digest& digest_;
    std::vector<DrawPath> paths_;
    long buffers_ = 0, changed_ = 0, shadows_ = 0, shadows_changed_ = 0;
};

// Seeded random cases over every layout, then chosen ones: translucent
// colours over long rows (the vector blends), huge coordinates, clip boxes.
void check_draw(DrawChecks& checks) {
    Rng rng(20261208);
    for (int n = 0; n < 6000; ++n) {
        const DrawLayout& layout = kDrawLayouts[rng.below(static_cast<int>(std::size(kDrawLayouts)))];
        const std::int32_t w = 1 + rng.below(n % 10 == 0 ? 300 : 40);
        const std::int32_t h = 1 + rng.below(n % 10 == 0 ? 200 : 40);
        const std::int32_t padding = rng.below(9);
        const RectPaint paint = random_paint(rng, w, h);
        PixelBox clip{0, 0, w, h};
        if (rng.chance(0.3)) {
            clip = {rng.below(w), rng.below(h), 0, 0};
            clip.x1 = clip.x0 + 1 + rng.below(w - clip.x0);
            clip.y1 = clip.y0 + 1 + rng.below(h - clip.y0);
        }
        checks.run(layout, w, h, padding, paint, clip, rng, "random case " + std::to_string(n));
    }
    for (const DrawLayout& layout : kDrawLayouts) {
        for (int n = 0; n < 12; ++n) {
            RectPaint p;
            const std::int32_t w = 37 + 29 * n, h = 23;
            p.x0 = n % 3 == 0 ? -1e300 : 0.5 * n;
            p.y0 = n % 4 == 0 ? -1e300 : -1.25;
            p.x1 = n % 5 == 0 ? 1e300 : w - 0.75 * (n % 2);
            p.y1 = n % 6 == 0 ? 1e300 : h + 0.5;
            const double half = std::min(p.x1 - p.x0, p.y1 - p.y0) / 2;
            for (int i = 0; i < 4; ++i) p.radius[i] = std::min(half, (n + i) % 4 * 3.5);
            p.width = n % 3 == 1 ? std::min(2.0, half / 2) : 0.0;
            p.ring = {static_cast<float>(17 * n % 256), 200, 3, static_cast<float>(n % 2 ? 128 : 1 + 21 * n)};
            p.inside = {250, static_cast<float>(9 * n), 90, static_cast<float>(64 + 15 * n)};
            p.has_inside = n % 6 == 1;
            p.blend = n % 7 != 3;
            const PixelBox clip = n % 4 == 2 ? PixelBox{3, 2, w - 5, h - 1} : PixelBox{0, 0, w, h};
            checks.run(layout, w, h, n % 3 * 4 + 1, p, clip, rng, "chosen case " + std::to_string(n));
        }
    }
    // Boxes whose columns and rows mirror about their centre (integer and
    // half-integer edges) with equal radii, whose right halves and lower rows
    // are painted as the left halves and upper rows mirrored, and boxes just
    // off that symmetry.
    for (const DrawLayout& layout : kDrawLayouts) {
        for (int n = 0; n < 24; ++n) {
            RectPaint p;
            const std::int32_t w = 20 + 7 * n, h = 17 + n;
            const double offset = n % 4 == 0 ? 0.0 : n % 4 == 1 ? 0.5 : n % 4 == 2 ? 0.25 : 1e-9;
            p.x0 = 2 + offset;
            p.x1 = w - 3 + offset * (n % 8 < 4 ? 1 : -1);
            p.y0 = n % 2 ? 1.5 : 1.0;  // rows mirrored too
            p.y1 = (n % 2 ? h - 1.5 : h - 2.0) + (n % 12 == 10 ? 0.25 : 0.0);
            const double half = std::min(p.x1 - p.x0, p.y1 - p.y0) / 2;
            const double r = std::min(half, 1.5 * (n % 7));
            p.radius[0] = p.radius[1] = r;
            p.radius[2] = p.radius[3] = n % 3 == 0 ? r : std::min(half, r + 2);
            if (n % 5 == 4) p.radius[1] = std::min(half, r + 1);
            p.width = n % 3 == 1 ? std::min(1.0 + 0.5 * (n % 4), half / 2) : 0.0;
            p.ring = {200, static_cast<float>(11 * n), 40, static_cast<float>(n % 2 ? 255 : 128)};
            p.inside = {10, 250, static_cast<float>(5 * n), 200};
            p.has_inside = n % 6 == 1;
            p.blend = n % 5 != 2;
            const PixelBox clip = n % 6 == 5 ? PixelBox{4, 0, w, h} : PixelBox{0, 0, w, h};
            checks.run(layout, w, h, n % 5, p, clip, rng, "mirrored case " + std::to_string(n));
        }
    }
    // Shadows: sigmas from needle-sharp (the per-row quadrature on long
    // arcs) to wider than the surface, over every layout; a few long rows.
    for (int n = 0; n < 700; ++n) {
        const DrawLayout& layout = kDrawLayouts[static_cast<std::size_t>(n) % std::size(kDrawLayouts)];
        const bool large = n % 50 == 0;
        const std::int32_t w = 1 + rng.below(large ? 300 : 48), h = 1 + rng.below(large ? 120 : 40);
        const RectPaint box = random_paint(rng, w, h);
        ShadowPaint p;
        p.x0 = box.x0;
        p.y0 = box.y0;
        p.x1 = box.x1;
        p.y1 = box.y1;
        std::copy(box.radius, box.radius + 4, p.radius);
        constexpr double sigmas[] = {0.01, 0.1, 0.4, 1.5, 4, 8, 30};
        p.sigma = sigmas[rng.below(static_cast<int>(std::size(sigmas)))] * rng.uniform(0.8, 1.25);
        p.colour = random_colour(rng);
        PixelBox clip{0, 0, w, h};
        if (rng.chance(0.2)) clip = {rng.below(w), rng.below(h), w, h};
        checks.shadow(layout, w, h, rng.below(9), p, clip, rng, "shadow " + std::to_string(n));
    }
    checks.runs(rng);
    checks.eaches(rng);
    checks.overlapping_rows(rng);
}

}  // namespace draw_checks
}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    bool digest_only = false;
    const char* expected_digest = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--digest-only") == 0) {
            digest_only = true;
        } else if (std::strcmp(argv[i], "--digest") == 0 && i + 1 < argc) {
            expected_digest = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--digest-only | --digest HEX]\n", argv[0]);
            return 2;
        }
    }
    Report report;
    Digest digest;
    std::vector<PathUnderTest> paths;
    if (!digest_only) paths = known_paths<KernelPath>();
    OutlineChecks outline(report, paths, digest);

    check_the_comparison(report);
    std::uint64_t seed = 1;
    for (const Layout& layout : kLayouts) {
        Rng rng(1000 + seed);
        for (int i = 0; i < 400; ++i) outline.run(layout, random_case(rng), ++seed);
        for (const OutlineCase& c : chosen_cases()) outline.run(layout, c, ++seed);
    }
    for (const Layout& layout : kSharedLayouts) {
        Rng rng(2000 + seed);
        for (int i = 0; i < 60; ++i) outline.run(layout, random_case(rng), ++seed);
    }
    // Long rows, many reused rows and, at over 32 MiB, the streaming stores.
    const OutlineCase large = chosen(3001, 2900, {12, 30, 0, 7}, 2.0f, {220, 40, 40}, 200, true,
                                     {30, 60, 90}, 250);
    outline.run(kLayouts[0], large, ++seed);
    outline.run(kLayouts[2], large, ++seed);
    outline.run(kLayouts[1], chosen(3001, 2900, {40, 40, 40, 40}, 3.0f, {1, 2, 3}, 255, false, {}, -1),
                ++seed);
    // Most cases must change their buffer, or the comparisons prove little.
    report.check(outline.changed() * 2 > outline.buffers(),
                 "the scalar kernel changed only " + std::to_string(outline.changed()) + " of " +
                     std::to_string(outline.buffers()) + " buffers");

    OtherKernelChecks others(report, digest, paths);
    others.worked_examples();
    Rng rng(77);
    for (const Layout& layout : kLayouts) {
        for (int i = 0; i < 300; ++i) others.run(layout, rng);
    }
    for (const Layout& layout : kSharedLayouts) {
        for (int i = 0; i < 100; ++i) others.run(layout, rng);
    }

    DriverChecks driver(report);
    Rng driver_rng(4242);
    driver.run<1, 5>(driver_rng);
    driver.run<4, 5>(driver_rng);
    driver.run<8, 5>(driver_rng);
    driver.run<4, 3>(driver_rng);
    driver.run<8, 3>(driver_rng);

    Digest draw_digest;
    draw_checks::DrawChecks draw(report, draw_digest);
    draw_checks::check_draw(draw);
    report.check(draw.changed() * 2 > draw.buffers(),
                 "the draw kernel changed only " + std::to_string(draw.changed()) + " of " +
                     std::to_string(draw.buffers()) + " buffers");

    char digest_text[17], draw_digest_text[17];
    std::snprintf(digest_text, sizeof digest_text, "%016llx",
                  static_cast<unsigned long long>(digest.value()));
    std::snprintf(draw_digest_text, sizeof draw_digest_text, "%016llx",
                  static_cast<unsigned long long>(draw_digest.value()));
    if (digest_only) {
        std::printf("%s-%s\n", digest_text, draw_digest_text);
        return 0;
    }
    std::printf("outline transform, each path against the scalar kernel (%ld buffers, %ld changed by it):\n",
                outline.buffers(), outline.changed());
    int exercised = 0;
    for (const PathUnderTest& p : paths) {
        if (p.cases == 0) {
            std::printf("  %s: not available here\n", p.name.c_str());
            continue;
        }
        ++exercised;
        std::printf("  %s: %ld cases, %ld failed\n", p.name.c_str(), p.cases, p.failed);
    }
    report.check(exercised > 0, "no path of the outline transform was exercised");
    // The vector path every processor of this architecture has must be
    // there whenever the compiler takes GCC's vector extensions: a build that
    // lost it would otherwise pass with "not available here".
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(_M_X64))
    report.check(kernel_path_available(KernelPath::sse2), "no SSE2 path on x86-64");
#elif (defined(__GNUC__) || defined(__clang__)) && defined(__aarch64__)
    report.check(kernel_path_available(KernelPath::neon), "no NEON path on aarch64");
#endif
    if (expected_digest) {
        // "KERNELS-DRAW": the existing kernels' digest, then the draw kernel's.
        const std::string expected(expected_digest);
        const std::size_t dash = expected.find('-');
        const std::string kernels = expected.substr(0, dash);
        const std::string drawn = dash == std::string::npos ? "" : expected.substr(dash + 1);
        const bool same = kernels == digest_text;
        std::printf("scalar kernels' outputs: digest %s, %s %s\n", digest_text,
                    same ? "the same as" : "DIFFERENT from", kernels.c_str());
        report.check(same, "the scalar kernels' outputs differ from those of the other build");
        const bool same_draw = drawn == draw_digest_text;
        std::printf("draw kernel's plain outputs: digest %s, %s %s\n", draw_digest_text,
                    same_draw ? "the same as" : "DIFFERENT from", drawn.c_str());
        report.check(same_draw, "the draw kernel's plain outputs differ from those of the other build");
    } else {
        std::printf("scalar kernels' outputs: digest %s\n", digest_text);
        std::printf("draw kernel's plain outputs: digest %s\n", draw_digest_text);
    }
    std::printf("other kernels, writing only their own cells:\n");
    others.print();
    std::printf("other kernels, each path against the scalar kernels:\n");
    report.check(others.print_paths(), "no path of the other kernels was exercised");
    std::printf("corner squares' run driver, on rows of any ranks and guesses:\n");
    driver.print();
    draw.print();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f s\n", seconds);
    std::printf("%ld passed, %ld failed\n", report.passed(), report.failed());
    return report.failed() == 0 ? 0 : 1;
}
