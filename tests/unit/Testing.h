#pragma once

// Every test program's framework: doctest, one header that builds wherever the core does (any
// compiler, cross-built for Windows and run under wine). CHECK_EQ and CHECK(a == b) print both
// values of a failed comparison: a type of ours compared that way needs a StringMaker below.

#include "core/colour/CodeText.h"
#include "core/loupe/LoupePicture.h"
#include "core/loupe/LoupeSettings.h"
#include "core/window/ScreenGeometry.h"

#include <doctest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// A test program's main: doctest's runner and its command line (--help; -tc=NAME runs the cases
// of that name, * and ? as wildcards). The runner itself is compiled once, in TestRunner.cpp.
#define CHECK_MAIN                                                                                 \
    int main(int argc, char **argv) {                                                              \
        return doctest::Context(argc, argv).run();                                                 \
    }

namespace doctest {

namespace printing {
// Quoted, with line ends and other control bytes spelled out: settings files are compared byte
// for byte. UTF-8 stays as it is.
inline String Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            quoted += "\\r";
        else if (c == '\n')
            quoted += "\\n";
        else if (c == '"' || c == '\\')
            quoted += std::string("\\") + c;
        else if (byte < 0x20 || byte == 0x7F)
            quoted += "\\x" + std::string(1, "0123456789ABCDEF"[byte >> 4]) +
                      "0123456789ABCDEF"[byte & 15];
        else
            quoted += c;
    }
    return (quoted + "\"").c_str();
}

template <typename Items> String Listed(const Items &items) {
    String text = "{";
    const char *separator = "";
    for (const auto &item : items) {
        text += separator;
        text += toString(item);
        separator = ", ";
    }
    return text + "}";
}
} // namespace printing

template <> struct StringMaker<std::string> {
    static String convert(const std::string &text) { return printing::Quoted(text); }
};
template <> struct StringMaker<std::string_view> {
    static String convert(std::string_view text) { return printing::Quoted(text); }
};
template <std::size_t N> struct StringMaker<char[N]> {
    static String convert(const char (&text)[N]) { return printing::Quoted(text); }
};
template <> struct StringMaker<const char *> {
    static String convert(const char *text) { return text ? printing::Quoted(text) : "nullptr"; }
};
template <> struct StringMaker<std::nullopt_t> {
    static String convert(std::nullopt_t) { return "nullopt"; }
};
template <typename T> struct StringMaker<std::vector<T>> {
    static String convert(const std::vector<T> &items) { return printing::Listed(items); }
};
template <typename T> struct StringMaker<std::set<T>> {
    static String convert(const std::set<T> &items) { return printing::Listed(items); }
};
template <typename T> struct StringMaker<std::optional<T>> {
    static String convert(const std::optional<T> &value) {
        return value ? toString(*value) : String("nullopt");
    }
};

template <> struct StringMaker<ScreenPoint> {
    static String convert(const ScreenPoint &p) {
        return "(" + toString(p.x) + ", " + toString(p.y) + ")";
    }
};
template <> struct StringMaker<ScreenRect> {
    static String convert(const ScreenRect &r) {
        return "{" + toString(r.left) + ", " + toString(r.top) + " " + toString(r.width) + "x" +
               toString(r.height) + "}";
    }
};
template <> struct StringMaker<ColourTexts> {
    static String convert(const ColourTexts &t) {
        return "{" + toString(t.red) + " " + toString(t.green) + " " + toString(t.blue) + " " +
               toString(t.code) + "}";
    }
};
template <> struct StringMaker<LoupeSettings> {
    static String convert(const LoupeSettings &s) {
        return String("{") + (s.visible ? "shown" : "hidden") + " zoom " + toString(s.zoom) +
               " sample " + toString(s.sample) + "}";
    }
};
// Thousands of pixels: their count and a checksum, so that two pictures that differ show it.
template <> struct StringMaker<LoupePicture> {
    static String convert(const LoupePicture &p) {
        std::uint32_t sum = 2166136261u;
        for (const std::uint32_t pixel : p.pixels)
            sum = (sum ^ pixel) * 16777619u;
        return "{" + toString(p.position) + " " + toString(p.scale) + " " +
               toString(p.pixels.size()) + " pixels, checksum " + toString(sum) + "}";
    }
};

} // namespace doctest
