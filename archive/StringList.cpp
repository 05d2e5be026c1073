#include "archive/StringList.h"

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

int TStringList::Add(std::string text, std::unique_ptr<TObject> object)
{
    FItems.push_back({std::move(text), std::move(object)});
    return Count() - 1;
}

void TStringList::Delete(int index)
{
    FItems.erase(FItems.begin() + index);
}

int TStringList::IndexOfText(const std::string& text) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(FItems[static_cast<size_t>(i)].Text, text))
            return i;
    return -1;
}
