#pragma once
// The exception classes that the payload formats raise. Messages are UTF-8 text.

#include <stdexcept>
#include <string>

namespace vq {

// The general exception: "Index out of range." and the like.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that cannot be read as a number or a date.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list's bounds.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Stream and file failures.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

}  // namespace vq
