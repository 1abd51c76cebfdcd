// The body geometry's promise to the client, the shortcut table and the pictures.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "app/main_layout.h"
#include "app/pictures.h"
#include "app/shortcuts.h"

namespace korvo {
namespace {

constexpr BarHeights kBars{21, 30, 22};

TEST(MainLayoutTest, TheViewChangesExactlyAsMuchAsTheWindow) {
    const BodyLayout created = creationLayout(700, 525, kBars);
    const BodyLayout larger = resizedLayout(created, 1000, 800, kBars);
    EXPECT_EQ(larger.view.width - created.view.width, 300);
    EXPECT_EQ(larger.view.height - created.view.height, 275);
    EXPECT_EQ(larger.clientsList.width, larger.flatFrame.width);
    // Positions stay where they were.
    EXPECT_EQ(larger.outerFrame.y, created.outerFrame.y);
    EXPECT_EQ(larger.view.x, created.view.x);
    const BodyLayout back = resizedLayout(larger, 700, 525, kBars);
    EXPECT_EQ(back.view.width, created.view.width);
    EXPECT_EQ(back.view.height, created.view.height);
}

TEST(ShortcutTableTest, HoldsTheViewersKeysOnceEach) {
    const std::vector<ViewerShortcut> table = viewerShortcuts();
    ASSERT_EQ(table.size(), 128u);
    std::set<std::pair<int, bool>> keys;
    std::set<int> numbers;
    for (const ViewerShortcut& s : table) {
        keys.insert({s.virtualKey, s.shift});
        numbers.insert(s.eventNumber);
        // Every number falls into a range the viewer's dispatch knows.
        const int n = s.eventNumber;
        const bool known = (n >= 48 && n <= 57) || (n >= 97 && n <= 122) ||
                           (n >= 397 && n <= 422) || n == 508 || n == 509 || n == 512 || n == 513 ||
                           (n >= 518 && n <= 520) || n == 527 || (n >= 532 && n <= 547) ||
                           (n >= 596 && n <= 635) || n == 644 || n == 645;
        EXPECT_TRUE(known) << n;
        EXPECT_TRUE(!s.shift || (s.virtualKey >= 'A' && s.virtualKey <= 'Z')) << s.virtualKey;
    }
    EXPECT_EQ(keys.size(), 128u);
    EXPECT_EQ(numbers.size(), 128u);
}

TEST(ShortcutTableTest, SampleKeysCarryTheirNumbers) {
    auto numberOf = [](int key, bool shift) {
        for (const ViewerShortcut& s : viewerShortcuts()) {
            if (s.virtualKey == key && s.shift == shift)
                return s.eventNumber;
        }
        return -1;
    };
    EXPECT_EQ(numberOf('0', false), 48);
    EXPECT_EQ(numberOf('A', false), 97);
    EXPECT_EQ(numberOf('Z', true), 422);
    EXPECT_EQ(numberOf(0x08, false), 508);
    EXPECT_EQ(numberOf(0x0D, false), 513);
    EXPECT_EQ(numberOf(0x12, false), 518);
    EXPECT_EQ(numberOf(0x25, false), 537);
    EXPECT_EQ(numberOf(0x6F, false), 611);
    EXPECT_EQ(numberOf(0x87, false), 635);
    EXPECT_EQ(numberOf(0x91, false), 645);
    EXPECT_EQ(numberOf('1', true), -1);  // no shifted digits
    EXPECT_EQ(numberOf(0x10, false), -1);
}

TEST(PicturesTest, EveryPictureIsADistinctVisible16By16Image) {
    std::set<std::vector<uint32_t>> seen;
    for (int i = 0; i <= kPictureCount; ++i) {
        platform::Image image;
        const PixelArt& art =
            i < kPictureCount ? pictureArt(static_cast<Picture>(i)) : applicationIconArt();
        ASSERT_TRUE(drawPixelArt(art, image)) << i;
        EXPECT_TRUE(image.valid());
        EXPECT_EQ(image.width, 16);
        EXPECT_EQ(image.height, 16);
        int opaque = 0;
        for (uint32_t p : image.pixels)
            opaque += (p >> 24) == 0xFF ? 1 : 0;
        EXPECT_GT(opaque, 40) << i;
        seen.insert(image.pixels);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kPictureCount + 1));
}

TEST(PicturesTest, BrokenArtGivesNoImage) {
    PixelArt art = pictureArt(Picture::Help);
    art[3] = "  kbbbwwwwbbbk ";  // one character short
    platform::Image image;
    EXPECT_FALSE(drawPixelArt(art, image));
    EXPECT_FALSE(image.valid());
    art = pictureArt(Picture::Help);
    art[0] = "       ?        ";  // outside the palette
    EXPECT_FALSE(drawPixelArt(art, image));
    EXPECT_FALSE(image.valid());
}

}  // namespace
}  // namespace korvo
