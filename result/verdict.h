// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The four verdict lines of the result window, worked out from what the
// console holds when the window loads. Kept apart from the widgets so the
// wording can be checked without a window.
struct Verdict {
    QString target;
    QString ded;
    QString details;
    QString punish;

    static Verdict compose(const QString &target, const QString &action, qint32 power);
};
