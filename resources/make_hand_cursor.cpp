// Writes the hand pointer HAND-M.CUR: a 32 x 32 cursor file (32-bit colour
// with alpha, plus the AND mask older readers use) drawn from the picture
// below, with its hot spot on the tip of the pointing finger.
//
// Usage: hourvane_make_cursor <output file>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

// '#' outline, '.' fill, ' ' transparent. Drawn from the top-left corner.
constexpr std::array<std::string_view, 20> kHand{{
    "     ##          ",
    "    #..#         ",
    "    #..#         ",
    "    #..#         ",
    "    #..#         ",
    "    #..###       ",
    "    #..#..###    ",
    "    #..#..#..##  ",
    "    #..#..#..#..#",
    " ## #..#..#..#..#",
    "#..##..#..#..#..#",
    "#...#...........#",
    " #..............#",
    "  #.............#",
    "  #............# ",
    "   #...........# ",
    "   #..........#  ",
    "    #.........#  ",
    "    #.........#  ",
    "    ###########  ",
}};
constexpr int kSize = 32;
constexpr int kHotSpotX = 5;
constexpr int kHotSpotY = 0;

void put16(std::vector<std::uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

char pixelAt(int x, int y)
{
    if (y >= static_cast<int>(kHand.size()))
        return ' ';
    const std::string_view row = kHand[static_cast<size_t>(y)];
    return x < static_cast<int>(row.size()) ? row[static_cast<size_t>(x)] : ' ';
}

std::vector<std::uint8_t> cursorFile()
{
    constexpr std::uint32_t colourBytes = kSize * kSize * 4;
    constexpr std::uint32_t maskBytes = kSize * 4;  // one bit a pixel, rows padded to 4 bytes
    constexpr std::uint32_t headerBytes = 40;
    constexpr std::uint32_t imageOffset = 6 + 16;

    std::vector<std::uint8_t> out;
    // The directory: one image of type 2 (cursor).
    put16(out, 0);
    put16(out, 2);
    put16(out, 1);
    // Its entry: for a cursor the planes and bit-count fields hold the hot spot.
    out.push_back(kSize);
    out.push_back(kSize);
    out.push_back(0);
    out.push_back(0);
    put16(out, kHotSpotX);
    put16(out, kHotSpotY);
    put32(out, headerBytes + colourBytes + maskBytes);
    put32(out, imageOffset);
    // The bitmap header; the height counts the colour rows and the mask rows.
    put32(out, headerBytes);
    put32(out, kSize);
    put32(out, 2 * kSize);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, colourBytes + maskBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    // Colour rows, bottom row first, as blue, green, red, alpha.
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; ++x) {
            switch (pixelAt(x, y)) {
            case '#': out.insert(out.end(), {0x00, 0x00, 0x00, 0xFF}); break;
            case '.': out.insert(out.end(), {0xFF, 0xFF, 0xFF, 0xFF}); break;
            default: out.insert(out.end(), {0x00, 0x00, 0x00, 0x00}); break;
            }
        }
    }
    // The AND mask, bottom row first: a set bit leaves the screen pixel as it is.
    for (int y = kSize - 1; y >= 0; --y) {
        for (int byte = 0; byte < kSize / 8; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (pixelAt(byte * 8 + bit, y) == ' ')
                    bits |= static_cast<std::uint8_t>(0x80 >> bit);
            }
            out.push_back(bits);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> bytes = cursorFile();
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
