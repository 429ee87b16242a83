// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class Picture;
class Timer;
class UpDown;

// The console: the launcher's one main window. It holds the four settings in
// its controls, restates them in the news line and runs the firing sequence.
// The result window is asked for through resultRequested, so the console
// knows nothing about it.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    QString SelectedAction;
    QString TempFolder;
    QString CountdownSoundPath;
    QString BoomSoundPath;
    qint16 TextLength = 0;

    Picture *const Image1;
    QLabel *const Label1;
    QLabel *const PowerLabel;
    QSlider *const PowerSlider;
    QLabel *const TargetLabel;
    QLineEdit *const TargetTextBox;
    QRadioButton *const PenaltyBoxRadio;
    QRadioButton *const KickRadio;
    QRadioButton *const BanRadio;
    QLabel *const DelayLabel;
    QLineEdit *const DelayTextBox;
    UpDown *const DelayUpDown;
    QLabel *const NewsLabel;
    QProgressBar *const ProgressBar1;
    QPushButton *const FireButton;
    QLineEdit *const CurrentRadioTextBox;
    Timer *const Timer1;

    void UpdateNews();
    void PlayCountdownAudio();
    void PlayBoomAudio();
    void DisableAll();
    void EnableAll();

    void FireButton_Click();
    void Timer1_Timer();

    // The punishment's option buttons, top to bottom: one group, one place.
    QList<QRadioButton *> options() const;
    // The eight inputs a countdown locks, in the order DisableAll and
    // EnableAll touch them.
    QList<QWidget *> inputs() const;

signals:
    // The countdown has ended: show the result window (modeless, no owner).
    void resultRequested();
    // A close request came during the locked wait and is held back until the
    // wait returns; the countdown has already ended.
    void closeDeferred();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWindow();
    void showIcon();
    void createInputs();
    void createOptions();
    void createCountdown();
    void applyStacking();
    void applyTabOrder();
    void applyAccessibleNames();
    void connectHandlers();

    void Form_Load();
    void Form_Terminate();
    void TargetTextBox_Change();
    void DelayTextBox_Change();
    void PowerSlider_Change();
    void PenaltyBoxRadio_Click();
    void KickRadio_Click();
    void BanRadio_Click();
    void WaitSeconds(float seconds);

    QPointer<QWidget> m_focusBeforeLock;
    // Only for the launch's nested wait (FireButton_Click): whether it is running, and a
    // close that came during it and waits for it to return.
    bool m_waiting = false;
    bool m_closeDeferred = false;
};
