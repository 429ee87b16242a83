// SPDX-License-Identifier: MIT
#include "portablemath.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kHalfPi = std::numbers::pi / 2.0;
constexpr double kSqrt3 = std::numbers::sqrt3;
constexpr double kTanPiOver12 = 2.0 - std::numbers::sqrt3;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// ln 2 and pi/2 split so that the leading parts times a moderate integer are
// exact (Cody and Waite's argument reduction).
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kInverseLn2 = std::numbers::log2e;
constexpr double kHalfPi1 = 1.57079632673412561417e+00;
constexpr double kHalfPi2 = 6.07710050630396597660e-11;
constexpr double kHalfPi3 = 2.02226624871116645580e-21;
constexpr double kInverseHalfPi = 6.36619772367581382433e-01;

// Taylor coefficients, worked out by the compiler with correct rounding.
template <std::size_t N>
constexpr std::array<double, N> series(int first, int step, bool alternating, bool factorial)
{
    std::array<double, N> out{};
    double denominator = 1.0;
    int n = 1;
    for (std::size_t i = 0; i < N; ++i) {
        const int power = first + step * static_cast<int>(i);
        if (factorial) {
            for (; n <= power; ++n) {
                denominator *= n;
            }
        } else {
            denominator = power;
        }
        const double sign = alternating && i % 2 == 1 ? -1.0 : 1.0;
        out[i] = sign / denominator;
    }
    return out;
}

// x^k/k! for k = 0..13: exp on |r| <= ln 2 / 2.
constexpr auto kExp = series<14>(0, 1, false, true);
// x^k/k! for k = 2..16: expm1 below 0.35, after its leading x.
constexpr auto kExpm1 = series<15>(2, 1, false, true);
// Odd and even terms of sin and cos on |r| <= pi/4, after their leading term,
// signs alternating from minus.
constexpr auto kSin = series<9>(3, 2, true, true);
constexpr auto kCos = series<10>(2, 2, true, true);
// atanh-based log: 1/3, 1/5, ... for s^2 <= 0.03.
constexpr auto kLog = series<11>(3, 2, false, false);
// atan: 1/3, -1/5, ... subtracted, for |t| <= tan(pi/12).
constexpr auto kAtan = series<14>(3, 2, true, false);

template <std::size_t N> double horner(const std::array<double, N> &c, double x)
{
    double sum = c[N - 1];
    for (std::size_t i = N - 1; i-- > 0;) {
        sum = sum * x + c[i];
    }
    return sum;
}

double expm1Positive(double x)
{
    if (x < 0.35) {
        return x + x * x * horner(kExpm1, x);
    }
    return portable::exp(x) - 1.0;
}

struct SinCos {
    double sin;
    double cos;
};

SinCos sinCos(double x)
{
    if (!std::isfinite(x)) {
        return {kNaN, kNaN};
    }
    const double k = std::round(x * kInverseHalfPi);
    const double r = ((x - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
    const double s = r * r;
    const double sine = r - r * s * horner(kSin, s);
    const double cosine = 1.0 - s * horner(kCos, s);
    switch (static_cast<long long>(std::fmod(k, 4.0) + 4.0) % 4) {
    case 0:
        return {sine, cosine};
    case 1:
        return {cosine, -sine};
    case 2:
        return {-sine, -cosine};
    default:
        return {-cosine, sine};
    }
}

// atan on [0, 1], moved below tan(pi/12) by the tangent subtraction formula.
double atanUnit(double x)
{
    double offset = 0.0;
    if (x > kTanPiOver12) {
        x = (x * kSqrt3 - 1.0) / (x + kSqrt3);
        offset = kPi / 6.0;
    }
    const double z = x * x;
    return offset + (x - x * z * horner(kAtan, z));
}

} // namespace

namespace portable {

double exp(double x)
{
    if (std::isnan(x)) {
        return x;
    }
    if (x > 709.782712893384) {
        return kInfinity;
    }
    if (x < -745.1332191019412) {
        return 0.0;
    }
    const double k = std::floor(x * kInverseLn2 + 0.5);
    const double r = (x - k * kLn2High) - k * kLn2Low;
    return std::ldexp(horner(kExp, r), static_cast<int>(k));
}

double log(double x)
{
    if (std::isnan(x) || x < 0.0) {
        return kNaN;
    }
    if (x == 0.0) {
        return -kInfinity;
    }
    if (std::isinf(x)) {
        return x;
    }
    int exponent = 0;
    double m = std::frexp(x, &exponent);
    if (m < std::numbers::sqrt2 / 2.0) {
        m *= 2.0;
        --exponent;
    }
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double logM = 2.0 * s + 2.0 * s * z * horner(kLog, z);
    return exponent * kLn2High + (logM + exponent * kLn2Low);
}

double pow(double base, double exponent)
{
    if (exponent == 0.0 || base == 1.0) {
        return 1.0;
    }
    if (std::isnan(base) || std::isnan(exponent)) {
        return kNaN;
    }
    if (base == 0.0) {
        return exponent > 0.0 ? 0.0 : kInfinity;
    }
    if (base < 0.0) {
        if (exponent != std::floor(exponent)) {
            return kNaN;
        }
        const double magnitude = exp(exponent * log(-base));
        return std::fmod(exponent, 2.0) == 0.0 ? magnitude : -magnitude;
    }
    return exp(exponent * log(base));
}

double sin(double x)
{
    return sinCos(x).sin;
}

double cos(double x)
{
    return sinCos(x).cos;
}

double tan(double x)
{
    const SinCos both = sinCos(x);
    return both.sin / both.cos;
}

double atan2(double y, double x)
{
    if (std::isnan(x) || std::isnan(y)) {
        return kNaN;
    }
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    double angle = 0.0;
    if (ay <= ax && ax > 0.0) {
        angle = atanUnit(ay / ax);
    } else if (ay > ax) {
        angle = kHalfPi - atanUnit(ax / ay);
    }
    if (std::signbit(x)) {
        angle = kPi - angle;
    }
    return std::signbit(y) ? -angle : angle;
}

double asin(double x)
{
    return atan2(x, std::sqrt((1.0 - x) * (1.0 + x)));
}

double acos(double x)
{
    return atan2(std::sqrt((1.0 - x) * (1.0 + x)), x);
}

double tanh(double x)
{
    const double a = std::fabs(x);
    double magnitude = 1.0;
    if (a < 22.0) {
        const double e = expm1Positive(2.0 * a);
        magnitude = e / (e + 2.0);
    }
    return std::copysign(magnitude, x);
}

double hypot(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

} // namespace portable
