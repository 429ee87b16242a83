// SPDX-License-Identifier: MIT
#include "portablemath.h"

#include <QTest>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

// The generator's own elementary functions, held against the C library's over
// the ranges the sounds and pictures use, and at the edges where a hand-made
// function most easily goes wrong.
class tst_PortableMath : public QObject {
    Q_OBJECT

private slots:
    void accuracy_data();
    void accuracy();
    void twoArguments_data();
    void twoArguments();
    void edges_data();
    void edges();
};

namespace {

using Unary = std::function<double(double)>;
using Binary = std::function<double(double, double)>;

struct UnaryPair {
    Unary portable;
    Unary library;
};

struct BinaryPair {
    Binary portable;
    Binary library;
};

const QHash<QString, UnaryPair> &unaries()
{
    static const QHash<QString, UnaryPair> table = {
        {"exp", {portable::exp, [](double x) { return std::exp(x); }}},
        {"log", {portable::log, [](double x) { return std::log(x); }}},
        {"sin", {portable::sin, [](double x) { return std::sin(x); }}},
        {"cos", {portable::cos, [](double x) { return std::cos(x); }}},
        {"tan", {portable::tan, [](double x) { return std::tan(x); }}},
        {"asin", {portable::asin, [](double x) { return std::asin(x); }}},
        {"acos", {portable::acos, [](double x) { return std::acos(x); }}},
        {"tanh", {portable::tanh, [](double x) { return std::tanh(x); }}},
    };
    return table;
}

const QHash<QString, BinaryPair> &binaries()
{
    static const QHash<QString, BinaryPair> table = {
        {"pow", {portable::pow, [](double x, double y) { return std::pow(x, y); }}},
        {"atan2", {portable::atan2, [](double y, double x) { return std::atan2(y, x); }}},
        {"hypot", {portable::hypot, [](double x, double y) { return std::hypot(x, y); }}},
    };
    return table;
}

// Distance in units in the last place of the library's result.
double ulpsApart(double ours, double theirs)
{
    if (ours == theirs) {
        return 0.0;
    }
    const double magnitude = std::fabs(theirs);
    const double ulp =
        std::nextafter(magnitude, std::numeric_limits<double>::infinity()) - magnitude;
    return std::fabs(ours - theirs) / ulp;
}

} // namespace

void tst_PortableMath::accuracy_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<bool>("logarithmic");

    QTest::newRow("exp on [-700, 700]") << "exp" << -700.0 << 700.0 << false;
    QTest::newRow("exp on [-1, 1]") << "exp" << -1.0 << 1.0 << false;
    QTest::newRow("log on [1e-300, 1e300]") << "log" << 1e-300 << 1e300 << true;
    QTest::newRow("log on [0.5, 2]") << "log" << 0.5 << 2.0 << false;
    QTest::newRow("sin on [-4, 4]") << "sin" << -4.0 << 4.0 << false;
    QTest::newRow("sin on [-4000, 4000]") << "sin" << -4000.0 << 4000.0 << false;
    QTest::newRow("cos on [-4, 4]") << "cos" << -4.0 << 4.0 << false;
    QTest::newRow("cos on [-4000, 4000]") << "cos" << -4000.0 << 4000.0 << false;
    QTest::newRow("tan on [-1.5, 1.5]") << "tan" << -1.5 << 1.5 << false;
    QTest::newRow("asin on [-1, 1]") << "asin" << -1.0 << 1.0 << false;
    QTest::newRow("acos on [-1, 1]") << "acos" << -1.0 << 1.0 << false;
    QTest::newRow("tanh on [-25, 25]") << "tanh" << -25.0 << 25.0 << false;
    QTest::newRow("tanh on [-0.01, 0.01]") << "tanh" << -0.01 << 0.01 << false;
}

void tst_PortableMath::accuracy()
{
    QFETCH(QString, function);
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(bool, logarithmic);

    constexpr int kSteps = 10000;
    constexpr double kUlps = 8.0;
    const UnaryPair pair = unaries().value(function);
    double worst = 0.0;
    double worstAt = from;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = double(i) / kSteps;
        const double x = logarithmic ? from * std::pow(to / from, t) : from + (to - from) * t;
        const double apart = ulpsApart(pair.portable(x), pair.library(x));
        if (apart > worst) {
            worst = apart;
            worstAt = x;
        }
    }
    QVERIFY2(worst <= kUlps,
             qPrintable(QStringLiteral("%1 ulps at %2").arg(worst).arg(worstAt, 0, 'g', 17)));
}

void tst_PortableMath::twoArguments_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("relative");

    // pow goes through exp(y log x), so its error grows with the exponent's
    // size: still far below what a sample or a pixel level can show.
    QTest::newRow("pow, base and exponent in [0.01, 12]") << "pow" << 0.01 << 12.0 << 1e-13;
    QTest::newRow("atan2, both in [-12, 12]") << "atan2" << -12.0 << 12.0 << 1e-15;
    QTest::newRow("hypot, both in [-12, 12]") << "hypot" << -12.0 << 12.0 << 1e-15;
}

void tst_PortableMath::twoArguments()
{
    QFETCH(QString, function);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, relative);

    constexpr int kSteps = 200;
    const BinaryPair pair = binaries().value(function);
    for (int i = 0; i <= kSteps; ++i) {
        for (int j = 0; j <= kSteps; ++j) {
            const double a = low + (high - low) * i / kSteps;
            const double b = low + (high - low) * j / kSteps;
            const double ours = pair.portable(a, b);
            const double theirs = pair.library(a, b);
            QVERIFY2(std::fabs(ours - theirs) <= relative * std::fabs(theirs) + 1e-300,
                     qPrintable(QStringLiteral("%1(%2, %3) = %4, not %5")
                                    .arg(function)
                                    .arg(a, 0, 'g', 17)
                                    .arg(b, 0, 'g', 17)
                                    .arg(ours, 0, 'g', 17)
                                    .arg(theirs, 0, 'g', 17)));
        }
    }
}

void tst_PortableMath::edges_data()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double pi = std::numbers::pi;
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("exp(0)") << portable::exp(0.0) << 1.0;
    QTest::newRow("exp(-800) underflows") << portable::exp(-800.0) << 0.0;
    QTest::newRow("exp(800) overflows") << portable::exp(800.0) << inf;
    QTest::newRow("log(1)") << portable::log(1.0) << 0.0;
    QTest::newRow("log(0)") << portable::log(0.0) << -inf;
    QTest::newRow("sin(0)") << portable::sin(0.0) << 0.0;
    QTest::newRow("cos(0)") << portable::cos(0.0) << 1.0;
    QTest::newRow("pow(0, 2)") << portable::pow(0.0, 2.0) << 0.0;
    QTest::newRow("pow(-2, 3) keeps the sign") << portable::pow(-2.0, 3.0) << -8.0;
    QTest::newRow("pow(-2, 2)") << portable::pow(-2.0, 2.0) << 4.0;
    QTest::newRow("pow(5, 0)") << portable::pow(5.0, 0.0) << 1.0;
    QTest::newRow("atan2(0, -1)") << portable::atan2(0.0, -1.0) << pi;
    QTest::newRow("atan2(-0, -1)") << portable::atan2(-0.0, -1.0) << -pi;
    QTest::newRow("atan2(1, 0)") << portable::atan2(1.0, 0.0) << pi / 2.0;
    QTest::newRow("atan2(-1, 0)") << portable::atan2(-1.0, 0.0) << -pi / 2.0;
    QTest::newRow("atan2(0, 0)") << portable::atan2(0.0, 0.0) << 0.0;
    QTest::newRow("asin(1)") << portable::asin(1.0) << pi / 2.0;
    QTest::newRow("acos(-1)") << portable::acos(-1.0) << pi;
    QTest::newRow("tanh(30)") << portable::tanh(30.0) << 1.0;
    QTest::newRow("tanh(-30)") << portable::tanh(-30.0) << -1.0;
    QTest::newRow("log(-1) is not a number") << double(std::isnan(portable::log(-1.0))) << 1.0;
    QTest::newRow("pow(-2, 0.5) is not a number")
        << double(std::isnan(portable::pow(-2.0, 0.5))) << 1.0;
    QTest::newRow("sin(infinity) is not a number") << double(std::isnan(portable::sin(inf))) << 1.0;
}

void tst_PortableMath::edges()
{
    QFETCH(double, value);
    QFETCH(double, expected);

    QCOMPARE(value, expected);
}

QTEST_GUILESS_MAIN(tst_PortableMath)
#include "tst_portablemath.moc"
