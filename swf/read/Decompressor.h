#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/Header.h"

namespace swf {

// Turns the body of a movie (everything after the first eight bytes) into the
// uncompressed tag stream, chunk by chunk, as the bytes arrive.
class Decompressor {
public:
    enum class Status {
        NeedMore,     // all input used; more may follow
        Ended,        // the compressed stream said it was complete
        LimitReached, // output hit the limit with input left over
        Corrupt,      // the stream cannot be decoded further; see error()
    };

    virtual ~Decompressor() = default;

    // Appends what `input` decodes to onto `output`, never letting `output`
    // grow past `limit` bytes in total: a movie must not be able to make us
    // allocate more than its header can justify.
    virtual Status decode(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output, std::size_t limit) = 0;

    // How much of the last decode's input it took. After LimitReached the
    // rest is for the next call, once the output has room again.
    std::size_t consumed() const { return m_consumed; }

    const std::string& error() const { return m_error; }

    // `uncompressedBody` is the declared length less the eight bytes that
    // were never compressed; LZMA uses it to bound its dictionary.
    static std::unique_ptr<Decompressor> create(Compression compression, std::uint64_t uncompressedBody);

protected:
    Status fail(std::string reason)
    {
        m_error = std::move(reason);
        return Status::Corrupt;
    }

    std::size_t m_consumed = 0;

private:
    std::string m_error;
};

} // namespace swf
