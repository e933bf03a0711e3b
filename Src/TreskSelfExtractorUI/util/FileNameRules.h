#pragma once
// Which path components Windows cannot hold as an ordinary file or folder name. Shared by the
// program (names read from a cabinet) and the packager (names it stores), so both refuse the same
// names. Plain C++ without the Windows API; works on any character type.

#include <string>
#include <type_traits>

namespace filenamerules {

template <typename Char>
Char AsciiUpper(Char c) {
    return (c >= Char('a') && c <= Char('z')) ? Char(c - Char('a') + Char('A')) : c;
}

// True when text begins with the three upper-case letters of prefix.
template <typename Char>
bool is3(const std::basic_string<Char>& text, const char* prefix) {
    return text.size() >= 3 && text[0] == Char(prefix[0]) && text[1] == Char(prefix[1]) && text[2] == Char(prefix[2]);
}

// True for the reserved device names CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1 to COM9 and LPT1 to
// LPT9 (also COM and LPT with a superscript 1, 2 or 3), in any letter case, alone or followed by
// an extension ("con.txt", "NUL.tar.gz") and with blanks before the dot ("aux .txt"): Windows opens
// the device for each of them instead of a file.
template <typename Char>
bool IsReservedDeviceName(const std::basic_string<Char>& component) {
    size_t end = component.find(Char('.'));
    if (end == std::basic_string<Char>::npos) end = component.size();
    while (end > 0 && component[end - 1] == Char(' ')) --end;
    std::basic_string<Char> base;
    for (size_t i = 0; i < end; ++i) base += AsciiUpper(component[i]);
    auto is = [&](const char* name) {
        size_t i = 0;
        for (; name[i]; ++i)
            if (i >= base.size() || base[i] != Char(name[i])) return false;
        return i == base.size();
    };
    if (is("CON") || is("PRN") || is("AUX") || is("NUL") || is("CONIN$") || is("CONOUT$")) return true;
    if (base.size() < 4 || !(is3(base, "COM") || is3(base, "LPT"))) return false;
    auto unit = [&](size_t i) {
        return static_cast<unsigned long>(static_cast<typename std::make_unsigned<Char>::type>(base[i]));
    };
    // The digit 1 to 9, or a superscript 1, 2 or 3, which Windows counts as the same ports (one
    // character in UTF-16, two bytes in UTF-8).
    auto superscript = [](unsigned long c) { return c == 0xB9 || c == 0xB2 || c == 0xB3; };
    if (base.size() == 4) return (unit(3) >= '1' && unit(3) <= '9') || (sizeof(Char) > 1 && superscript(unit(3)));
    return sizeof(Char) == 1 && base.size() == 5 && unit(3) == 0xC2 && superscript(unit(4));
}

// True when Windows would store the component under another name: it drops trailing dots and
// blanks, so "x.txt." and "x.txt " land on "x.txt", and a component of dots only on its parent.
template <typename Char>
bool EndsInDotOrBlank(const std::basic_string<Char>& component) {
    return !component.empty() && (component.back() == Char('.') || component.back() == Char(' '));
}

}  // namespace filenamerules
