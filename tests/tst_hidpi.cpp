// SPDX-License-Identifier: MIT
#include "imagemeasures.h"
#include "programrun.h"
#include "x11properties.h"
#include "x11windows.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real program on a real X server at the scales users set: by Qt's
// variables or by a high-density X screen. What it paints must be drawn at
// the screen's own pixel size, from the full picture, with every control
// where it is at scale 1; at scale 1 nothing changes.
class tst_HiDpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void unscaledConsoleIsUnchanged();
    void consoleIsCrisp_data();
    void consoleIsCrisp();
    void resultWindowIsCrisp_data();
    void resultWindowIsCrisp();

private:
    void click(xcb_window_t window, const QPoint &at, double scale) const;
    QList<QSize> iconSizes(xcb_window_t window) const;
    QImage consoleShot(const QProcessEnvironment &extra);
    QImage stableGrab(xcb_window_t window) const;

    std::unique_ptr<X11Windows> m_windows;
    std::unique_ptr<X11Properties> m_properties;
    QImage m_unscaled;
};

namespace {

const QSize ConsoleSize(430, 244);
// Between the slider and the target heading, clear of every control: the
// satellite's dish and body, where the picture has the most detail.
const QRect Satellite(316, 84, 66, 40);

QRect scaled(const QRect &rect, double scale)
{
    return {(QPointF(rect.topLeft()) * scale).toPoint(), (QSizeF(rect.size()) * scale).toSize()};
}

// The full picture scaled smoothly to the picture control's size in pixels.
QImage background(double scale)
{
    return QImage(QStringLiteral(LASER_SOURCE_DIR "/assets/background.bmp"))
        .scaled((QSizeF(433, 249) * scale).toSize(), Qt::IgnoreAspectRatio,
                Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// The result window's first frame of the fireball, as it should show on the
// window's black at the given scale: from the sharper copy above scale 1.
QImage fireballOnBlack(double scale)
{
    const QImage frame = scale > 1
                             ? QImage(QStringLiteral(LASER_SOURCE_DIR "/assets/fireball-2x.png"))
                                   .scaled((QSizeF(200, 282) * scale).toSize(),
                                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             : QImage(QStringLiteral(LASER_SOURCE_DIR "/assets/fireball.gif"));
    QImage view((QSizeF(402, 213) * scale).toSize(), QImage::Format_RGB32);
    view.fill(Qt::black);
    QPainter painter(&view);
    painter.drawImage((QPointF(208, -24) * scale).toPoint(), frame);
    return view;
}

} // namespace

void tst_HiDpi::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    m_windows = std::make_unique<X11Windows>();
    m_properties = std::make_unique<X11Properties>();
    m_unscaled = consoleShot({});
    QCOMPARE(m_unscaled.size(), ConsoleSize);
}

void tst_HiDpi::cleanup()
{
    m_properties->setText(m_properties->root(), "RESOURCE_MANAGER", {});
}

// Two grabs a moment apart that agree and show more than one colour: the
// window has finished painting. A program held up on a busy machine leaves a
// blank window blank for longer than a moment.
QImage tst_HiDpi::stableGrab(xcb_window_t window) const
{
    QImage previous;
    for (int attempt = 0; attempt < 50; ++attempt) {
        QTest::qWait(200);
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
        if (!previous.isNull() && shot == previous && strongestContrast(shot, shot.rect()) > 1.0)
            return shot.convertToFormat(QImage::Format_RGB32);
        previous = shot;
    }
    return {};
}

QImage tst_HiDpi::consoleShot(const QProcessEnvironment &extra)
{
    QTemporaryDir temp;
    ProgramRun program;
    for (const QString &name : extra.keys())
        program.environment().insert(name, extra.value(name));
    program.start(temp.path());
    const xcb_window_t window = m_windows->waitFor(ConsoleTitle, 15000);
    if (!window)
        return {};
    QImage shot = stableGrab(window);
    m_windows->requestClose(window);
    program.verifyCleanEnd(temp.path());
    return shot;
}

void tst_HiDpi::unscaledConsoleIsUnchanged()
{
    const QImage picture = background(1);
    int same = 0;
    for (int y = Satellite.top(); y <= Satellite.bottom(); ++y) {
        for (int x = Satellite.left(); x <= Satellite.right(); ++x) {
            const QRgb a = m_unscaled.pixel(x, y);
            const QRgb b = picture.pixel(x, y);
            same += qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 &&
                    qAbs(qBlue(a) - qBlue(b)) <= 2;
        }
    }
    QCOMPARE(same, Satellite.width() * Satellite.height());
    qInfo("uniform 2x2 blocks at scale 1: %.3f", uniformBlockShare(m_unscaled, Satellite));
}

void tst_HiDpi::consoleIsCrisp_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("denseScreen");
    QTest::addColumn<double>("scale");
    QTest::newRow("QT_SCALE_FACTOR=2") << "QT_SCALE_FACTOR"
                                       << "2" << false << 2.0;
    QTest::newRow("QT_SCREEN_SCALE_FACTORS=2") << "QT_SCREEN_SCALE_FACTORS"
                                               << "2" << false << 2.0;
    QTest::newRow("192-dpi X screen") << QString() << QString() << true << 2.0;
    QTest::newRow("QT_SCALE_FACTOR=1.5") << "QT_SCALE_FACTOR"
                                         << "1.5" << false << 1.5;
}

void tst_HiDpi::consoleIsCrisp()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QFETCH(bool, denseScreen);
    QFETCH(double, scale);
    // As a desktop's settings daemon announces a dense screen to X clients.
    if (denseScreen)
        m_properties->setText(m_properties->root(), "RESOURCE_MANAGER", "Xft.dpi:\t192\n");
    QProcessEnvironment extra;
    if (!variable.isEmpty())
        extra.insert(variable, value);
    const QImage shot = consoleShot(extra);
    QCOMPARE(shot.size(), (QSizeF(ConsoleSize) * scale).toSize());

    // The measure tells: the unscaled picture doubled pixel by pixel is nearly all blocks.
    const QImage doubled = m_unscaled.scaled(ConsoleSize * 2);
    QVERIFY(uniformBlockShare(doubled, scaled(Satellite, 2)) > 0.9);
    const double share = uniformBlockShare(shot, scaled(Satellite, scale));
    qInfo("uniform 2x2 blocks at scale %.1f: %.3f", scale, share);
    QVERIFY2(share < 0.3, qPrintable(QString::number(share)));
    // At any scale, integer or not: what shows is the full picture at the
    // screen's pixel size. The 433-pixel copy enlarged, coarsely or smoothly,
    // differs from it by about 5 on average.
    const double fromFull = meanDifference(shot, background(scale), scaled(Satellite, scale));
    qInfo("mean difference from the full picture: %.2f", fromFull);
    QVERIFY2(fromFull < 1.5, qPrintable(QString::number(fromFull)));

    // Every control where it is at scale 1: brought back to that size, the
    // window looks like the unscaled one.
    const QImage back = shot.scaled(ConsoleSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double difference = meanDifference(back, m_unscaled, QRect(QPoint(), ConsoleSize));
    qInfo("mean difference from scale 1: %.2f", difference);
    QVERIFY2(difference < 12, qPrintable(QString::number(difference)));
}

void tst_HiDpi::click(xcb_window_t window, const QPoint &at, double scale) const
{
    const QPoint where = m_windows->geometry(window).topLeft() + (QPointF(at) * scale).toPoint();
    runTool(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(where.x()),
                                        QString::number(where.y()), "click", "1"});
}

// The sizes a window offers a window manager or a dock for its icon.
QList<QSize> tst_HiDpi::iconSizes(xcb_window_t window) const
{
    const QList<quint32> icon = m_properties->values(window, "_NET_WM_ICON");
    QList<QSize> sizes;
    for (qsizetype at = 0; at + 2 <= icon.size(); at += 2 + qsizetype(icon[at]) * icon[at + 1])
        sizes.append(QSize(int(icon[at]), int(icon[at + 1])));
    return sizes;
}

void tst_HiDpi::resultWindowIsCrisp_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("scale 1") << 1.0;
    QTest::newRow("scale 1.5") << 1.5;
    QTest::newRow("scale 2") << 2.0;
}

// Delay 1 and FIRE!, clicked where the controls are at this scale: the
// fireball shows the sharper frame at the screen's pixel size (the very
// frame at scale 1), and both windows offer large icons.
void tst_HiDpi::resultWindowIsCrisp()
{
    QFETCH(double, scale);
    QTemporaryDir temp;
    ProgramRun program;
    program.environment().insert("QT_SCALE_FACTOR", QString::number(scale));
    program.start(temp.path());
    const xcb_window_t console = m_windows->waitFor(ConsoleTitle, 15000);
    QVERIFY(console);
    QTest::qWait(300);
    click(console, {16 + 12, 208 + 12}, scale);
    runTool(QStringLiteral("xdotool"), {"key", "ctrl+a", "type", "1"});
    click(console, {336 + 40, 208 + 12}, scale);
    const xcb_window_t result = m_windows->waitFor(QStringLiteral("KABOOM!"), 10000);
    QVERIFY2(result, "no result window");
    const QImage shot = stableGrab(result);
    QCOMPARE(shot.size(), (QSizeF(402, 213) * scale).toSize());

    const QRect fire = scaled(QRect(260, 40, 100, 90), scale);
    const double difference = meanDifference(shot, fireballOnBlack(scale), fire);
    const double share = uniformBlockShare(shot, fire);
    qInfo("fireball: mean difference %.2f, uniform 2x2 blocks %.3f", difference, share);
    // Qt enlarges the 200-pixel frame smoothly, so it is not blocky, only
    // blurred: it differs from the sharper frame by about 2 on average.
    QVERIFY2(difference < 1.0, qPrintable(QString::number(difference)));
    QVERIFY2(share < 0.3, qPrintable(QString::number(share)));

    QVERIFY2(iconSizes(console).contains(QSize(256, 256)), "no 256-pixel console icon");
    QVERIFY2(iconSizes(result).contains(QSize(64, 64)), "no 64-pixel result window icon");

    m_windows->requestClose(result);
    m_windows->requestClose(console);
    program.verifyCleanEnd(temp.path());
}

QTEST_MAIN(tst_HiDpi)
#include "tst_hidpi.moc"
