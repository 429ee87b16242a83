// SPDX-License-Identifier: MIT
#include "verdict.h"

#include "inputrules.h"

Verdict Verdict::compose(const QString &target, const QString &action, qint32 power)
{
    Verdict verdict;
    verdict.target = target;

    // Exact code-unit comparison: "penalty box" or a trailing blank is just another action word.
    if (action == inputrules::PenaltyBoxAction)
        verdict.punish = QStringLiteral("...and sent to the Penalty Box!");
    else
        verdict.punish = QStringLiteral("...and got hit with a ") + action + QLatin1Char('!');

    const QString number = QString::number(power);
    if (power < 5) {
        verdict.ded = QStringLiteral("JUST GOT SHOT!");
        verdict.details = QStringLiteral("with a Power ") + number + QStringLiteral(" LASER!");
    } else {
        verdict.ded = QStringLiteral("JUST GOT OBLITERATED!!!");
        verdict.details = QStringLiteral("with a Power ") + number + QStringLiteral(" LASER!!!");
    }
    return verdict;
}
