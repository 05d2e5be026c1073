// The C++ library's helpers that raise its standard exceptions, for the
// Windows programs alone. The library's own helpers bring its copy-on-write
// string and its string-carrying exception classes along, about 50 KB of each
// program, for failures that these programs only ever show by their text:
// they catch std::exception and show what(). So the exceptions without a
// text are raised as before, and a length, logic or range failure raises an
// exception of its own type with the same text.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>

namespace {

class ELibraryFailure : public std::exception {
public:
    const char* what() const noexcept override { return FText; }

    // Copies text, cut to fit.
    void Append(const char* text)
    {
        while (*text != '\0' && FLength + 1 < sizeof FText)
            FText[FLength++] = *text++;
        FText[FLength] = '\0';
    }

    void AppendNumber(size_t value)
    {
        char digits[24];
        size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        char text[24];
        for (size_t i = 0; i < count; ++i)
            text[i] = digits[count - 1 - i];
        text[count] = '\0';
        Append(text);
    }

private:
    char FText[256] = {};
    size_t FLength = 0;
};

} // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }

void __throw_bad_array_new_length() { throw bad_array_new_length(); }

void __throw_logic_error(const char* text)
{
    ELibraryFailure failure;
    failure.Append(text);
    throw failure;
}

void __throw_length_error(const char* text)
{
    ELibraryFailure failure;
    failure.Append(text);
    throw failure;
}

// The library formats these with %s, %zu and %% only.
void __throw_out_of_range_fmt(const char* format, ...)
{
    ELibraryFailure failure;
    va_list args;
    va_start(args, format);
    char plain[2] = {0, 0};
    for (const char* p = format; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            failure.Append(va_arg(args, const char*));
            ++p;
        } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
            failure.AppendNumber(va_arg(args, size_t));
            p += 2;
        } else if (p[0] == '%' && p[1] == '%') {
            failure.Append("%");
            ++p;
        } else {
            plain[0] = *p;
            failure.Append(plain);
        }
    }
    va_end(args);
    throw failure;
}

} // namespace std
