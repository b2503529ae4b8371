#pragma once

#include <memory>
#include <stdexcept>

// Raised whenever a nil object is used. The program catches it in a few chosen places
// and lets it travel everywhere else.
class NilObjectException : public std::runtime_error
{
public:
    NilObjectException() : std::runtime_error("NilObjectException") {}
};

namespace framework {

// The single place where using nil becomes a NilObjectException; call sites never
// repeat the test themselves.
template <typename T> T* nonNil(T* object)
{
    if (!object)
        throw NilObjectException();
    return object;
}

template <typename T> const std::shared_ptr<T>& nonNil(const std::shared_ptr<T>& object)
{
    if (!object)
        throw NilObjectException();
    return object;
}

} // namespace framework
