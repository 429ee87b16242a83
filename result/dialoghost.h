// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>

class Dialog;
class Form1;

// Answers the console's request for the result window: a closed window is
// created, loaded and shown; an open one keeps its verdict and is only
// brought forward. A shown window owns itself and is deleted when it closes
// (Qt::WA_DeleteOnClose); the host only watches it. The window reads the
// console, so the console must outlive the host, which closes an open window
// as it goes.
class DialogHost : public QObject {
    Q_OBJECT

public:
    explicit DialogHost(Form1 &console, QObject *parent = nullptr);
    ~DialogHost() override;

    Dialog *dialog() const { return m_dialog; }

    void Show();

private:
    Form1 &m_console;
    QPointer<Dialog> m_dialog;
};
