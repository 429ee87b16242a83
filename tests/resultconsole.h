// SPDX-License-Identifier: MIT
#pragma once

#include "form1.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

// Sets the three controls the result window reads, with the console's own
// checks and news line kept out of the way.
inline void setConsole(Form1 &console, const QString &target, const QString &action, int power)
{
    const QSignalBlocker blockTarget(console.TargetTextBox);
    const QSignalBlocker blockPower(console.PowerSlider);
    console.TargetTextBox->setText(target);
    console.CurrentRadioTextBox->setText(action);
    console.PowerSlider->setValue(power);
}
