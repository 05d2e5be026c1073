// The general exception class and the stream layer's own failures. Every
// failure of the system travels as one of these, carrying only its message.
#pragma once

#include <exception>
#include <string>
#include <utility>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

// Declares a direct descendant of Exception that carries only a message.
#define DECLARE_EXCEPTION(Name)                                      \
    class Name : public Exception {                                  \
    public:                                                          \
        explicit Name(std::string message) : Exception(std::move(message)) {} \
    }

DECLARE_EXCEPTION(EStreamError);
DECLARE_EXCEPTION(EFCreateError);
DECLARE_EXCEPTION(EFOpenError);
DECLARE_EXCEPTION(EReadError);
DECLARE_EXCEPTION(EWriteError);
DECLARE_EXCEPTION(EInOutError);
DECLARE_EXCEPTION(EResNotFound);
