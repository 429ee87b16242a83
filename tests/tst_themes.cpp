// SPDX-License-Identifier: MIT
#include "fonts.h"
#include "form1.h"
#include "imagemeasures.h"
#include "updown.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
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
// controls follow the look and must stay legible in it.
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

private:
    void addLooks();
    void apply(const QString &look);
    QImage shot(bool locked);
    QRect indicator(QRadioButton *option) const;

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

// The three looks side by side, for the documentation.
void tst_Themes::cleanupTestCase()
{
    const QStringList looks = {"default", "dark Fusion", "Windows"};
    for (const QString &look : looks) {
        if (!m_shots.contains(look))
            return;
    }
    const int gap = 8;
    const int label = 20;
    QImage grid(3 * 430 + 2 * gap, 244 + label, QImage::Format_RGB32);
    grid.fill(Qt::white);
    QPainter painter(&grid);
    for (int i = 0; i < looks.size(); ++i) {
        const int left = i * (430 + gap);
        painter.drawImage(left, 0, m_shots.value(looks.at(i)));
        painter.drawText(QRect(left, 244, 430, label), Qt::AlignCenter, looks.at(i));
    }
    painter.end();
    QVERIFY(grid.save(QStringLiteral(LASER_TEST_OUTPUT "/themes.png")));
}

QTEST_MAIN(tst_Themes)
#include "tst_themes.moc"
