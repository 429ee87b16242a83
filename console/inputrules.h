// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// The rules of the console's inputs: their starting values, the checks of the
// target and the delay and the messages they give, the action words and the
// news sentence. Kept apart from the widgets so they can be tested alone.
namespace inputrules {

inline const QString DefaultTarget = QStringLiteral("zib42zab");
inline const QString DefaultDelay = QStringLiteral("10");
inline const QString MaxDelay = QStringLiteral("20");
inline const QString MinDelay = QStringLiteral("1");

inline const QString NoTargetMessage = QStringLiteral("There should be a target.");
inline const QString NotNumberMessage = QStringLiteral("Only two numbers allowed.");
inline const QString TooLongMessage = QStringLiteral("Only numbers less than 21 are allowed");
inline const QString TooShortMessage =
    QStringLiteral("The laser needs atleast one seecond to charge up.");

inline const QString PenaltyBoxAction = QStringLiteral("Penalty Box");
inline const QString KickAction = QStringLiteral("Kick");
inline const QString BanAction = QStringLiteral("BAN");

QString newsSentence(int power, const QString &action, const QString &target, const QString &delay);

// Blanks around, an optional sign, ASCII digits with at most one decimal
// point, and at least one digit. Nothing locale-dependent counts.
bool isNumber(const QString &text);

// The value of a text that isNumber() accepted; nothing for any other text.
// The delay check and the firing sequence both convert through this.
std::optional<double> toNumber(const QString &text);

// The largest whole number not above the value of an accepted text.
std::optional<double> wholePart(const QString &text);

} // namespace inputrules
