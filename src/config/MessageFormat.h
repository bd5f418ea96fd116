#pragma once
// Fills a message of local.txt that is used as a printf-style format. The format comes
// from a file the operator may edit, so it is never handed to printf as it is: every
// conversion is paired with the next argument and formatted by its kind. A conversion
// without an argument, with '*' widths, or of kind %n / %p is copied as written; widths
// and precisions are capped, so no format text can crash the program or make it
// allocate without bound.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace wirvela {

class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Real, Text };

    FormatArg(int v) : kind_(Kind::Signed), i_(v), narrow_(true) {}
    FormatArg(long v) : kind_(Kind::Signed), i_(v), narrow_(sizeof(long) == 4) {}
    FormatArg(long long v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Unsigned), u_(v), narrow_(true) {}
    FormatArg(unsigned long v) : kind_(Kind::Unsigned), u_(v), narrow_(sizeof(long) == 4) {}
    FormatArg(unsigned long long v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(double v) : kind_(Kind::Real), d_(v) {}
    FormatArg(std::string_view v) : kind_(Kind::Text), s_(v) {}
    FormatArg(const char* v) : kind_(Kind::Text), s_(v ? v : "") {}
    FormatArg(const std::string& v) : kind_(Kind::Text), s_(v) {}

    Kind kind() const { return kind_; }
    // The value as the conversion kinds need it.
    long long AsSigned() const;
    unsigned long long AsUnsigned() const;  // 32-bit arguments wrap at 32 bits, as printf's
    double AsReal() const;
    std::string AsText() const;

private:
    Kind kind_;
    long long i_ = 0;
    unsigned long long u_ = 0;
    double d_ = 0;
    std::string_view s_;
    bool narrow_ = false;  // came from a 32-bit type
};

std::string FormatMessage(std::string_view format, std::initializer_list<FormatArg> args);
std::string FormatMessage(std::string_view format, std::span<const FormatArg> args);

}  // namespace wirvela
