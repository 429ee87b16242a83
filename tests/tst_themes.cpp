// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "docspicture.h"
#include "fonts.h"
#include "form1.h"
#include "imagemeasures.h"
#include "resultconsole.h"
#include "textfit.h"
#include "updown.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <memory>

// The console under the looks users choose: the default, a dark palette with
// Fusion, and the Windows style. The option buttons are black with white
// text whatever the look, so their circles must stay light; the other
// controls follow the look and must stay legible in it. Under a desktop's own
// font and scale (qt6ct, Qt's scale factor) every text stays whole and every
// face stays the one laid out; those runs are this program again, started
// with the desktop's settings.
class tst_Themes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void optionCircles_data();
    void optionCircles();
    void controlsLegible_data();
    void controlsLegible();
    void textsWhole();
    void desktopSettings_data();
    void desktopSettings();

private:
    void addLooks();
    void apply(const QString &look);
    QImage shot(bool locked);
    QRect indicator(QRadioButton *option) const;
    QStringList report(const QWidget &result) const;

    QTemporaryDir m_temp;
    QString m_defaultStyle;
    QPalette m_defaultPalette;
    std::unique_ptr<Form1> m_form;
    QMap<QString, QImage> m_shots;
};

namespace {

QPalette darkPalette()
{
    QPalette palette;
    const QColor window(53, 53, 53);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(35, 35, 35));
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    return palette;
}

// Mean brightness of the pixels between two fractions of the circle's radius.
double ringBrightness(const QImage &image, const QRect &circle, double from, double to)
{
    const QPointF centre = QRectF(circle).center();
    const double radius = circle.width() / 2.0;
    double sum = 0;
    int count = 0;
    for (int y = circle.top(); y <= circle.bottom(); ++y) {
        for (int x = circle.left(); x <= circle.right(); ++x) {
            const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            if (distance < from * radius || distance > to * radius)
                continue;
            const QRgb c = image.pixel(x, y);
            sum += (qRed(c) + qGreen(c) + qBlue(c)) / 3.0;
            ++count;
        }
    }
    return count ? sum / count : 0;
}

} // namespace

void tst_Themes::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    installFontSubstitutions();
    m_defaultStyle = QApplication::style()->name();
    m_defaultPalette = QApplication::palette();
}

void tst_Themes::init()
{
    apply(QTest::currentDataTag());
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_Themes::cleanup()
{
    m_form.reset();
}

void tst_Themes::apply(const QString &look)
{
    const QString style = look == QLatin1String("dark Fusion") ? QStringLiteral("fusion")
                          : look == QLatin1String("Windows")   ? QStringLiteral("windows")
                                                               : m_defaultStyle;
    QApplication::setStyle(QStyleFactory::create(style));
    QApplication::setPalette(look == QLatin1String("dark Fusion") ? darkPalette()
                             : look == QLatin1String("Windows")
                                 ? QApplication::style()->standardPalette()
                                 : m_defaultPalette);
}

// The row's name is the look, applied in init().
void tst_Themes::addLooks()
{
    QTest::addColumn<bool>("unused");
    QTest::newRow("default");
    QTest::newRow("dark Fusion");
    QTest::newRow("Windows");
}

// Idle, or locked as during a countdown.
QImage tst_Themes::shot(bool locked)
{
    if (locked)
        m_form->DisableAll();
    m_form->ProgressBar1->setValue(50);
    QImage image = m_form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!locked)
        m_shots.insert(QTest::currentDataTag(), image);
    return image;
}

QRect tst_Themes::indicator(QRadioButton *option) const
{
    QStyleOptionButton styleOption;
    styleOption.initFrom(option);
    return option->style()
        ->subElementRect(QStyle::SE_RadioButtonIndicator, &styleOption, option)
        .translated(option->pos());
}

void tst_Themes::optionCircles_data()
{
    addLooks();
}

// Light inside every circle; a dark mark in the selected one; so also while
// the inputs are locked.
void tst_Themes::optionCircles()
{
    for (bool locked : {false, true}) {
        const QImage image = shot(locked);
        for (QRadioButton *option :
             {m_form->PenaltyBoxRadio, m_form->KickRadio, m_form->BanRadio}) {
            const QRect circle = indicator(option);
            const QString what = option->objectName() + (locked ? " locked" : "");
            if (option->isChecked()) {
                const double mark = ringBrightness(image, circle, 0, 0.15);
                const double face = ringBrightness(image, circle, 0.5, 0.65);
                qInfo("%s: mark %.0f, face %.0f", qPrintable(what), mark, face);
                QVERIFY2(mark < 100 && face > 150, qPrintable(what));
            } else {
                const double face = ringBrightness(image, circle, 0, 0.65);
                qInfo("%s: face %.0f", qPrintable(what), face);
                QVERIFY2(face > 150, qPrintable(what));
            }
        }
    }
}

void tst_Themes::controlsLegible_data()
{
    addLooks();
}

// Each control's drawing stands out from its own face: the text in the boxes
// by the contrast body text needs (4.5), the arrows by that of graphical
// objects (3). The slider and the half-full bar keep at least the contrast
// the styles' own light looks give them (Fusion's slider 2.3, the Windows
// bar 2.4): a dark palette must not take it away.
void tst_Themes::controlsLegible()
{
    const QImage image = shot(false);
    const QList<QPair<QWidget *, double>> controls = {{m_form->TargetTextBox, 4.5},
                                                      {m_form->DelayTextBox, 4.5},
                                                      {m_form->DelayUpDown->upButton(), 3},
                                                      {m_form->DelayUpDown->downButton(), 3},
                                                      {m_form->PowerSlider, 2},
                                                      {m_form->ProgressBar1, 2}};
    for (const auto &[control, needed] : controls) {
        const QRect area(control->mapTo(m_form.get(), QPoint()), control->size());
        const double contrast = strongestContrast(image, area.adjusted(2, 2, -2, -2));
        const QString name = control->objectName().isEmpty()
                                 ? control->parentWidget()->objectName() + " arrow"
                                 : control->objectName();
        qInfo("%s: contrast %.1f", qPrintable(name), contrast);
        QVERIFY2(contrast >= needed, qPrintable(name));
    }
}

// The desktop this process runs on, then each window's faces. The desktop's
// font is the platform theme's: qt6ct 0.10 no longer puts it in place of
// the application font the program sets, as 0.7 did.
QStringList tst_Themes::report(const QWidget &result) const
{
    const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    return QStringList{QStringLiteral("desktop: %1 %2 pt, window %3")
                           .arg(font.family())
                           .arg(font.pointSize())
                           .arg(QApplication::palette().color(QPalette::Window).name())} +
           facesInUse(*m_form) + facesInUse(result);
}

// The longest verdict lines: power 10 and the penalty box. The shots and
// the report go where a parent run asks for them.
void tst_Themes::textsWhole()
{
    const QImage console = shot(false);
    DialogHost host(*m_form);
    setConsole(*m_form, QStringLiteral("zib42zab"), QStringLiteral("Penalty Box"), 10);
    host.Show();
    QVERIFY(host.dialog() && QTest::qWaitForWindowExposed(host.dialog()));
    const QStringList cut = textsCut(*m_form) + textsCut(*host.dialog());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));

    const QString shot = qEnvironmentVariable("LASER_THEMES_SHOT");
    if (!shot.isEmpty()) {
        QVERIFY(console.save(shot + ".png"));
        QVERIFY(host.dialog()->grab().save(shot + "-result.png"));
        QFile faces(shot + ".txt");
        QVERIFY(faces.open(QIODevice::WriteOnly));
        faces.write(report(*host.dialog()).join(u'\n').toUtf8());
    }
}

void tst_Themes::desktopSettings_data()
{
    QTest::addColumn<int>("points"); // qt6ct's general font; 0: no qt6ct
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("desktop"); // how the run's first report line begins
    QTest::newRow("qt6ct dark, 14 pt") << 14 << "1"
                                       << "desktop: DejaVu Sans 14 pt, window #2";
    QTest::newRow("qt6ct dark, 7 pt") << 7 << "1"
                                      << "desktop: DejaVu Sans 7 pt, window #2";
    QTest::newRow("scale 2") << 0 << "2"
                             << "desktop: ";
    QTest::newRow("scale 1.5") << 0 << "1.5"
                               << "desktop: ";
}

namespace {

// qt6ct as its settings window leaves it: the Fusion style, the darker
// colour scheme, and a general font chosen in a font dialog (which names the
// style too), stored as text, which qt6ct 0.7 and 0.10 both read (0.10
// writes nothing else).
void writeQt6ctConfig(const QString &home, int points)
{
    QSettings config(home + "/qt6ct/qt6ct.conf", QSettings::IniFormat);
    config.setValue("Appearance/style", "Fusion");
    config.setValue("Appearance/custom_palette", true);
    config.setValue("Appearance/color_scheme_path", "/usr/share/qt6ct/colors/darker.conf");
    config.setValue("Appearance/standard_dialogs", "default");
    QFont general(QStringLiteral("DejaVu Sans"), points);
    general.setStyleName(QStringLiteral("Book"));
    config.setValue("Fonts/general", general.toString());
    config.setValue("Fonts/fixed", QFont(QStringLiteral("DejaVu Sans Mono"), points).toString());
}

} // namespace

// textsWhole in a run of this program under the desktop's settings; its
// faces must be those of this run, which tst_form1 and tst_dialog check.
void tst_Themes::desktopSettings()
{
    QFETCH(int, points);
    QFETCH(QString, scale);
    QFETCH(QString, desktop);
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    if (points && !QFile::exists(plugins + "/platformthemes/libqt6ct.so"))
        QSKIP("qt6ct is not installed");
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (points) {
        writeQt6ctConfig(home.path(), points);
        environment.insert("XDG_CONFIG_HOME", home.path());
        environment.insert("QT_QPA_PLATFORMTHEME", "qt6ct");
    }
    environment.insert("QT_SCALE_FACTOR", scale);
    const QString shot = home.filePath("shot");
    environment.insert("LASER_THEMES_SHOT", shot);
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(), {"textsWhole"});
    QVERIFY(run.waitForFinished(120000));
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
             run.readAll().constData());

    QFile faces(shot + ".txt");
    QVERIFY(faces.open(QIODevice::ReadOnly));
    const QStringList there = QString::fromUtf8(faces.readAll()).split(u'\n');
    QVERIFY2(there.value(0).startsWith(desktop), qPrintable(there.value(0)));
    DialogHost host(*m_form);
    host.Show();
    QVERIFY(host.dialog());
    QCOMPARE(there.mid(1), report(*host.dialog()).mid(1));
    const QImage console(shot + ".png");
    QCOMPARE(console.size(), (QSizeF(430, 244) * scale.toDouble()).toSize());
    m_shots.insert(QTest::currentDataTag(), console);
    m_shots.insert(QTest::currentDataTag() + QStringLiteral(", result window"),
                   QImage(shot + "-result.png"));
}

// The looks side by side, for the documentation (docs/themes.png); below
// them the console at scale 2 and the result window under qt6ct.
void tst_Themes::cleanupTestCase()
{
    const QStringList looks = {"default", "dark Fusion", "Windows", "qt6ct dark, 14 pt"};
    for (const QString &look : looks + QStringList{"scale 2", "qt6ct dark, 14 pt, result window"}) {
        if (!m_shots.contains(look))
            return;
    }
    const int gap = 8;
    const int label = 20;
    const QImage scaled = m_shots.value("scale 2");
    const QString resultLook = QStringLiteral("qt6ct dark, 14 pt, result window");
    const QImage result = m_shots.value(resultLook);
    QImage grid(4 * 430 + 3 * gap, 244 + 2 * label + scaled.height(), QImage::Format_RGB32);
    grid.fill(Qt::white);
    QPainter painter(&grid);
    for (int i = 0; i < looks.size(); ++i) {
        const int left = i * (430 + gap);
        painter.drawImage(left, 0, m_shots.value(looks.at(i)));
        painter.drawText(QRect(left, 244, 430, label), Qt::AlignCenter, looks.at(i));
    }
    painter.drawImage(0, 244 + label, scaled);
    painter.drawText(QRect(0, 244 + label + scaled.height(), scaled.width(), label),
                     Qt::AlignCenter, QStringLiteral("scale 2"));
    const int resultLeft = scaled.width() + gap;
    painter.drawImage(resultLeft, 244 + label, result);
    painter.drawText(QRect(resultLeft, 244 + label + result.height(), result.width(), label),
                     Qt::AlignCenter, resultLook);
    painter.end();
    const QString drift = docsPictureDrift(grid, QStringLiteral("themes.png"));
    QVERIFY2(drift.isEmpty(), qPrintable(drift));
}

QTEST_MAIN(tst_Themes)
#include "tst_themes.moc"
