#pragma once
// The program's failures. Messages are the texts the user sees.
#include <stdexcept>
#include <string>

namespace muralto {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The silent abort: callers catch it and go on without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception("操作は中止されました。") {}
};

// Data read from a file ended early or a length in it lies.
class EReadError : public Exception {
public:
    EReadError() : Exception("ストリームの読み込みエラーです。ファイルが壊れています。") {}
};

// A list index out of range.
class EListError : public Exception {
public:
    using Exception::Exception;
};

} // namespace muralto
