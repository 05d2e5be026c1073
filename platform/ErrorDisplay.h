// The text of the application's default error display: the error's message,
// with a full stop appended when its last character sorts after ".".
#pragma once

#include <string>

inline std::string ErrorDisplayText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}
