#pragma once
// The characters the project page's fields admit, as the fields are given them.

namespace kestrel {

// Letters and digits. The lower-case run names "u" twice ("...pqur..."), as the set always has;
// every letter is present, so the set admits exactly A-Z, a-z and 0-9.
inline constexpr const char* kProjectLettersDigits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789";

inline constexpr const char* kProjectDigits = "0123456789";

// The letters and digits above, then the space and the 32 punctuation characters: the 95
// printable ASCII characters, 0x20 to 0x7E.
inline constexpr const char* kProjectPrintableAscii =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789"
    " !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";

} // namespace kestrel
