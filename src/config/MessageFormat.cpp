#include "config/MessageFormat.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace wirvela {

namespace {

constexpr int kMaxWidth = 256;  // of one conversion's field and precision

long long TruncToLongLong(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 9.2e18) return 9200000000000000000LL;
    if (v <= -9.2e18) return -9200000000000000000LL;
    return static_cast<long long>(v);
}

struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
};

std::string Printf(const char* format, auto value) {
    char buffer[kMaxWidth * 2 + 64];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n < 0) return {};
    return std::string(buffer,
                       static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n) : sizeof buffer - 1);
}

std::string Pattern(const Spec& spec, const char* length, char conversion) {
    std::string p = "%" + spec.flags;
    if (spec.width >= 0) p += std::to_string(spec.width);
    if (spec.precision >= 0) p += "." + std::to_string(spec.precision);
    p += length;
    p += conversion;
    return p;
}

std::string Pad(std::string text, const Spec& spec) {
    if (spec.precision >= 0 && text.size() > static_cast<std::size_t>(spec.precision)) {
        text.resize(static_cast<std::size_t>(spec.precision));
    }
    if (spec.width > 0 && text.size() < static_cast<std::size_t>(spec.width)) {
        const std::string fill(static_cast<std::size_t>(spec.width) - text.size(), ' ');
        text = spec.flags.find('-') != std::string::npos ? text + fill : fill + text;
    }
    return text;
}

std::string Convert(const Spec& spec, const FormatArg& arg) {
    const char c = spec.conversion;
    switch (c) {
        case 'd':
        case 'i':
            if (arg.kind() == FormatArg::Kind::Text) return Pad(arg.AsText(), spec);
            return Printf(Pattern(spec, "ll", c).c_str(), arg.AsSigned());
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            if (arg.kind() == FormatArg::Kind::Text) return Pad(arg.AsText(), spec);
            return Printf(Pattern(spec, "ll", c).c_str(), arg.AsUnsigned());
        case 'c':
            if (arg.kind() == FormatArg::Kind::Text) return Pad(arg.AsText().substr(0, 1), spec);
            return Printf(Pattern(spec, "", c).c_str(), static_cast<int>(static_cast<unsigned char>(arg.AsSigned())));
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (arg.kind() == FormatArg::Kind::Text) return Pad(arg.AsText(), spec);
            return Printf(Pattern(spec, "", c).c_str(), arg.AsReal());
        case 's':
            return Pad(arg.AsText(), spec);
        default:
            return {};
    }
}

bool IsLengthModifier(char c) {
    return c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 't';
}

bool IsConversion(char c) {
    static constexpr std::string_view kConversions = "diouxXcfFeEgGaAs";
    return kConversions.find(c) != std::string_view::npos;
}

int ReadNumber(std::string_view f, std::size_t& i) {
    int value = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
        if (value < kMaxWidth) value = value * 10 + (f[i] - '0');
        ++i;
    }
    return value > kMaxWidth ? kMaxWidth : value;
}

}  // namespace

long long FormatArg::AsSigned() const {
    switch (kind_) {
        case Kind::Signed:
            return i_;
        case Kind::Unsigned:
            return static_cast<long long>(u_);
        case Kind::Real:
            return TruncToLongLong(d_);
        case Kind::Text:
            return 0;
    }
    return 0;
}

unsigned long long FormatArg::AsUnsigned() const {
    switch (kind_) {
        case Kind::Signed:
            return narrow_ ? static_cast<unsigned long long>(static_cast<std::uint32_t>(i_))
                           : static_cast<unsigned long long>(i_);
        case Kind::Unsigned:
            return u_;
        case Kind::Real:
            return static_cast<unsigned long long>(TruncToLongLong(d_));
        case Kind::Text:
            return 0;
    }
    return 0;
}

double FormatArg::AsReal() const {
    switch (kind_) {
        case Kind::Signed:
            return static_cast<double>(i_);
        case Kind::Unsigned:
            return static_cast<double>(u_);
        case Kind::Real:
            return d_;
        case Kind::Text:
            return 0;
    }
    return 0;
}

std::string FormatArg::AsText() const {
    switch (kind_) {
        case Kind::Signed:
            return std::to_string(i_);
        case Kind::Unsigned:
            return std::to_string(u_);
        case Kind::Real:
            return Printf("%g", d_);
        case Kind::Text:
            return std::string(s_);
    }
    return {};
}

std::string FormatMessage(std::string_view f, std::initializer_list<FormatArg> args) {
    return FormatMessage(f, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string FormatMessage(std::string_view f, std::span<const FormatArg> list) {
    std::size_t next = 0;
    std::string out;
    out.reserve(f.size() + 32);
    std::size_t i = 0;
    while (i < f.size()) {
        if (f[i] != '%') {
            out += f[i++];
            continue;
        }
        const std::size_t start = i++;
        if (i < f.size() && f[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        Spec spec;
        while (i < f.size() && std::string_view("-+ #0").find(f[i]) != std::string_view::npos) spec.flags += f[i++];
        bool starred = false;
        if (i < f.size() && f[i] == '*') {
            starred = true;
            ++i;
        } else if (i < f.size() && f[i] >= '0' && f[i] <= '9') {
            spec.width = ReadNumber(f, i);
        }
        if (i < f.size() && f[i] == '.') {
            ++i;
            if (i < f.size() && f[i] == '*') {
                starred = true;
                ++i;
            } else {
                spec.precision = ReadNumber(f, i);
            }
        }
        while (i < f.size() && IsLengthModifier(f[i])) ++i;
        if (i >= f.size()) {
            out.append(f.substr(start));
            break;
        }
        spec.conversion = f[i++];
        if (starred || !IsConversion(spec.conversion) || next >= list.size()) {
            out.append(f.substr(start, i - start));
            continue;
        }
        out += Convert(spec, list[next++]);
    }
    return out;
}

}  // namespace wirvela
