#include "Text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace muralto {

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        size_t extra;
        uint32_t minimum;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            minimum = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            minimum = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            minimum = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string FromStored(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    std::string out;
    std::string in(bytes);
    char* src = in.data();
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // A byte that is not CP932 either: keep it visible as U+FFFD and go on.
            out += "\xEF\xBF\xBD";
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = FoldAscii(c);
    return out;
}

int CompareTextAscii(std::string_view a, std::string_view b) {
    // Paths share long prefixes: skip the equal bytes quickly, then fold from there.
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    size_t i = 0;
    for (uint64_t x, y; i + 8 <= n; i += 8) {
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            break;
    }
    while (i < n && a[i] == b[i])
        ++i;
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto cb = static_cast<unsigned char>(FoldAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareTextAscii(a, b) == 0;
}

bool NameLess(std::string_view a, std::string_view b) {
    const int folded = CompareTextAscii(a, b);
    if (folded != 0)
        return folded < 0;
    return a < b;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    size_t total = 0;
    for (const auto& line : lines)
        total += line.size() + 2;
    out.reserve(total);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace muralto
