#pragma once

#include <string>
#include <utility>
#include <variant>

namespace swf {

// A value or the reason there is none. The engine never throws across its
// boundary; anything that can fail on a hostile movie hands back one of these.
template<typename T>
class Result {
public:
    Result(T value)
        : m_content(std::move(value))
    {
    }

    static Result failure(std::string reason) { return Result(Failure {std::move(reason)}); }

    bool ok() const { return std::holds_alternative<T>(m_content); }
    explicit operator bool() const { return ok(); }

    const T& value() const { return std::get<T>(m_content); }
    T& value() { return std::get<T>(m_content); }
    const std::string& error() const { return std::get<Failure>(m_content).reason; }

private:
    struct Failure {
        std::string reason;
    };
    explicit Result(Failure failure)
        : m_content(std::move(failure))
    {
    }

    std::variant<T, Failure> m_content;
};

} // namespace swf
