#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Little(const std::vector<std::uint8_t>& data, std::size_t offset, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | data.at(offset + static_cast<std::size_t>(i));
    return value;
}

std::size_t RowBytes(std::uint32_t width, std::uint32_t bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

TEST(ProgramIcon, HoldsNineUncompressedBitmapsWithMasks)
{
    const std::vector<std::uint8_t> ico = ReadFile(DRAVIX_ICO_PATH);
    ASSERT_GE(ico.size(), 6U);
    EXPECT_EQ(Little(ico, 0, 2), 0U);
    EXPECT_EQ(Little(ico, 2, 2), 1U); // an icon, not a cursor
    ASSERT_EQ(Little(ico, 4, 2), 9U);

    std::set<std::pair<std::uint32_t, std::uint32_t>> sizesAndDepths;
    for (std::size_t entry = 0; entry < 9; ++entry) {
        const std::size_t at = 6 + 16 * entry;
        const std::uint32_t width = Little(ico, at, 1);
        const std::uint32_t height = Little(ico, at + 1, 1);
        const std::uint32_t colours = Little(ico, at + 2, 1);
        const std::uint32_t depth = Little(ico, at + 6, 2);
        const std::uint32_t bytes = Little(ico, at + 8, 4);
        const std::uint32_t offset = Little(ico, at + 12, 4);
        SCOPED_TRACE(std::to_string(width) + " px, " + std::to_string(depth) + " bpp");
        sizesAndDepths.emplace(width, depth);
        EXPECT_EQ(width, height);
        EXPECT_EQ(Little(ico, at + 4, 2), 1U); // planes
        EXPECT_EQ(colours, depth == 4 ? 16U : 0U);
        ASSERT_LE(std::size_t{offset} + bytes, ico.size());

        // A plain bitmap: a BITMAPINFOHEADER (not a PNG signature) over twice the height,
        // uncompressed, then the palette, the colour bitmap and the AND mask, nothing more.
        EXPECT_EQ(Little(ico, offset, 4), 40U);
        EXPECT_EQ(Little(ico, offset + 4, 4), width);
        EXPECT_EQ(Little(ico, offset + 8, 4), 2 * height);
        EXPECT_EQ(Little(ico, offset + 12, 2), 1U);
        EXPECT_EQ(Little(ico, offset + 14, 2), depth);
        EXPECT_EQ(Little(ico, offset + 16, 4), 0U); // BI_RGB
        const std::uint32_t used = Little(ico, offset + 32, 4);
        const std::size_t paletteEntries = depth == 32 ? 0 : (used != 0 ? used : 1U << depth);
        const std::size_t colourBytes = RowBytes(width, depth) * height;
        const std::size_t maskBytes = RowBytes(width, 1) * height;
        EXPECT_EQ(bytes, 40 + 4 * paletteEntries + colourBytes + maskBytes);

        // The corners lie outside the rounded tile: masked out; the centre is drawn.
        const std::size_t mask = offset + 40 + 4 * paletteEntries + colourBytes;
        EXPECT_TRUE(ico.at(mask) & 0x80) << "bottom-left corner";
        const std::size_t middleRow = mask + RowBytes(width, 1) * (height / 2);
        EXPECT_FALSE(ico.at(middleRow + width / 16) & (0x80 >> (width / 2 % 8))) << "centre";

        if (depth == 32) {
            std::set<std::uint8_t> alphas;
            const std::size_t pixels = offset + 40;
            for (std::size_t i = 0; i < std::size_t{width} * height; ++i)
                alphas.insert(ico.at(pixels + 4 * i + 3));
            EXPECT_TRUE(alphas.count(0) && alphas.count(255)) << "transparent and opaque pixels";
            EXPECT_GT(alphas.size(), 2U) << "smooth edges";
        }
    }
    const std::set<std::pair<std::uint32_t, std::uint32_t>> expected = {
        {48, 4}, {48, 8}, {48, 32}, {32, 4}, {32, 8}, {32, 32}, {16, 4}, {16, 8}, {16, 32}};
    EXPECT_EQ(sizesAndDepths, expected);
}

} // namespace
