#include "platform/keys/virtual_keys.h"

#include <array>
#include <utility>

namespace platform::keys {
namespace {

// Keysym values, as the X protocol numbers them.
enum : uint32_t {
    kBackSpace = 0xFF08,
    kTab = 0xFF09,
    kClear = 0xFF0B,
    kReturn = 0xFF0D,
    kPause = 0xFF13,
    kScrollLock = 0xFF14,
    kEscape = 0xFF1B,
    kHome = 0xFF50,
    kLeft = 0xFF51,
    kUp = 0xFF52,
    kRight = 0xFF53,
    kDown = 0xFF54,
    kPrior = 0xFF55,
    kNext = 0xFF56,
    kEnd = 0xFF57,
    kSelect = 0xFF60,
    kPrint = 0xFF61,
    kExecute = 0xFF62,
    kInsert = 0xFF63,
    kMenu = 0xFF67,
    kHelp = 0xFF6A,
    kNumLock = 0xFF7F,
    kKpMultiply = 0xFFAA,
    kKpAdd = 0xFFAB,
    kKpSeparator = 0xFFAC,
    kKpSubtract = 0xFFAD,
    kKpDecimal = 0xFFAE,
    kKpDivide = 0xFFAF,
    kKp0 = 0xFFB0,
    kF1 = 0xFFBE,
    kF24 = 0xFFD5,
    kShiftL = 0xFFE1,
    kShiftR = 0xFFE2,
    kControlL = 0xFFE3,
    kControlR = 0xFFE4,
    kCapsLock = 0xFFE5,
    kAltL = 0xFFE9,
    kAltR = 0xFFEA,
    kSuperL = 0xFFEB,
    kSuperR = 0xFFEC,
    kDelete = 0xFFFF,
    // Latin-1 keysyms are the characters themselves.
    kSpace = ' ',
    kSemicolon = ';',
    kEqual = '=',
    kComma = ',',
    kMinus = '-',
    kPeriod = '.',
    kSlash = '/',
    kGrave = '`',
    kBracketLeft = '[',
    kBackslash = '\\',
    kBracketRight = ']',
    kApostrophe = '\'',
    kDigit0 = '0',
    kDigit9 = '9',
    kLetterA = 'a',
    kLetterZ = 'z',
};

using Entry = std::pair<uint8_t, uint32_t>;

// Every key the viewer sends, the Shift keys the character typing uses, and the
// punctuation keys of a US keyboard, numbered as Windows numbers them there. Where two
// codes name one key (Shift and left Shift, Print and Print Screen), the first entry
// is the one a keysym maps back to. The ISO 102nd key has no entry on purpose: its
// characters are reported on the main block's keys, as on a US layout.
constexpr Entry kEntries[] = {
    {0x08, kBackSpace},    {0x09, kTab},        {0x0C, kClear},       {0x0D, kReturn},
    {0x10, kShiftL},       {0x11, kControlL},   {0x12, kAltL},        {0x13, kPause},
    {0x14, kCapsLock},     {0x1B, kEscape},     {0x20, kSpace},       {0x21, kPrior},
    {0x22, kNext},         {0x23, kEnd},        {0x24, kHome},        {0x25, kLeft},
    {0x26, kUp},           {0x27, kRight},      {0x28, kDown},        {0x29, kSelect},
    {0x2C, kPrint},        {0x2A, kPrint},      {0x2B, kExecute},     {0x2D, kInsert},
    {0x2E, kDelete},       {0x2F, kHelp},       {0x5B, kSuperL},      {0x5C, kSuperR},
    {0x5D, kMenu},         {0x6A, kKpMultiply}, {0x6B, kKpAdd},       {0x6C, kKpSeparator},
    {0x6D, kKpSubtract},   {0x6E, kKpDecimal},  {0x6F, kKpDivide},    {0x90, kNumLock},
    {0x91, kScrollLock},   {0xA0, kShiftL},     {0xA1, kShiftR},      {0xA2, kControlL},
    {0xA3, kControlR},     {0xA4, kAltL},       {0xA5, kAltR},        {0xBA, kSemicolon},
    {0xBB, kEqual},        {0xBC, kComma},      {0xBD, kMinus},       {0xBE, kPeriod},
    {0xBF, kSlash},        {0xC0, kGrave},      {0xDB, kBracketLeft}, {0xDC, kBackslash},
    {0xDD, kBracketRight}, {0xDE, kApostrophe},
};

constexpr std::array<uint32_t, 256> buildTable() {
    std::array<uint32_t, 256> table{};
    for (const Entry& entry : kEntries)
        table[entry.first] = entry.second;
    // Digits and letters keep their ASCII codes; a letter's key is named by its
    // lower-case keysym, the one it gives without Shift.
    for (uint32_t digit = 0; digit < 10; ++digit)
        table[0x30 + digit] = kDigit0 + digit;
    for (uint32_t letter = 0; letter < 26; ++letter)
        table[0x41 + letter] = kLetterA + letter;
    for (uint32_t digit = 0; digit < 10; ++digit)
        table[0x60 + digit] = kKp0 + digit;
    for (uint32_t function = 0; function < 24; ++function)
        table[0x70 + function] = kF1 + function;
    return table;
}

constexpr std::array<uint32_t, 256> kTable = buildTable();

// OEM-specific and unassigned codes, none of them in the table above.
constexpr uint8_t kLayoutKeys[] = {
    0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0x92,
    0x93, 0x94, 0x95, 0x96, 0xE1, 0xE3, 0xE4, 0xE6, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C,
    0x9D, 0x9E, 0x9F, 0xD8, 0xD9, 0xDA, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
};

// The shifted characters of a US keyboard, each on the key of the character below it.
constexpr std::pair<char, char> kShiftedUs[] = {
    {'!', '1'}, {'@', '2'}, {'#', '3'}, {'$', '4'}, {'%', '5'},  {'^', '6'}, {'&', '7'},
    {'*', '8'}, {'(', '9'}, {')', '0'}, {':', ';'}, {'+', '='},  {'<', ','}, {'_', '-'},
    {'>', '.'}, {'?', '/'}, {'~', '`'}, {'{', '['}, {'|', '\\'}, {'}', ']'}, {'"', '\''},
};

constexpr int16_t kWithShift = 0x100;

}  // namespace

uint32_t keysymForVirtualKey(uint8_t virtualKey) {
    return kTable[virtualKey];
}

uint8_t virtualKeyForKeysym(uint32_t keysym) {
    if (keysym == kNoKeysym)
        return 0;
    if (keysym >= kDigit0 && keysym <= kDigit9)
        return static_cast<uint8_t>(0x30 + (keysym - kDigit0));
    if (keysym >= kLetterA && keysym <= kLetterZ)
        return static_cast<uint8_t>(0x41 + (keysym - kLetterA));
    for (const Entry& entry : kEntries) {
        if (entry.second == keysym)
            return entry.first;
    }
    if (keysym >= kKp0 && keysym <= kKp0 + 9)
        return static_cast<uint8_t>(0x60 + (keysym - kKp0));
    if (keysym >= kF1 && keysym <= kF24)
        return static_cast<uint8_t>(0x70 + (keysym - kF1));
    return 0;
}

uint8_t layoutVirtualKey(size_t index) {
    return index < std::size(kLayoutKeys) ? kLayoutKeys[index] : 0;
}

int layoutKeyIndex(uint8_t virtualKey) {
    for (size_t i = 0; i < std::size(kLayoutKeys); ++i) {
        if (kLayoutKeys[i] == virtualKey)
            return static_cast<int>(i);
    }
    return -1;
}

uint8_t controlCharacterKey(uint8_t character) {
    // Form feed is the Clear key: the viewer sends Clear as that character, and a
    // layout's Ctrl+L answer would type an "L".
    switch (character) {
        case 0x08:
        case 0x09:
        case 0x0C:
        case 0x0D:
        case 0x1B:
            return character;
        default:
            return 0;
    }
}

int16_t usLayoutKeyForCharacter(uint8_t character) {
    if (uint8_t control = controlCharacterKey(character); control != 0)
        return control;
    if (character >= 'A' && character <= 'Z')
        return static_cast<int16_t>(kWithShift | character);
    for (const auto& [shifted, plain] : kShiftedUs) {
        if (character == static_cast<uint8_t>(shifted))
            return static_cast<int16_t>(kWithShift |
                                        virtualKeyForKeysym(static_cast<uint8_t>(plain)));
    }
    if (character < 0x80) {
        uint8_t virtualKey = virtualKeyForKeysym(character);
        if (virtualKey != 0)
            return virtualKey;
    }
    return -1;
}

}  // namespace platform::keys
