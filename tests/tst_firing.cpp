// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "fonts.h"
#include "form1.h"
#include "playrecorder.h"
#include "timer.h"
#include "updown.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// Bounds for events on the real timer. A loaded machine delays them by
// hundreds of milliseconds; a precise timer may fire a moment early. A tick
// a whole period late is a fault (a lost or a doubled tick), whatever the
// load; the millisecond offsets are bench_firing's.
constexpr qint64 MaxLateness = 900;
constexpr qint64 EarlyTick = 5;
// The locked wait lasts two seconds; a refusal that returns in less than
// this has not entered it.
constexpr qint64 NoWait = 1500;

// What the console looks like at one moment of a launch.
struct Snapshot {
    bool window = false;
    QList<bool> inputs;
    Qt::CursorShape cursor = Qt::BlankCursor;
    int value = -1;
    int maximum = -1;
    bool ticking = false;
    QString action;
};

class tst_Firing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void countdown_data();
    void countdown();
    void delayConvertsAsAccepted_data();
    void delayConvertsAsAccepted();
    void failingDelayIsNeverLaunched_data();
    void failingDelayIsNeverLaunched();
    void closeDuringCountdown();
    void closeDuringLockedWait();
    void closeInWaitEndsCountdownAtOnce_data();
    void closeInWaitEndsCountdownAtOnce();
    void secondLaunchKeepsOpenVerdict();

private:
    Snapshot snapshot() const;
    void fire();

    QTemporaryDir m_temp;
    std::unique_ptr<Form1> m_form;
    QStringList &m_played = playedSounds();
    QElapsedTimer m_clock;
};

void tst_Firing::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    installFontSubstitutions();
}

void tst_Firing::init()
{
    m_played.clear();
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_Firing::cleanup()
{
    m_form.reset();
}

Snapshot tst_Firing::snapshot() const
{
    Snapshot s;
    s.window = m_form->isEnabled();
    for (QWidget *input : m_form->inputs())
        s.inputs << input->isEnabled();
    s.cursor = m_form->cursor().shape();
    s.value = m_form->ProgressBar1->value();
    s.maximum = m_form->ProgressBar1->maximum();
    s.ticking = m_form->Timer1->isTicking();
    s.action = m_form->CurrentRadioTextBox->text();
    return s;
}

// Clicks FIRE! as a user would; the click returns when the launch handler does.
void tst_Firing::fire()
{
    m_clock.start();
    QTest::mouseClick(m_form->FireButton, Qt::LeftButton);
}

void tst_Firing::countdown_data()
{
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("action");
    QTest::newRow("delay 2, ban") << "2"
                                  << "BanRadio"
                                  << "BAN";
    QTest::newRow("delay 1, kick: boom at the end of the wait") << "1"
                                                                << "KickRadio"
                                                                << "Kick";
    QTest::newRow("delay 3, penalty box") << "3"
                                          << "PenaltyBoxRadio"
                                          << "Penalty Box";
}

// Walks one launch through its states: locked wait, countdown, idle again.
void tst_Firing::countdown()
{
    QFETCH(QString, delay);
    QFETCH(QString, option);
    QFETCH(QString, action);
    const int d = delay.toInt();
    QTest::mouseClick(m_form->findChild<QRadioButton *>(option), Qt::LeftButton, {}, QPoint(8, 16));
    m_form->DelayTextBox->setText(delay);

    QList<int> tickValues;
    QList<qint64> tickTimes;
    connect(m_form->Timer1, &Timer::timeout, this, [&] {
        tickValues << m_form->ProgressBar1->value();
        tickTimes << m_clock.elapsed();
    });
    QSignalSpy results(m_form.get(), &Form1::resultRequested);
    Snapshot inWait;
    QTimer::singleShot(500, this, [&] { inWait = snapshot(); });

    m_form->FireButton->setFocus();
    fire();
    const qint64 handlerReturned = m_clock.elapsed();
    const Snapshot afterWait = snapshot();
    QTRY_COMPARE_WITH_TIMEOUT(results.count(), 1, (d + 2) * 1000);
    const Snapshot idle = snapshot();
    QWidget *const idleFocus = m_form->focusWidget();
    QTest::qWait(1200);

    const QList<bool> allOff(8, false);
    const QList<bool> allOn(8, true);
    QVERIFY(!inWait.window);
    QCOMPARE(inWait.inputs, allOff);
    QCOMPARE(inWait.cursor, Qt::WaitCursor);
    QCOMPARE(inWait.maximum, d);
    QCOMPARE(inWait.value, 0);
    QVERIFY(inWait.ticking);
    QCOMPARE(inWait.action, action);

    // The wait lasts its two seconds; how much later the handler gets back
    // depends on how busy the machine is, so only lateness is bounded. It
    // reads the time of day in single precision, in 1/128 s steps after
    // 18:12, and a virtual machine's time of day can move a few milliseconds
    // against the monotonic clock (13 ms early seen): a wait that ended a
    // pass early would still be far below.
    QVERIFY2(handlerReturned >= 1970 && handlerReturned < 2000 + MaxLateness,
             qPrintable(QString::number(handlerReturned)));
    QVERIFY(afterWait.window);
    if (d >= 2) {
        QCOMPARE(afterWait.inputs, allOff);
        QCOMPARE(afterWait.cursor, Qt::WaitCursor);
    }

    QVERIFY(idle.window);
    QCOMPARE(idle.inputs, allOn);
    QCOMPARE(idle.cursor, Qt::ArrowCursor);
    QCOMPARE(idle.value, 0);
    QVERIFY(!idle.ticking);
    // Unlocked, the keyboard is back on FIRE!, where it was.
    QCOMPARE(idleFocus, m_form->FireButton);

    QList<int> expectedValues;
    for (int k = 1; k <= d; ++k)
        expectedValues << k;
    expectedValues << 0;
    QCOMPARE(tickValues, expectedValues);
    // Ticks come in order, one period apart on the timer's schedule: never
    // early, and late by no more than a busy machine explains. Their
    // millisecond offsets are measured by bench_firing.
    for (int k = 1; k <= d + 1; ++k) {
        const qint64 off = tickTimes.at(k - 1) - qint64(k) * 1000;
        QVERIFY2(off >= -EarlyTick && off < MaxLateness,
                 qPrintable(QString("tick %1 off by %2 ms").arg(k).arg(off)));
        if (k > 1)
            QVERIFY(tickTimes.at(k - 1) > tickTimes.at(k - 2));
    }
    QCOMPARE(results.count(), 1);
    QCOMPARE(m_played, QStringList({m_form->CountdownSoundPath, m_form->BoomSoundPath}));
}

void tst_Firing::delayConvertsAsAccepted_data()
{
    QTest::addColumn<QString>("delay");
    QTest::addColumn<int>("maximum");
    QTest::newRow("leading zero") << "07" << 7;
    QTest::newRow("trailing point") << "9." << 9;
    QTest::newRow("plus sign") << "+8" << 8;
    QTest::newRow("blank before") << " 6" << 6;
    QTest::newRow("twenty") << "20" << 20;
}

void tst_Firing::delayConvertsAsAccepted()
{
    QFETCH(QString, delay);
    QFETCH(int, maximum);
    m_form->DelayTextBox->setText(delay);
    QCOMPARE(m_form->DelayTextBox->text(), delay);
    fire();
    QCOMPARE(m_form->ProgressBar1->maximum(), maximum);
    QCOMPARE(m_form->NewsLabel->text().contains(" after " + delay + " seconds."), true);
}

void tst_Firing::failingDelayIsNeverLaunched_data()
{
    QTest::addColumn<QString>("delay");
    QTest::newRow("above twenty") << "99";
    QTest::newRow("not a number") << "a";
    QTest::newRow("empty") << "";
    QTest::newRow("zero") << "0";
    QTest::newRow("below one") << ".5";
}

// However a click reaches FIRE! while the box holds a delay that fails the
// check (the check not yet done), nothing is launched with it.
void tst_Firing::failingDelayIsNeverLaunched()
{
    QFETCH(QString, delay);
    {
        const QSignalBlocker unchecked(m_form->DelayTextBox);
        m_form->DelayTextBox->setText(delay);
    }
    const Snapshot before = snapshot();
    fire();
    const Snapshot after = snapshot();
    QCOMPARE(after.maximum, before.maximum);
    QVERIFY(!after.ticking);
    QVERIFY(after.window);
    QCOMPARE(after.inputs, QList<bool>(8, true));
    QCOMPARE(after.cursor, Qt::ArrowCursor);
    QCOMPARE(after.action, before.action);
    QVERIFY(m_played.isEmpty());
    QVERIFY(m_clock.elapsed() < NoWait);
}

// Closing the console after the wait ends its countdown: the timer goes with
// the window, so no boom follows and no result window is asked for.
void tst_Firing::closeDuringCountdown()
{
    m_form->DelayTextBox->setText("3");
    QSignalSpy results(m_form.get(), &Form1::resultRequested);
    fire();
    QVERIFY(m_form->close());
    QVERIFY(!m_form->Timer1->isTicking());
    QTest::qWait(2500);
    QCOMPARE(results.count(), 0);
    QCOMPARE(m_played, QStringList{m_form->CountdownSoundPath});
}

// A close request that arrives while the handler is still waiting is held
// back and carried out when the wait returns; nothing runs on a dead window.
void tst_Firing::closeDuringLockedWait()
{
    m_form->DelayTextBox->setText("2");
    QSignalSpy results(m_form.get(), &Form1::resultRequested);
    bool refused = false;
    bool visibleInWait = false;
    QTimer::singleShot(700, this, [&] {
        refused = !m_form->close();
        visibleInWait = m_form->isVisible();
    });
    fire();
    QVERIFY(refused);
    QVERIFY(visibleInWait);
    QVERIFY(!m_form->isVisible());
    QVERIFY(!m_form->Timer1->isTicking());
    QTest::qWait(1500);
    QCOMPARE(results.count(), 0);
    QCOMPARE(m_played, QStringList{m_form->CountdownSoundPath});
}

void tst_Firing::closeInWaitEndsCountdownAtOnce_data()
{
    QTest::addColumn<int>("closeAt");
    QTest::newRow("before the first tick") << 500;
    QTest::newRow("after the full bar, before the boom tick") << 1500;
}

// With delay 1 the boom tick falls inside the locked wait. A close request
// before it ends the countdown at once, although the close itself waits for
// the handler: no boom, no result window opening inside the wait. The
// console tells that it holds a close back, so the program can close the
// rest.
void tst_Firing::closeInWaitEndsCountdownAtOnce()
{
    QFETCH(int, closeAt);
    m_form->DelayTextBox->setText("1");
    QSignalSpy results(m_form.get(), &Form1::resultRequested);
    QSignalSpy deferred(m_form.get(), &Form1::closeDeferred);
    bool tickingAfterRequest = true;
    QTimer::singleShot(closeAt, this, [&] {
        QVERIFY(!m_form->close());
        tickingAfterRequest = m_form->Timer1->isTicking();
    });
    fire();
    QVERIFY(!tickingAfterRequest);
    QCOMPARE(deferred.count(), 1);
    QVERIFY(!m_form->isVisible());
    QTest::qWait(1200);
    QCOMPARE(results.count(), 0);
    QCOMPARE(m_played, QStringList{m_form->CountdownSoundPath});
}

// The result window is modeless: the console fires again while it is open,
// and at that boom the open window keeps the verdict it was loaded with.
void tst_Firing::secondLaunchKeepsOpenVerdict()
{
    DialogHost results(*m_form);
    connect(m_form.get(), &Form1::resultRequested, &results, &DialogHost::Show);
    m_form->DelayTextBox->setText("1");
    QTest::mouseClick(m_form->KickRadio, Qt::LeftButton, {}, QPoint(8, 16));
    fire();
    QTRY_VERIFY_WITH_TIMEOUT(results.dialog() && results.dialog()->isVisible(), 3000);
    Dialog *first = results.dialog();
    QCOMPARE(first->PunishLabel->text(), QString("...and got hit with a Kick!"));
    QCOMPARE(first->DetailsLabel->text(), QString("with a Power 1 LASER!"));

    QTest::mouseClick(m_form->BanRadio, Qt::LeftButton, {}, QPoint(8, 16));
    QTest::keyClick(m_form->PowerSlider, Qt::Key_End);
    QSignalSpy secondBoom(m_form.get(), &Form1::resultRequested);
    fire();
    QCOMPARE(m_form->CurrentRadioTextBox->text(), QString("BAN"));
    QTRY_COMPARE_WITH_TIMEOUT(secondBoom.count(), 1, 3000);
    QCOMPARE(results.dialog(), first);
    QCOMPARE(first->PunishLabel->text(), QString("...and got hit with a Kick!"));
    QCOMPARE(first->DetailsLabel->text(), QString("with a Power 1 LASER!"));
}

QTEST_MAIN(tst_Firing)
#include "tst_firing.moc"
