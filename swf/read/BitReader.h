#pragma once

#include <cstdint>
#include <optional>

#include "swf/read/ByteReader.h"

namespace swf {

// Bit-packed fields (RECT, matrices, shape records) read most significant bit
// first. Bytes are pulled from the underlying ByteReader only as they are
// needed, so when the bit reader is done the byte reader stands on the next
// byte boundary, which is where every bit-packed structure ends.
class BitReader {
public:
    explicit BitReader(ByteReader& bytes);

    bool failed() const { return m_failed; }

    // Unsigned, signed (two's complement in `count` bits) and 16.16 fixed
    // point fields of 0..32 bits; a field of 0 bits reads as 0.
    std::optional<std::uint32_t> ub(unsigned count);
    std::optional<std::int32_t> sb(unsigned count);
    std::optional<double> fb(unsigned count);
    std::optional<bool> flag();

    // Drops the rest of the current byte.
    void align() { m_bitsLeft = 0; }

private:
    ByteReader& m_bytes;
    std::uint8_t m_current = 0;
    unsigned m_bitsLeft = 0;
    bool m_failed = false;
};

} // namespace swf
