// The program's own small pictures: the seven 16 by 16 menu and toolbar images and the
// application icon, drawn as pixel art with a small palette.
#pragma once

#include <array>
#include <string_view>

#include "platform/image.h"

namespace korvo {

// In the order start-up decodes them.
enum class Picture { Exit, Help, Homepage, Settings, Server, Client, HideInTray, Count };

inline constexpr int kPictureCount = static_cast<int>(Picture::Count);
inline constexpr int kPictureSize = 16;

using PixelArt = std::array<std::string_view, kPictureSize>;

// The art of one picture; each character is a palette entry, blank is transparent.
const PixelArt& pictureArt(Picture picture);
const PixelArt& applicationIconArt();

// Turns pixel art into an image; false (and an empty image) when the art has a wrong
// size or a character outside the palette.
bool drawPixelArt(const PixelArt& art, platform::Image& image);

// Drawn at start-up, read by the GUI thread afterwards.
extern platform::Image applicationIcon;

// Start-up: the application icon (step 6) and the seven pictures (step 12). A picture
// that cannot be drawn stays empty; start-up goes on without it.
void loadApplicationIcon();
void decodePictures();

// A drawn picture, or nullptr when it is empty.
const platform::Image* pictureImage(Picture picture);

}  // namespace korvo
