// The two fonts of the backend: the system's message font for the main window, and the
// dialog font for tool windows, whose controls the program places in pixels.
#include <windows.h>

#include <algorithm>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {
namespace {

// Dialogs are laid out for letters of about 5 pixels on average, as the classic 8-point
// dialog font has them. The alphabet measures a face's average the way dialog units do.
constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr LONG kAlphabetLetters = 52;
constexpr LONG kDesignedLetterWidth = 5;

LOGFONTW messageFace() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return metrics.lfMessageFont;
    LOGFONTW face{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    return face;
}

}  // namespace

HFONT makeMessageFont() {
    const LOGFONTW face = messageFace();
    return ::CreateFontIndirectW(&face);
}

// The message font, narrowed where its letters are wider than the dialogs were laid out
// for (Wine's face is): a wider face would cut their labels off.
HFONT makeDialogFont() {
    LOGFONTW face = messageFace();
    HFONT font = ::CreateFontIndirectW(&face);
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, font);
    TEXTMETRICW metrics{};
    SIZE alphabet{};
    const bool measured = ::GetTextMetricsW(screen, &metrics) &&
                          ::GetTextExtentPoint32W(screen, kAlphabet, kAlphabetLetters, &alphabet);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    const LONG designed = kDesignedLetterWidth * kAlphabetLetters;
    if (!measured || alphabet.cx <= designed)
        return font;
    ::DeleteObject(font);
    face.lfWidth = std::max<LONG>(1, metrics.tmAveCharWidth * designed / alphabet.cx);
    return ::CreateFontIndirectW(&face);
}

}  // namespace platform::win32ui
