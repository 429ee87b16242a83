// SPDX-License-Identifier: MIT
#include "inputrules.h"

#include <cmath>

namespace inputrules {

QString newsSentence(int power, const QString &action, const QString &target, const QString &delay)
{
    return QStringLiteral("Launching a Power ") + QString::number(power) + QLatin1Char(' ') +
           action + QStringLiteral(" Laser to ") + target + QStringLiteral(" after ") + delay +
           QStringLiteral(" seconds.");
}

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The text between the surrounding blanks, or an empty view when it is all blanks.
QStringView core(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return QStringView(text).sliced(begin, end - begin);
}

} // namespace

bool isNumber(const QString &text)
{
    QStringView body = core(text);
    if (!body.isEmpty() && (body.front() == QLatin1Char('+') || body.front() == QLatin1Char('-')))
        body = body.sliced(1);
    int digits = 0;
    int points = 0;
    for (QChar c : body) {
        if (isAsciiDigit(c))
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else
            return false;
    }
    return digits >= 1 && points <= 1;
}

std::optional<double> toNumber(const QString &text)
{
    if (!isNumber(text))
        return std::nullopt;
    // Every form isNumber() accepts ("7.", ".5", "+7", " 7") is one toDouble() reads.
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<double> wholePart(const QString &text)
{
    const std::optional<double> value = toNumber(text);
    if (!value)
        return std::nullopt;
    return std::floor(*value);
}

} // namespace inputrules
