// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

// Answers invalid input: one sentence, a single OK button, no icon, modal to
// the whole application, titled with the application's title. Returns when
// the user has dismissed it; input to parent's window that comes with the
// dismissal is dropped, so it cannot act on the text still being checked.
// Details, when given, can be unfolded and selected below the sentence.
void showMessage(QWidget *parent, const QString &text, const QString &details = {});
