#pragma once

#include <cstdint>

namespace swf {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    friend bool operator==(const Color&, const Color&) = default;

    // The desktop's 0x00BBGGRR form, as colour dialogs hand it over.
    static Color fromBgr(std::uint32_t bgr)
    {
        return {std::uint8_t(bgr & 0xFF), std::uint8_t((bgr >> 8) & 0xFF), std::uint8_t((bgr >> 16) & 0xFF), 255};
    }
};

} // namespace swf
