// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class Form1;
class QLabel;
class QPushButton;

// The result window. Each load writes the jungle scratch file and states the
// verdict read from the console's controls; the fireball plays the jungle
// sound when clicked (or, holding the focus, on Space or Return) and OK or
// Escape unloads the window with its verdict.
class Dialog : public QWidget {
    Q_OBJECT

public:
    explicit Dialog(Form1 &console);

    QString TempFolder;
    QString JungleSoundPath;

    // Declared bottom to top: creation order is the stacking order.
    QLabel *const BOOMLabel;
    QLabel *const TargetLabel;
    QLabel *const DedLabel;
    QLabel *const PunishLabel;
    QLabel *const DetailsLabel;
    QLabel *const Image1;
    QPushButton *const OKButton;

    // Throws FailureError when the scratch file cannot be written; the labels are then untouched.
    void Form_Load();
    void PlayJungleAudio();

protected:
    void paintEvent(QPaintEvent *event) override;
    // Escape closes the window as OK does.
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWindow();
    void createLabels();
    void createPicture();
    void createButton();
    void showFireball(qreal ratio);

    void Image1_Click();
    void OKButton_Click();

    Form1 &m_console;
};
