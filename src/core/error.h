#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace tvx {

enum class Cause { Io, NotFound, Access, DiskFull, BadFormat };

struct Error {
    Cause cause = Cause::Io;
    int osError = 0;              // errno at the failing call; 0 when the fault is ours
    std::string path;
    std::uint64_t offset = 0;     // where in the file, when known
    std::string detail;           // our own words, when the fault is not the system's
};

inline Error IoError(int osError, std::string path = {}) {
    return {Cause::Io, osError, std::move(path), 0, {}};
}

// Maps errno to the cause a user can act on; one place for the whole program.
Cause CauseOfErrno(int osError);

// "No such file or directory", "Permission denied", ... or our own words for a format fault.
std::string DescribeError(const Error& error);

template <typename T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_value(std::move(error)) {}

    explicit operator bool() const { return std::holds_alternative<T>(m_value); }
    T& operator*() { return std::get<T>(m_value); }
    const T& operator*() const { return std::get<T>(m_value); }
    T* operator->() { return &std::get<T>(m_value); }
    const T* operator->() const { return &std::get<T>(m_value); }
    const Error& GetError() const { return std::get<Error>(m_value); }

private:
    std::variant<T, Error> m_value;
};

}  // namespace tvx
