// SPDX-License-Identifier: MIT
#include "assetstore.h"
#include "dialog.h"
#include "dialoghost.h"
#include "failure.h"
#include "fonts.h"
#include "playrecorder.h"
#include "resultconsole.h"
#include "scratchfiles.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// When a show request loads the result window, when it leaves it as it is,
// and what closing it leaves behind.
class tst_DialogHost : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstShowLoads();
    void showWhileOpenKeepsTheVerdict();
    void closeThenShowLoadsAgain_data();
    void closeThenShowLoadsAgain();
    void failedWriteShowsNothing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList verdict() const;
    static int dialogsAlive();

    QTemporaryDir m_temp;
    QString m_junglePath;
    std::unique_ptr<Form1> m_console;
    std::unique_ptr<DialogHost> m_host;
    QList<Failure> m_failures;
    QStringList &m_played = playedSounds();
    int m_dialogsShown = 0;
};

void tst_DialogHost::initTestCase()
{
    QVERIFY(m_temp.isValid());
    m_junglePath = scratch::composePath(m_temp.path(), Sound::Jungle);
    installFontSubstitutions();
    setFailureReport([this](const Failure &failure) { m_failures << failure; });
    qApp->installEventFilter(this);
}

void tst_DialogHost::init()
{
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    m_console = std::make_unique<Form1>();
    m_host = std::make_unique<DialogHost>(*m_console);
    QFile::remove(m_junglePath);
}

void tst_DialogHost::cleanup()
{
    m_host.reset();
    m_console.reset();
    m_failures.clear();
    m_played.clear();
    m_dialogsShown = 0;
}

bool tst_DialogHost::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && qobject_cast<Dialog *>(watched))
        ++m_dialogsShown;
    return false;
}

QStringList tst_DialogHost::verdict() const
{
    const Dialog *dialog = m_host->dialog();
    return {dialog->TargetLabel->text(), dialog->DedLabel->text(), dialog->DetailsLabel->text(),
            dialog->PunishLabel->text()};
}

int tst_DialogHost::dialogsAlive()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(),
                             [](QWidget *window) { return qobject_cast<Dialog *>(window); }));
}

void tst_DialogHost::firstShowLoads()
{
    setConsole(*m_console, QStringLiteral(" zib 42 "), QStringLiteral("Kick"), 7);
    m_host->Show();

    Dialog *dialog = m_host->dialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->JungleSoundPath, m_junglePath);
    QCOMPARE(QFileInfo(m_junglePath).size(), assets::lookup(Sound::Jungle).size());
    QCOMPARE(verdict(), QStringList({" zib 42 ", "JUST GOT OBLITERATED!!!",
                                     "with a Power 7 LASER!!!", "...and got hit with a Kick!"}));
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(QApplication::focusWidget(), dialog->OKButton);
    QVERIFY(m_played.isEmpty());
    QVERIFY(m_failures.isEmpty());
}

void tst_DialogHost::showWhileOpenKeepsTheVerdict()
{
    setConsole(*m_console, QStringLiteral("first"), QStringLiteral("Penalty Box"), 2);
    m_host->Show();
    Dialog *const dialog = m_host->dialog();
    const QStringList first = verdict();
    QVERIFY(QFile::remove(m_junglePath));

    setConsole(*m_console, QStringLiteral("second"), QStringLiteral("BAN"), 9);
    m_console->show();
    m_console->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_console.get()));
    m_host->Show();

    QCOMPARE(m_host->dialog(), dialog);
    QCOMPARE(verdict(), first);
    QVERIFY(!QFile::exists(m_junglePath));
    QCOMPARE(m_dialogsShown, 1);
    // A later request brings the open window forward.
    QVERIFY(QTest::qWaitForWindowActive(dialog));
}

void tst_DialogHost::closeThenShowLoadsAgain_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("OK button") << false << true;
    QTest::newRow("close box") << true << true;
    // A countdown can end inside the console's event-pumping wait, before the closed window is
    // gone.
    QTest::newRow("OK button, shown again before deletion") << false << false;
}

void tst_DialogHost::closeThenShowLoadsAgain()
{
    QFETCH(bool, closeBox);
    QFETCH(bool, deleted);
    setConsole(*m_console, QStringLiteral("first"), QStringLiteral("Penalty Box"), 2);
    m_host->Show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host->dialog()));
    QVERIFY(QFile::remove(m_junglePath));

    if (closeBox)
        QVERIFY(m_host->dialog()->windowHandle()->close());
    else
        QTest::mouseClick(m_host->dialog()->OKButton, Qt::LeftButton);
    if (deleted) {
        QTRY_VERIFY(!m_host->dialog());
        QCOMPARE(dialogsAlive(), 0);
    }
    QVERIFY(!QFile::exists(m_junglePath));

    setConsole(*m_console, QStringLiteral("second"), QStringLiteral("penalty box"), 5);
    m_host->Show();
    QVERIFY(m_host->dialog() && m_host->dialog()->isVisible());
    QVERIFY(QFile::exists(m_junglePath));
    QCOMPARE(verdict(), QStringList({"second", "JUST GOT OBLITERATED!!!", "with a Power 5 LASER!!!",
                                     "...and got hit with a penalty box!"}));
    QCOMPARE(m_dialogsShown, 2);
    QTRY_COMPARE(dialogsAlive(), 1);
}

void tst_DialogHost::failedWriteShowsNothing()
{
    qputenv("TEMP", (m_temp.path() + QStringLiteral("/missing")).toLocal8Bit());
    m_host->Show();
    QCOMPARE(m_failures.size(), 1);
    QVERIFY(!m_host->dialog());
    QCOMPARE(dialogsAlive(), 0);
    QCOMPARE(m_dialogsShown, 0);

    // Nothing is left behind that would keep a later request from loading.
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    m_host->Show();
    QVERIFY(m_host->dialog());
    QCOMPARE(m_failures.size(), 1);
}

QTEST_MAIN(tst_DialogHost)
#include "tst_dialoghost.moc"
