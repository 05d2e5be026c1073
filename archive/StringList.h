// A list of text lines, each able to carry an object that the list owns.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
};

class TStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const { return FItems.at(static_cast<size_t>(index)).Text; }
    TObject* Objects(int index) const { return FItems.at(static_cast<size_t>(index)).Object.get(); }

    int Add(std::string text, std::unique_ptr<TObject> object = nullptr);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    // Index of the first line equal to text, ignoring ASCII case; -1 if none.
    int IndexOfText(const std::string& text) const;

private:
    struct TItem {
        std::string Text;
        std::unique_ptr<TObject> Object;
    };
    std::vector<TItem> FItems;
};

// Equality of two texts ignoring the case of ASCII letters only.
bool SameText(const std::string& a, const std::string& b);
