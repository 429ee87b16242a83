// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "failure.h"
#include "fonts.h"
#include "playrecorder.h"
#include "resultconsole.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The result window as a user meets it, after a countdown of power 5 with
// the action "BAN" on the target "zib42zab".
class tst_Dialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void window();
    void windowIcons_data();
    void windowIcons();
    void controls_data();
    void controls();
    void stackingFocusAndToolTip();
    void longTargetWrapsAndIsCut();
    void click_data();
    void click();
    void clickOnTransparentPixel();
    void repeatedClicksRestartTheSound();
    void keys_data();
    void keys();

private:
    void showWith(const QString &target);
    void clickAt(const QPoint &at);

    QTemporaryDir m_temp;
    std::unique_ptr<Form1> m_console;
    std::unique_ptr<DialogHost> m_host;
    Dialog *m_dialog = nullptr;
    QStringList &m_played = playedSounds();
};

void tst_Dialog::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    installFontSubstitutions();
    setFailureReport([](const Failure &failure) { QFAIL(qPrintable(failure.description)); });
}

void tst_Dialog::init()
{
    m_console = std::make_unique<Form1>();
    m_host = std::make_unique<DialogHost>(*m_console);
    showWith(QStringLiteral("zib42zab"));
}

void tst_Dialog::cleanup()
{
    m_host.reset();
    m_console.reset();
    m_played.clear();
}

void tst_Dialog::showWith(const QString &target)
{
    setConsole(*m_console, target, QStringLiteral("BAN"), 5);
    m_host->Show();
    m_dialog = m_host->dialog();
    QVERIFY(m_dialog);
    QVERIFY(QTest::qWaitForWindowActive(m_dialog));
}

void tst_Dialog::clickAt(const QPoint &at)
{
    QTest::mouseClick(m_dialog->windowHandle(), Qt::LeftButton, {}, at);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_Dialog::window()
{
    QCOMPARE(m_dialog->objectName(), QString("Dialog"));
    QCOMPARE(m_dialog->windowTitle(), QString("KABOOM!"));
    QVERIFY(!m_dialog->parentWidget() && !m_dialog->windowHandle()->transientParent());
    QVERIFY(!m_dialog->isModal());
    QCOMPARE(m_dialog->geometry(), QRect(184, 250, 402, 213));
    QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    QCOMPARE(m_dialog->windowType(), Qt::Window);
    const Qt::WindowFlags flags = m_dialog->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(m_dialog->testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(m_dialog->windowIcon().availableSizes().contains(QSize(32, 32)));
    // A result window per firing, one icon for all: a new one each time
    // would leave its pictures in Qt's pixmap cache.
    QCOMPARE(Dialog(*m_console).windowIcon().cacheKey(), m_dialog->windowIcon().cacheKey());
}

void tst_Dialog::windowIcons_data()
{
    QTest::addColumn<bool>("console");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("console") << true << QStringList{":/icons/laser.ico", ":/icons/laser-256.png"};
    QTest::newRow("result window")
        << false << QStringList{":/icons/fireball.ico", ":/icons/fireball-64.png"};
}

// A window's icon names its sizes before it has decoded its files: they must
// be the sizes the files hold, in their order, and show the files' pictures.
void tst_Dialog::windowIcons()
{
    QFETCH(bool, console);
    QFETCH(QStringList, files);
    const QIcon icon = console ? m_console->windowIcon() : m_dialog->windowIcon();
    QIcon decoded;
    for (const QString &file : files)
        decoded.addFile(file);
    QCOMPARE(icon.availableSizes(), decoded.availableSizes());
    for (const QSize &size : decoded.availableSizes())
        QCOMPARE(icon.pixmap(size).toImage(), decoded.pixmap(size).toImage());
}

void tst_Dialog::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family"); // empty: the application's default font
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("colour"); // invalid: the style's own

    const QColor red(255, 0, 0);
    const QColor white(255, 255, 255);
    QTest::newRow("BOOMLabel") << "BOOMLabel" << QRect(8, 8, 177, 49) << "BOOM!"
                               << "System" << 26 << true << red;
    QTest::newRow("TargetLabel") << "TargetLabel" << QRect(8, 40, 217, 25) << "zib42zab"
                                 << "System" << 13 << true << white;
    QTest::newRow("DedLabel") << "DedLabel" << QRect(8, 56, 225, 73) << "JUST GOT OBLITERATED!!!"
                              << "System" << 26 << true << red;
    QTest::newRow("DetailsLabel") << "DetailsLabel" << QRect(8, 120, 241, 17)
                                  << "with a Power 5 LASER!!!"
                                  << "" << 0 << false << red;
    QTest::newRow("PunishLabel") << "PunishLabel" << QRect(8, 144, 257, 25)
                                 << "...and got hit with a BAN!"
                                 << "Small Fonts" << 18 << false << white;
    QTest::newRow("OKButton") << "OKButton" << QRect(152, 176, 81, 25) << "OK"
                              << "" << 0 << false << QColor();
    QTest::newRow("Image1") << "Image1" << QRect(208, -24, 200, 282) << ""
                            << "" << 0 << false << QColor();
}

void tst_Dialog::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(QColor, colour);

    auto *widget = m_dialog->findChild<QWidget *>(name);
    QVERIFY(widget && widget->isVisible() && widget->isEnabled());
    QTEST(widget->geometry(), "geometry");
    QTEST(widget->property("text").toString(), "text");
    const QFont font = widget->font();
    if (family.isEmpty()) {
        QCOMPARE(font, standardFont());
    } else {
        QCOMPARE(font.family(), family);
        QTEST(QFontInfo(font).pixelSize(), "pixels");
        QTEST(font.bold(), "bold");
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }
    if (colour.isValid())
        QCOMPARE(widget->palette().color(QPalette::WindowText), colour);
    if (auto *label = qobject_cast<QLabel *>(widget); label && label != m_dialog->Image1) {
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(label->wordWrap());
    }
}

void tst_Dialog::stackingFocusAndToolTip()
{
    QStringList bottomToTop;
    for (QWidget *child : m_dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        bottomToTop << child->objectName();
        QCOMPARE(child->toolTip(), QString(child == m_dialog->BOOMLabel ? "pls zib" : ""));
    }
    QCOMPARE(bottomToTop, QStringList({"BOOMLabel", "TargetLabel", "DedLabel", "PunishLabel",
                                       "DetailsLabel", "Image1", "OKButton"}));

    // The fireball is the one tab stop after OK.
    QCOMPARE(QApplication::focusWidget(), m_dialog->OKButton);
    QTest::keyClick(m_dialog, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_dialog->Image1);
    QTest::keyClick(m_dialog, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_dialog->OKButton);
    QTest::keyClick(m_dialog, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), m_dialog->Image1);
}

void tst_Dialog::longTargetWrapsAndIsCut()
{
    m_dialog->close();
    QTRY_VERIFY(!m_host->dialog());
    showWith(QStringLiteral("WWWW WWWW WWWW WWWW WWWW WWWW WW"));
    QCOMPARE(m_dialog->TargetLabel->geometry(), QRect(8, 40, 217, 25));

    const QImage image = m_dialog->grab().toImage();
    auto whitePixels = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 8; x < 208; ++x)
                count += image.pixelColor(x, y) == QColor(Qt::white);
        }
        return count;
    };
    // The second line starts inside the label; what lies below the label's edge is not drawn.
    QVERIFY(whitePixels(58, 65) > 0);
    QCOMPARE(whitePixels(65, 120), 0);
}

void tst_Dialog::click_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("plays");
    QTest::addColumn<bool>("closes");
    QTest::newRow("picture, top-left visible pixel") << QPoint(208, 0) << true << false;
    QTest::newRow("picture, bottom-right visible pixel") << QPoint(401, 212) << true << false;
    QTest::newRow("picture, right of OKButton") << QPoint(233, 188) << true << false;
    QTest::newRow("picture, below OKButton") << QPoint(220, 201) << true << false;
    QTest::newRow("OKButton over the picture") << QPoint(220, 188) << false << true;
    QTest::newRow("OKButton beside the picture") << QPoint(160, 188) << false << true;
    QTest::newRow("label left of the picture") << QPoint(207, 100) << false << false;
}

void tst_Dialog::click()
{
    QFETCH(QPoint, at);
    QFETCH(bool, plays);
    const QString path = m_dialog->JungleSoundPath;
    clickAt(at);
    QCOMPARE(m_played, plays ? QStringList{path} : QStringList{});
    QTEST(m_host->dialog() == nullptr, "closes");
}

// Clicks count on the whole rectangle, not only where the fireball is drawn.
void tst_Dialog::clickOnTransparentPixel()
{
    const QImage picture = m_dialog->Image1->pixmap().toImage();
    QCOMPARE(picture.size(), QSize(200, 282));
    QPoint transparent;
    for (int y = 24; y < 237 && transparent.isNull(); ++y) {
        for (int x = 30; x < 194 && transparent.isNull(); ++x) {
            if (qAlpha(picture.pixel(x, y)) == 0)
                transparent = QPoint(x, y);
        }
    }
    QVERIFY2(!transparent.isNull(), "no transparent pixel in view");
    clickAt(m_dialog->Image1->mapTo(m_dialog, transparent));
    QCOMPARE(m_played, QStringList{m_dialog->JungleSoundPath});
}

void tst_Dialog::repeatedClicksRestartTheSound()
{
    for (int i = 0; i < 3; ++i)
        clickAt({300, 150});
    const QString path = m_dialog->JungleSoundPath;
    QCOMPARE(m_played, QStringList({path, path, path}));
}

void tst_Dialog::keys_data()
{
    QTest::addColumn<bool>("onFireball"); // else on OK, where the focus opens
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("plays");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Return on OK") << false << Qt::Key_Return << false << true;
    QTest::newRow("Enter on OK") << false << Qt::Key_Enter << false << true;
    QTest::newRow("Escape on OK") << false << Qt::Key_Escape << false << true;
    QTest::newRow("Space on the fireball") << true << Qt::Key_Space << true << false;
    QTest::newRow("Return on the fireball") << true << Qt::Key_Return << true << false;
    QTest::newRow("Enter on the fireball") << true << Qt::Key_Enter << true << false;
    QTest::newRow("Escape on the fireball") << true << Qt::Key_Escape << false << true;
    QTest::newRow("a letter on the fireball") << true << Qt::Key_J << false << false;
}

// Without a mouse: the fireball, reached by Tab and shown framed, plays the
// jungle call as a click does; Escape closes the window as OK does.
void tst_Dialog::keys()
{
    QFETCH(bool, onFireball);
    QFETCH(Qt::Key, key);
    QFETCH(bool, plays);
    const QString path = m_dialog->JungleSoundPath;
    if (onFireball) {
        const QImage unfocused = m_dialog->grab().toImage();
        QTest::keyClick(m_dialog, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), m_dialog->Image1);
        QVERIFY2(m_dialog->grab().toImage() != unfocused, "the fireball shows no focus");
    }
    QTest::keyClick(QApplication::focusWidget(), key);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(m_played, plays ? QStringList{path} : QStringList{});
    QTEST(m_host->dialog() == nullptr, "closes");
}

QTEST_MAIN(tst_Dialog)
#include "tst_dialog.moc"
