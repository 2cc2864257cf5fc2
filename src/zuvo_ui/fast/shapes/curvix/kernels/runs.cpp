#include "runs.hpp"

#ifdef ZUVO_STRING_STORES
#include <emmintrin.h>
#endif

namespace zuvo::curvix {

void stream_words(std::uint8_t* p, std::int32_t count, std::uint32_t word) noexcept {
#ifdef ZUVO_STRING_STORES
    constexpr std::uintptr_t line = 64;
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first_line = (address + line - 1) & ~(line - 1);
    if ((address & 3) == 0 && first_line + line <= address + std::uintptr_t(count) * 4) {
        const std::int32_t head = static_cast<std::int32_t>((first_line - address) / 4);
        fill_words(p, head, word);
        p += head * 4;
        count -= head;
        const __m128i v = _mm_set1_epi32(static_cast<int>(word));
        for (; count >= 16; count -= 16, p += line) {
            auto* at = reinterpret_cast<__m128i*>(p);
            _mm_stream_si128(at, v);
            _mm_stream_si128(at + 1, v);
            _mm_stream_si128(at + 2, v);
            _mm_stream_si128(at + 3, v);
        }
    }
#endif
    fill_words(p, count, word);
}

void finish_streaming() noexcept {
#ifdef ZUVO_STRING_STORES
    _mm_sfence();
#endif
}

}  // namespace zuvo::curvix
