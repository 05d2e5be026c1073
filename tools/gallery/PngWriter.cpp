#include "tools/gallery/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data)
{
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream holding raw in stored deflate blocks of at most 65,535 bytes.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> out = {0x78, 0x01}; // deflate, 32 KiB window, no dictionary
    size_t pos = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - pos, 65535);
        const bool last = pos + length == raw.size();
        out.push_back(last ? 1 : 0); // BFINAL, BTYPE 00 (stored)
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
                   raw.begin() + static_cast<ptrdiff_t>(pos + length));
        pos += length;
    } while (pos < raw.size());
    PutBigEndian(out, Adler32(raw));
    return out;
}

} // namespace

std::vector<uint8_t> EncodePng(const TDrawingSurface& image)
{
    const int w = image.Width(), h = image.Height();
    // Pictures of at most 256 colours (all the controls draw) go out with a palette,
    // one byte a pixel; others as plain RGB.
    std::unordered_map<TColor, uint8_t> index;
    std::vector<uint8_t> palette;
    bool indexed = true;
    for (int y = 0; y < h && indexed; ++y)
        for (int x = 0; x < w && indexed; ++x) {
            const TColor c = image.Pixel(x, y);
            if (index.count(c))
                continue;
            if (index.size() == 256) {
                indexed = false;
                break;
            }
            index.emplace(c, static_cast<uint8_t>(index.size()));
            palette.insert(palette.end(), {static_cast<uint8_t>(RedOf(c)), static_cast<uint8_t>(GreenOf(c)),
                                           static_cast<uint8_t>(BlueOf(c))});
        }
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(h) * (1 + (indexed ? 1 : 3) * static_cast<size_t>(w)));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < w; ++x) {
            const TColor c = image.Pixel(x, y);
            if (indexed) {
                raw.push_back(index[c]);
            } else {
                raw.push_back(static_cast<uint8_t>(RedOf(c)));
                raw.push_back(static_cast<uint8_t>(GreenOf(c)));
                raw.push_back(static_cast<uint8_t>(BlueOf(c)));
            }
        }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(w));
    PutBigEndian(header, static_cast<uint32_t>(h));
    // 8 bits, palette or RGB, deflate, no filter choice, no interlace.
    header.insert(header.end(), {8, static_cast<uint8_t>(indexed ? 3 : 2), 0, 0, 0});
    PutChunk(png, "IHDR", header);
    if (indexed)
        PutChunk(png, "PLTE", palette);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng(const TDrawingSurface& image, const std::string& path)
{
    const std::vector<uint8_t> bytes = EncodePng(image);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
