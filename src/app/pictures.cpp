#include "app/pictures.h"

#include <cstdint>

namespace korvo {

namespace {

// Palette of the pixel art, 0xAARRGGBB.
uint32_t paletteColour(char c, bool& known) {
    known = true;
    switch (c) {
        case ' ':
            return 0x00000000;
        case 'k':
            return 0xFF2B2B2B;  // outline
        case 'g':
            return 0xFF8A8F96;  // grey
        case 's':
            return 0xFFC9CDD2;  // silver
        case 'w':
            return 0xFFFFFFFF;
        case 'b':
            return 0xFF1E5AA8;  // blue
        case 'c':
            return 0xFF7FB2EA;  // light blue
        case 'r':
            return 0xFFC62828;  // red
        case 'o':
            return 0xFFEF8A1F;  // orange
        case 'y':
            return 0xFFF4D03F;  // yellow
        case 'n':
            return 0xFF2E9E48;  // green
        case 'd':
            return 0xFF8D5A2B;  // brown
        default:
            known = false;
            return 0;
    }
}

constexpr PixelArt kExit = {
    "                ", "   kkkkkkkk     ", "   kddddddk     ", "   kddddddk  r  ",
    "   kddddddk  rr ", "   kddddddrrrrrr", "   kddddyydrrrrr", "   kddddyyd  rr ",
    "   kddddddk  r  ", "   kddddddk     ", "   kddddddk     ", "   kddddddk     ",
    "   kddddddk     ", "   kkkkkkkk     ", "                ", "                ",
};

constexpr PixelArt kHelp = {
    "                ", "     kkkkkk     ", "   kkbbbbbbkk   ", "  kbbbwwwwbbbk  ",
    "  kbbwwbbwwbbk  ", " kbbbbbbbwwbbbk ", " kbbbbbbwwbbbbk ", " kbbbbbwwbbbbbk ",
    " kbbbbbwwbbbbbk ", " kbbbbbbbbbbbbk ", "  kbbbbwwbbbbk  ", "  kbbbbwwbbbbk  ",
    "   kkbbbbbbkk   ", "     kkkkkk     ", "                ", "                ",
};

constexpr PixelArt kHomepage = {
    "                ", "       kk       ", "      krrk  kk  ", "     krrrrk kk  ",
    "    krrrrrrkkk  ", "   krrrrrrrrk   ", "  krrrrrrrrrrk  ", " kkkkkkkkkkkkkk ",
    "  kssssssssssk  ", "  kscckssddssk  ", "  kscckssddssk  ", "  ksssssssddssk ",
    "  ksssssssddsk  ", "  kkkkkkkkkkkk  ", "                ", "                ",
};

constexpr PixelArt kSettings = {
    "                ", "      kkkk      ", "   kk kggk kk   ", "  kggkkggkkggk  ",
    "  kggggggggggk  ", "   kgggkkgggk   ", " kkggk    kggkk ", " kgggk    kgggk ",
    " kgggk    kgggk ", " kkggk    kggkk ", "   kgggkkgggk   ", "  kggggggggggk  ",
    "  kggkkggkkggk  ", "   kk kggk kk   ", "      kkkk      ", "                ",
};

constexpr PixelArt kServer = {
    "                ", "   kkkkkkkkkk   ", "   kssssssssk   ", "   kskkkkkksk   ",
    "   kssssssnsk   ", "   kskkkkkksk   ", "   kssssssssk   ", "   kskkkkkksk   ",
    "   kssssssnsk   ", "   kskkkkkksk   ", "   kssssssssk   ", "   ksssssssok   ",
    "   kssssssssk   ", "   kkkkkkkkkk   ", "  kkkkkkkkkkkk  ", "                ",
};

constexpr PixelArt kClient = {
    "                ", " kkkkkkkkkkkkkk ", " kssssssssssssk ", " kskkkkkkkkkksk ",
    " kskccccccccksk ", " kskcccwccccksk ", " kskccwwccccksk ", " kskccccccccksk ",
    " kskccccccbbksk ", " kskkkkkkkkkksk ", " kssssssssssssk ", " kkkkkkkkkkkkkk ",
    "      kssk      ", "    kkkkkkkk    ", "    kggggggk    ", "    kkkkkkkk    ",
};

constexpr PixelArt kHideInTray = {
    "                ", "      kkkk      ", "      kbbk      ", "      kbbk      ",
    "      kbbk      ", "   kkkkbbkkkk   ", "    kbbbbbbk    ", "     kbbbbk     ",
    "      kbbk      ", "       kk       ", "                ", " kkkkkkkkkkkkkk ",
    " kssssssssssyyk ", " kssssssssssyyk ", " kkkkkkkkkkkkkk ", "                ",
};

constexpr PixelArt kApplicationIcon = {
    "kkkkkkkkkkk     ", "kccccccccck     ", "kccccccccck     ", "kccccccccck     ",
    "kccccccccck     ", "kcccckkkkkkkkkkk", "kbbbbkbbbbbbbbbk", "kkkkkkbnnnccccbk",
    "     kbnncccccbk", "     kbnccccccbk", "     kbcccccccbk", "     kbbbbbbbbbk",
    "     kkkkkkkkkkk", "         kkk    ", "       kkkkkkk  ", "                ",
};

}  // namespace

const PixelArt& pictureArt(Picture picture) {
    switch (picture) {
        case Picture::Exit:
            return kExit;
        case Picture::Help:
            return kHelp;
        case Picture::Homepage:
            return kHomepage;
        case Picture::Settings:
            return kSettings;
        case Picture::Server:
            return kServer;
        case Picture::Client:
            return kClient;
        case Picture::HideInTray:
        case Picture::Count:
            break;
    }
    return kHideInTray;
}

const PixelArt& applicationIconArt() {
    return kApplicationIcon;
}

bool drawPixelArt(const PixelArt& art, platform::Image& image) {
    image = {};
    platform::Image drawn;
    drawn.width = kPictureSize;
    drawn.height = kPictureSize;
    drawn.pixels.reserve(kPictureSize * kPictureSize);
    for (std::string_view row : art) {
        if (row.size() != kPictureSize)
            return false;
        for (char c : row) {
            bool known = false;
            const uint32_t colour = paletteColour(c, known);
            if (!known)
                return false;
            drawn.pixels.push_back(colour);
        }
    }
    image = std::move(drawn);
    return true;
}

platform::Image applicationIcon;

namespace {
std::array<platform::Image, kPictureCount> pictures;
}  // namespace

void loadApplicationIcon() {
    drawPixelArt(applicationIconArt(), applicationIcon);
}

void decodePictures() {
    for (int i = 0; i < kPictureCount; ++i)
        drawPixelArt(pictureArt(static_cast<Picture>(i)), pictures[static_cast<size_t>(i)]);
}

const platform::Image* pictureImage(Picture picture) {
    const int index = static_cast<int>(picture);
    if (index < 0 || index >= kPictureCount)
        return nullptr;
    const platform::Image& image = pictures[static_cast<size_t>(index)];
    return image.valid() ? &image : nullptr;
}

}  // namespace korvo
