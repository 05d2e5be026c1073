// The Windows programs' own raising helpers (ui/LibraryErrors.cpp) and guards
// of function-local statics (ui/SingleThreadStatics.cpp), linked
// here in place of the C++ library's: a failure keeps its text, and the
// exceptions without a text keep their type.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The text of what action raises; "library's own" when the C++ library's
// exception class came out, which would mean the helpers here are not in use.
std::string TextOf(void (*action)())
{
    try {
        action();
    } catch (const std::logic_error&) {
        return "library's own";
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no exception";
}

} // namespace

TEST(LibraryErrors, SameTextsAsTheLibrary)
{
    EXPECT_EQ(TextOf([] { (void)std::string("abc").substr(5); }),
              "basic_string::substr: __pos (which is 5) > this->size() (which is 3)");
    EXPECT_EQ(TextOf([] { (void)std::string("abcd").at(4); }),
              "basic_string::at: __n (which is 4) >= this->size() (which is 4)");
    EXPECT_EQ(TextOf([] { (void)std::vector<int>(2).at(7); }),
              "vector::_M_range_check: __n (which is 7) >= this->size() (which is 2)");
    EXPECT_EQ(TextOf([] { std::string s; s.reserve(s.max_size() + 1); }), "basic_string::_M_create");
    EXPECT_EQ(TextOf([] { std::vector<int> v; v.reserve(v.max_size() + 1); }), "vector::reserve");
    EXPECT_EQ(TextOf([] { (void)std::string(static_cast<const char*>(nullptr)); }),
              "basic_string: construction from null is not valid");
}

TEST(LibraryErrors, TextlessExceptionsKeepTheirType)
{
    EXPECT_THROW(std::__throw_bad_alloc(), std::bad_alloc);
    EXPECT_THROW(std::__throw_bad_array_new_length(), std::bad_array_new_length);
}

namespace {

int Initialisations = 0;
bool FailNext = true;

int Made()
{
    ++Initialisations;
    if (FailNext) {
        FailNext = false;
        throw std::runtime_error("first try");
    }
    return 42;
}

int OnceMade()
{
    static const int value = Made();
    return value;
}

} // namespace

// The programs' own guards: a static is made once, and made again after
// its first initialisation raised.
TEST(LibraryErrors, FunctionStaticsAreMadeOnceAndRetriedAfterAFailure)
{
    EXPECT_THROW(OnceMade(), std::runtime_error);
    EXPECT_EQ(OnceMade(), 42);
    EXPECT_EQ(OnceMade(), 42);
    EXPECT_EQ(Initialisations, 2);
}
