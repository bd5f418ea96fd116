#include "generators/BentMoulding.h"

#include <cmath>
#include <cstdio>

#include "config/NumberText.h"
#include "drawing/Lines.h"

namespace wirvela {

namespace {

// The degrees are converted with 3.14, as the program always has: the bend comes out a
// little larger than asked, and the tables of existing mouldings depend on it.
constexpr double kPiAsUsed = 3.14;
constexpr int kVerticesPerSegment = 4;
constexpr int kLeadVertices = 3;

bool FiniteResults(const Moulding& m) {
    for (double v : {m.s, m.w, m.p, m.L, m.phi, m.beta}) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

// The dialog's checks in their order; every failing one replaces the number.
int FailedCheck(const MouldingInput& in) {
    const bool arc = in.mode == MouldingMode::Arc;
    int error = 0;
    if (in.H <= 0) error = 380;
    if (arc && in.r <= 0) error = 381;
    if (arc && 6.28 * in.r < in.l) error = 383;
    if (in.l <= 0) error = 382;
    if (in.eps <= 0) error = 384;
    if (in.d >= in.H) error = 385;
    return error;
}

}  // namespace

bool ReadMouldingInput(const MouldingTexts& t, MouldingMode mode, bool reduce, bool burn, MouldingInput& in,
                       GeneratorMessage& refusal) {
    in = MouldingInput{};
    in.mode = mode;
    in.reduce = reduce;
    const bool lengths = ReadFieldNumber("H", t.H, in.H, refusal) && ReadFieldNumber("r", t.r, in.r, refusal) &&
                         ReadFieldNumber("l", t.l, in.l, refusal) && ReadFieldNumber("eps", t.eps, in.eps, refusal) &&
                         ReadFieldNumber("d", t.d, in.d, refusal) &&
                         ReadFieldNumber("alpha", t.alpha, in.alpha, refusal) &&
                         ReadFieldNumber("e", t.e, in.e, refusal);
    if (!lengths) return false;
    in.b = 0.0;
    if (burn && !ReadFieldNumber("b", t.b, in.b, refusal)) return false;
    if (mode == MouldingMode::Angle) {
        double n = 0.0;
        if (!ReadFieldNumber("N", t.N, n, refusal)) return false;
        in.N = IntegerPrefix(t.N);
    }
    return true;
}

int MaxMouldingSegments() {
    return (TVert::kAddLimit + 1 - kLeadVertices) / kVerticesPerSegment;
}

GeneratorMessage ComputeMoulding(const MouldingInput& in, Moulding& out) {
    out = Moulding{};
    out.in = in;
    out.alphaRad = in.alpha * kPiAsUsed / 180.0;
    if (const int error = FailedCheck(in)) return {error, {}};

    const int limit = MaxMouldingSegments();
    if (in.mode == MouldingMode::Arc) {
        const double delta = 2.0 * std::acos(in.r / (in.r + in.eps));
        out.phi = in.l / in.r;
        const double ratio = out.phi / delta;
        // A tiny ε makes δ vanish: so many segments are no moulding a drawing can hold.
        if (!(ratio < limit)) {
            const std::string needed = std::isfinite(ratio) ? NumberToText(std::ceil(ratio)) : "too many";
            return {kMouldingTooLargeMessage, {needed, std::to_string(limit)}};
        }
        const double whole = std::trunc(ratio);
        out.N = static_cast<int>(whole) + (ratio > whole ? 1 : 0);
    } else {
        out.phi = out.alphaRad;
        out.in.l = 0.0;
        if (in.N <= 0) return {kNotPositiveMessage, {"N"}};
        if (in.N > limit) return {kMouldingTooLargeMessage, {std::to_string(in.N), std::to_string(limit)}};
        out.N = static_cast<int>(in.N);
    }

    const double rho = in.reduce ? in.d : 0.0;
    const double n = out.N;
    out.s = out.in.l / n;
    out.beta = out.phi / n;
    out.p = 2.0 * (in.r + in.H - rho) * std::tan(out.beta / 2.0);
    out.L = out.p * n;
    out.w = (out.L - n * out.s) / n;
    if (!FiniteResults(out)) return NotANumber("L", NumberToText(out.L));
    // A negative allowance would reach back over the flats, and lead lines below the
    // band line would cut the segments apart.
    if (in.b < 0) return {kNegativeMessage, {"b"}};
    if (in.e < 0) return {kNegativeMessage, {"e"}};
    if (2.0 * in.b > out.w) return {386, {}};
    return {};
}

std::string MouldingLengthText(double L) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%5.0f mm", L);
    if (n < 0 || n >= static_cast<int>(sizeof text)) return "? mm";
    return text;
}

GeneratorMessage AddMouldingOutline(TLines& lines, const Moulding& m, double scale, std::vector<OutlineStep>& walk) {
    walk.clear();
    if (!(scale > 0) || !std::isfinite(scale)) return {kNotPositiveMessage, {"SkalaHPGL"}};
    const int needed = kVerticesPerSegment * m.N + kLeadVertices;
    const int room = TVert::kAddLimit + 1 - lines.Vertices().Count();
    if (m.N <= 0 || needed > room) return {kMouldingTooLargeMessage, {std::to_string(needed), std::to_string(room)}};
    const double h = m.in.H - m.in.d;
    const double top = h + m.in.e;
    const double end = m.N * (m.s + m.w);
    if (!std::isfinite(top / scale) || !std::isfinite(end / scale))
        return NotANumber("e", NumberToText(m.in.e));

    TVert& v = lines.Vertices();
    int at = v.AddVertex(0.0, h / scale);
    const auto to = [&](double x, double y) {
        const int next = v.AddVertex(x / scale, y / scale);
        LineRecord line;
        line.p = at;
        line.k = next;
        line.kind = 1;
        const LineRef added = lines.AddLineGetIndex(line);
        if (added.direction != 0) walk.push_back({added.index, added.direction});
        at = next;
    };
    const double s = m.s;
    const double w = m.w;
    const double b = m.in.b;
    double x = 0.0;
    for (int k = 0; k < m.N; ++k) {
        to(x + s / 2 + b, h);
        to(x + (s + w) / 2, 0.0);
        to(x + s / 2 + w - b, h);
        to(x + s + w, h);
        x += s + w;
    }
    to(x, top);
    to(0.0, top);
    to(0.0, h);
    return {};
}

}  // namespace wirvela
