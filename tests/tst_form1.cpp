// SPDX-License-Identifier: MIT
#include "fonts.h"
#include "form1.h"
#include "inputrules.h"
#include "messageboxwatcher.h"
#include "picture.h"
#include "timer.h"
#include "updown.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QResource>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

class tst_Form1 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void geometry_data();
    void geometry();
    void texts_data();
    void texts();
    void fonts_data();
    void fonts();
    void colours();
    void startState();
    void tabOrder();
    void focusShows_data();
    void focusShows();
    void timerIdle();

    void delayEdit_data();
    void delayEdit();
    void targetEdit_data();
    void targetEdit();
    void options_data();
    void options();
    void inputsAreEveryControl();
    void slider_data();
    void slider();
    void spinner_data();
    void spinner();
    void anyInputEndsValid();
    void inputWithOkWaitsForCheck_data();
    void inputWithOkWaitsForCheck();

private:
    template <typename T> T *child(const char *name) const
    {
        T *widget = m_form->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    void replaceText(QLineEdit *box, const QString &text, bool paste);
    bool delayValid() const;

    QTemporaryDir m_temp;
    std::unique_ptr<Form1> m_form;
};

void tst_Form1::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    installFontSubstitutions();
}

void tst_Form1::init()
{
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void tst_Form1::cleanup()
{
    m_form.reset();
}

void tst_Form1::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("Image1") << "Image1" << QRect(0, 0, 433, 249);
    QTest::newRow("Label1") << "Label1" << QRect(24, 32, 241, 49);
    QTest::newRow("PowerLabel") << "PowerLabel" << QRect(288, 8, 129, 33);
    QTest::newRow("PowerSlider") << "PowerSlider" << QRect(288, 40, 129, 41);
    QTest::newRow("TargetLabel") << "TargetLabel" << QRect(200, 128, 209, 33);
    QTest::newRow("TargetTextBox") << "TargetTextBox" << QRect(200, 160, 209, 25);
    QTest::newRow("PenaltyBoxRadio") << "PenaltyBoxRadio" << QRect(16, 88, 81, 33);
    QTest::newRow("KickRadio") << "KickRadio" << QRect(16, 120, 81, 33);
    QTest::newRow("BanRadio") << "BanRadio" << QRect(16, 152, 81, 33);
    QTest::newRow("DelayLabel") << "DelayLabel" << QRect(0, 192, 73, 25);
    QTest::newRow("DelayTextBox") << "DelayTextBox" << QRect(16, 208, 25, 25);
    QTest::newRow("DelayUpDown") << "DelayUpDown" << QRect(41, 208, 16, 25);
    QTest::newRow("NewsLabel") << "NewsLabel" << QRect(72, 192, 345, 11);
    QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(72, 208, 257, 25);
    QTest::newRow("FireButton") << "FireButton" << QRect(336, 208, 81, 25);
    QTest::newRow("CurrentRadioTextBox") << "CurrentRadioTextBox" << QRect(8, 8, 113, 25);
}

void tst_Form1::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QCOMPARE(child<QWidget>(name.toLatin1())->geometry(), rect);
    QCOMPARE(m_form->size(), QSize(430, 244));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_form->windowTitle(), QString("Vantory Orbital Laser - qelmor edition:tm:"));
    QVERIFY(!m_form->windowIcon().isNull());
}

void tst_Form1::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label1") << "Label1"
                            << "Vantory Orbital Laser";
    QTest::newRow("PowerLabel") << "PowerLabel"
                                << "Power";
    QTest::newRow("TargetLabel") << "TargetLabel"
                                 << "Target";
    QTest::newRow("DelayLabel") << "DelayLabel"
                                << "Delay";
    QTest::newRow("NewsLabel")
        << "NewsLabel"
        << "Launching a Power 1 Penalty Box Laser to zib42zab after 10 seconds.";
    QTest::newRow("PenaltyBoxRadio") << "PenaltyBoxRadio"
                                     << "Penalty Box";
    QTest::newRow("KickRadio") << "KickRadio"
                               << "Kick";
    QTest::newRow("BanRadio") << "BanRadio"
                              << "Ban";
    QTest::newRow("FireButton") << "FireButton"
                                << "FIRE!";
    QTest::newRow("TargetTextBox") << "TargetTextBox"
                                   << "zib42zab";
    QTest::newRow("DelayTextBox") << "DelayTextBox"
                                  << "10";
    QTest::newRow("CurrentRadioTextBox") << "CurrentRadioTextBox"
                                         << "zib's basement";
}

void tst_Form1::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    auto *widget = child<QWidget>(name.toLatin1());
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), text);
        // A target such as "<b>x" must show as typed, never as markup.
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(label->wordWrap());
        QVERIFY(label->alignment() & Qt::AlignTop);
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        QCOMPARE(button->text(), text);
    } else {
        QCOMPARE(qobject_cast<QLineEdit *>(widget)->text(), text);
    }
}

void tst_Form1::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::newRow("Label1 terminal") << "Label1"
                                     << "DejaVu Sans Mono" << 24 << false << false;
    QTest::newRow("PowerLabel system") << "PowerLabel"
                                       << "Liberation Sans" << 26 << true << false;
    QTest::newRow("TargetLabel system") << "TargetLabel"
                                        << "Liberation Sans" << 26 << true << false;
    QTest::newRow("DelayLabel system") << "DelayLabel"
                                       << "Liberation Sans" << 13 << true << false;
    QTest::newRow("NewsLabel small") << "NewsLabel"
                                     << "Liberation Sans" << 9 << false << false;
    QTest::newRow("BanRadio system") << "BanRadio"
                                     << "Liberation Sans" << 13 << true << false;
    QTest::newRow("FireButton terminal") << "FireButton"
                                         << "DejaVu Sans Mono" << 12 << true << true;
    QTest::newRow("KickRadio default") << "KickRadio"
                                       << "Liberation Sans" << 11 << false << false;
    QTest::newRow("TargetTextBox default") << "TargetTextBox"
                                           << "Liberation Sans" << 11 << false << false;
}

// Each face must resolve to an installed font, not to whatever fontconfig
// falls back on when a name is unknown.
void tst_Form1::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, face);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    const QFont font = child<QWidget>(name.toLatin1())->font();
    const QFontInfo info(font);
    QVERIFY2(QFontDatabase::families().contains(face), qPrintable(face + " is not installed"));
    QCOMPARE(info.family(), face);
    QCOMPARE(font.pixelSize(), pixels);
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(info.bold(), bold);
    QCOMPARE(info.italic(), italic);
}

void tst_Form1::colours()
{
    for (const char *name : {"Label1", "PowerLabel", "TargetLabel", "DelayLabel"}) {
        auto *label = child<QLabel>(name);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 255, 255));
        QVERIFY2(!label->autoFillBackground(), name);
    }
    QCOMPARE(child<QLabel>("NewsLabel")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    for (const char *name : {"PenaltyBoxRadio", "KickRadio", "BanRadio"}) {
        auto *option = child<QRadioButton>(name);
        QVERIFY2(option->autoFillBackground(), name);
        QCOMPARE(option->palette().color(QPalette::Window), QColor(0, 0, 0));
    }
    QCOMPARE(child<QRadioButton>("KickRadio")->palette().color(QPalette::WindowText),
             QColor(255, 255, 255));
    QCOMPARE(child<QRadioButton>("BanRadio")->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));

    // Painted for real: the option's rectangle is black, and the picture, not
    // a label background, shows in the gaps between a heading's letters.
    const QImage shot = m_form->grab().toImage();
    QCOMPARE(shot.pixelColor(18, 90), QColor(0, 0, 0));
    const QImage picture = m_form->Image1->image();
    QCOMPARE(shot.pixel(289, 9), picture.pixel(289, 9));
    QCOMPARE(shot.pixel(72, 202), picture.pixel(72, 202));
    // At scale 1 the picture is drawn from where the program keeps it: a
    // stored copy that no longer fits would be made from the full picture
    // at every start, unseen but slow.
    QCOMPARE(picture.constBits(), QResource(":/pictures/background-1x.rgbx").data());
    // The slider paints its own face, so its ticks show on the dark scene.
    QCOMPARE(shot.pixel(289, 79), m_form->PowerSlider->palette().color(QPalette::Window).rgb());
}

void tst_Form1::startState()
{
    QVERIFY(m_form->PenaltyBoxRadio->isChecked());
    QVERIFY(!m_form->KickRadio->isChecked() && !m_form->BanRadio->isChecked());
    QCOMPARE(m_form->SelectedAction, QString("Penalty Box"));
    QCOMPARE(m_form->PowerSlider->value(), 1);
    QCOMPARE(m_form->PowerSlider->minimum(), 1);
    QCOMPARE(m_form->PowerSlider->maximum(), 10);
    QCOMPARE(m_form->PowerSlider->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(m_form->PowerSlider->tickInterval(), 1);
    QCOMPARE(m_form->PowerSlider->toolTip(),
             QString("The Power that the Ultrasonic Infrared Orbital Laser is gonna launch with"));
    QCOMPARE(m_form->ProgressBar1->minimum(), 0);
    QCOMPARE(m_form->ProgressBar1->maximum(), 100);
    QCOMPARE(m_form->ProgressBar1->value(), 0);
    QCOMPARE(m_form->TargetTextBox->maxLength(), 32);
    QCOMPARE(m_form->DelayTextBox->maxLength(), 2);
    QVERIFY(!m_form->CurrentRadioTextBox->isVisible());
    QVERIFY(!m_form->CurrentRadioTextBox->isEnabled());
    QVERIFY(!m_form->Image1->isEnabled());
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(m_form->FireButton->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(QApplication::focusWidget(), m_form->PowerSlider);
    for (QWidget *w : m_form->findChildren<QWidget *>()) {
        if (w != m_form->CurrentRadioTextBox && w->parentWidget() == m_form.get())
            QVERIFY2(w->isEnabled() || w == m_form->Image1, qPrintable(w->objectName()));
    }
    // Bottom to top, as the window's children are painted.
    QStringList painted;
    for (QObject *o : m_form->children())
        if (o->isWidgetType() && !o->objectName().isEmpty())
            painted << o->objectName();
    QCOMPARE(painted, QStringList({"Image1", "PowerLabel", "DelayLabel", "Label1", "NewsLabel",
                                   "TargetLabel", "PowerSlider", "DelayUpDown", "DelayTextBox",
                                   "ProgressBar1", "FireButton", "TargetTextBox", "PenaltyBoxRadio",
                                   "KickRadio", "BanRadio", "CurrentRadioTextBox"}));
}

void tst_Form1::tabOrder()
{
    m_form->KickRadio->click();
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The group is entered at its selected button; the hidden box never takes focus.
    QCOMPARE(visited, QStringList({"PowerSlider", "DelayUpDown", "DelayTextBox", "FireButton",
                                   "TargetTextBox", "KickRadio", "PowerSlider"}));

    // Within the group the arrow keys select, as a click would.
    m_form->KickRadio->setFocus();
    QTest::keyClick(m_form->KickRadio, Qt::Key_Down);
    QVERIFY(m_form->BanRadio->isChecked());
    QCOMPARE(QApplication::focusWidget(), m_form->BanRadio);
    QCOMPARE(m_form->SelectedAction, QString("BAN"));
    QTest::keyClick(m_form->BanRadio, Qt::Key_Up);
    QTest::keyClick(m_form->KickRadio, Qt::Key_Up);
    QVERIFY(m_form->PenaltyBoxRadio->isChecked());
    QCOMPARE(m_form->SelectedAction, QString("Penalty Box"));
}

void tst_Form1::focusShows_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("PowerSlider") << "PowerSlider";
    QTest::newRow("DelayUpDown") << "DelayUpDown";
    QTest::newRow("FireButton") << "FireButton";
    QTest::newRow("PenaltyBoxRadio") << "PenaltyBoxRadio";
}

// Where the focus is shows from the start, before any Tab: the control
// looks different with the focus than without it.
void tst_Form1::focusShows()
{
    QFETCH(QString, name);
    auto *control = child<QWidget>(name.toLatin1());
    QWidget *elsewhere = control == m_form->PowerSlider ? static_cast<QWidget *>(m_form->FireButton)
                                                        : m_form->PowerSlider;
    const QRect area(control->mapTo(m_form.get(), QPoint()), control->size());
    elsewhere->setFocus(Qt::OtherFocusReason);
    const QImage without = m_form->grab(area).toImage();
    control->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), control);
    const QImage with = m_form->grab(area).toImage();
    QVERIFY2(with != without, "the focus does not show");
}

void tst_Form1::timerIdle()
{
    QVERIFY(m_form->Timer1->isEnabled());
    QCOMPARE(m_form->Timer1->interval(), 0);
    QSignalSpy ticks(m_form->Timer1, &Timer::timeout);
    QTest::qWait(50);
    QCOMPARE(ticks.count(), 0);
    QVERIFY(!m_form->Timer1->isTicking());
}

void tst_Form1::replaceText(QLineEdit *box, const QString &text, bool paste)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Backspace);
    } else if (paste) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(box, text);
    }
}

bool tst_Form1::delayValid() const
{
    const std::optional<double> whole = inputrules::wholePart(m_form->DelayTextBox->text());
    return whole && *whole >= 1 && *whole <= 20;
}

void tst_Form1::delayEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("result");

    const QString none;
    const QString notNumber = "Only two numbers allowed.";
    const QString tooLong = "Only numbers less than 21 are allowed";
    const QString tooShort = "The laser needs atleast one seecond to charge up.";
    QTest::newRow("emptied") << "" << false << notNumber << "10";
    QTest::newRow("21 typed") << "21" << false << tooLong << "20";
    QTest::newRow("99 pasted") << "99" << true << tooLong << "20";
    QTest::newRow("20 accepted") << "20" << true << none << "20";
    QTest::newRow("0 typed") << "0" << false << tooShort << "1";
    QTest::newRow("-5 pasted") << "-5" << true << tooShort << "1";
    QTest::newRow(".5 pasted") << ".5" << true << tooShort << "1";
    QTest::newRow("-0 pasted") << "-0" << true << tooShort << "1";
    QTest::newRow("1 accepted") << "1" << false << none << "1";
    QTest::newRow("ab typed, one message") << "ab" << false << notNumber << "10";
    QTest::newRow("ab pasted") << "ab" << true << notNumber << "10";
    QTest::newRow("07 kept") << "07" << true << none << "07";
    QTest::newRow("blank 7 kept") << " 7" << true << none << " 7";
    QTest::newRow("+7 kept") << "+7" << true << none << "+7";
    QTest::newRow("7. kept") << "7." << true << none << "7.";
    QTest::newRow("point alone") << "." << true << notNumber << "10";
    QTest::newRow("minus alone") << "-" << false << notNumber << "10";
    QTest::newRow("tab digit") << "\t5" << true << notNumber << "10";
    QTest::newRow("too long paste cut to 2") << "123" << true << none << "12";
    QTest::newRow("arabic-indic digits")
        << QString(QChar(0x0661)) + QChar(0x0662) << true << notNumber << "10";
}

// One offending edit gives one message, shown while the offending text is
// still in the box; the replacement follows and the news line names it.
void tst_Form1::delayEdit()
{
    QFETCH(QString, text);
    QFETCH(bool, paste);
    QFETCH(QString, message);
    QFETCH(QString, result);

    MessageBoxWatcher watcher([this] { return m_form->DelayTextBox->text(); });
    replaceText(m_form->DelayTextBox, text, paste);
    QTRY_COMPARE(m_form->DelayTextBox->text(), result);
    QTest::qWait(30);

    QCOMPARE(watcher.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    for (const MessageBoxWatcher::Seen &seen : watcher.seen) {
        QCOMPARE(seen.title, QString("KESTA"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, 1);
        QCOMPARE(seen.modality, Qt::ApplicationModal);
        QVERIFY2(seen.replacedText != result, "replaced before the message was dismissed");
    }
    QCOMPARE(m_form->NewsLabel->text(),
             "Launching a Power 1 Penalty Box Laser to zib42zab after " + result + " seconds.");
    QVERIFY(delayValid());
}

void tst_Form1::targetEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("result");

    const QString thirtyTwo = QString(32, QLatin1Char('x'));
    QTest::newRow("emptied") << "" << false << 1 << "zib42zab";
    QTest::newRow("32 accepted") << thirtyTwo << true << 0 << thirtyTwo;
    QTest::newRow("33rd typed ignored") << thirtyTwo + "y" << false << 0 << thirtyTwo;
    QTest::newRow("long paste cut") << thirtyTwo + "yyy" << true << 0 << thirtyTwo;
    QTest::newRow("blanks kept") << "  a  " << true << 0 << "  a  ";
    QTest::newRow("markup shown as typed") << "<b>zib</b>" << true << 0 << "<b>zib</b>";
}

void tst_Form1::targetEdit()
{
    QFETCH(QString, text);
    QFETCH(bool, paste);
    QFETCH(int, messages);
    QFETCH(QString, result);

    MessageBoxWatcher watcher([this] { return m_form->TargetTextBox->text(); });
    replaceText(m_form->TargetTextBox, text, paste);
    QTRY_COMPARE(m_form->TargetTextBox->text(), result);
    QTest::qWait(30);
    QCOMPARE(watcher.seen.size(), messages);
    if (messages) {
        QCOMPARE(watcher.seen.first().text, QString("There should be a target."));
        QCOMPARE(watcher.seen.first().replacedText, QString());
    }
    QCOMPARE(m_form->TextLength, qint16(result.size()));
    QCOMPARE(m_form->NewsLabel->text(),
             "Launching a Power 1 Penalty Box Laser to " + result + " after 10 seconds.");
}

void tst_Form1::options_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("action");
    QTest::newRow("ban in capitals") << QStringList{"BanRadio"} << "BAN";
    QTest::newRow("kick") << QStringList{"KickRadio"} << "Kick";
    QTest::newRow("ban then penalty box")
        << QStringList{"BanRadio", "PenaltyBoxRadio"} << "Penalty Box";
    QTest::newRow("chosen again") << QStringList{"KickRadio", "KickRadio"} << "Kick";
}

void tst_Form1::options()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, action);
    for (const QString &name : clicks)
        QTest::mouseClick(child<QRadioButton>(name.toLatin1()), Qt::LeftButton, {}, QPoint(8, 16));
    QCOMPARE(m_form->SelectedAction, action);
    QCOMPARE(m_form->NewsLabel->text(),
             "Launching a Power 1 " + action + " Laser to zib42zab after 10 seconds.");
}

// The lists the lock and the tab order are built from must name every
// control the user can operate, so a new option button or input cannot be
// left unlocked during a countdown.
void tst_Form1::inputsAreEveryControl()
{
    QSet<QWidget *> operable;
    QSet<QRadioButton *> optionButtons;
    for (QWidget *widget : m_form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (widget->isHidden())
            continue;
        if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
            qobject_cast<QAbstractSlider *>(widget) || qobject_cast<UpDown *>(widget))
            operable.insert(widget);
        if (auto *option = qobject_cast<QRadioButton *>(widget))
            optionButtons.insert(option);
    }
    const QList<QWidget *> inputs = m_form->inputs();
    QCOMPARE(QSet<QWidget *>(inputs.begin(), inputs.end()).size(), inputs.size());
    QCOMPARE(QSet<QWidget *>(inputs.begin(), inputs.end()), operable);
    QCOMPARE(inputs.size(), 8);
    const QList<QRadioButton *> options = m_form->options();
    QCOMPARE(QSet<QRadioButton *>(options.begin(), options.end()), optionButtons);
    QCOMPARE(options.first(), m_form->PenaltyBoxRadio);
}

void tst_Form1::slider_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("values");
    QTest::newRow("two large steps up")
        << QList<int>{Qt::Key_PageUp, Qt::Key_PageUp} << QList<int>{6, 10};
    QTest::newRow("below the start")
        << QList<int>{Qt::Key_Left, Qt::Key_PageDown} << QList<int>{1, 1};
    QTest::newRow("small steps") << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}
                                 << QList<int>{2, 3, 2};
    QTest::newRow("past the top") << QList<int>{Qt::Key_End, Qt::Key_Right, Qt::Key_PageUp}
                                  << QList<int>{10, 10, 10};
}

void tst_Form1::slider()
{
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, values);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QTest::keyClick(m_form->PowerSlider, Qt::Key(keys.at(i)));
        QCOMPARE(m_form->PowerSlider->value(), values.at(i));
        QCOMPARE(m_form->NewsLabel->text(), "Launching a Power " + QString::number(values.at(i)) +
                                                " Penalty Box Laser to zib42zab after 10 "
                                                "seconds.");
    }
}

void tst_Form1::spinner_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("result");
    QTest::newRow("up from 10") << "10" << true << "11";
    QTest::newRow("down from 10") << "10" << false << "9";
    QTest::newRow("up from 20 stays") << "20" << true << "20";
    QTest::newRow("down from 1 stays") << "1" << false << "1";
    QTest::newRow("up from 07") << "07" << true << "8";
    QTest::newRow("down from 7.") << "7." << false << "6";
}

// Steps come from real clicks on the arrows and from the arrow keys.
void tst_Form1::spinner()
{
    QFETCH(QString, start);
    QFETCH(bool, up);
    QFETCH(QString, result);
    m_form->DelayTextBox->setText(start);
    UpDown *spinner = m_form->DelayUpDown;
    QTest::mouseClick(up ? spinner->upButton() : spinner->downButton(), Qt::LeftButton);
    QCOMPARE(m_form->DelayTextBox->text(), result);
    QCOMPARE(m_form->NewsLabel->text(),
             "Launching a Power 1 Penalty Box Laser to zib42zab after " + result + " seconds.");
    m_form->DelayTextBox->setText(start);
    QTest::keyClick(spinner, up ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(m_form->DelayTextBox->text(), result);
}

// Whatever is pasted, the boxes end valid, with at most one message per edit.
void tst_Form1::anyInputEndsValid()
{
    QRandomGenerator random(4242);
    const QList<char16_t> odd = {0x200f, 0x202e, 0xd83d, 0xde00, 0x0000, 0x0007, 0x000a,
                                 0xfeff, 0x0663, 0xff10, 0x002d, 0x002e, 0x0020, 0x0031};
    for (int round = 0; round < 60; ++round) {
        QString text;
        const int length = random.bounded(0, 5);
        for (int i = 0; i < length; ++i)
            text += random.bounded(2) ? QChar(odd.at(random.bounded(int(odd.size()))))
                                      : QChar(char16_t(random.bounded(0x20, 0xffff)));
        for (QLineEdit *box : {m_form->DelayTextBox, m_form->TargetTextBox}) {
            MessageBoxWatcher watcher;
            replaceText(box, text, true);
            QTest::qWait(20);
            QVERIFY2(watcher.seen.size() <= 1, qPrintable(text.toUtf8().toHex()));
            QVERIFY2(delayValid(), qPrintable(m_form->DelayTextBox->text()));
            QVERIFY(!m_form->TargetTextBox->text().isEmpty());
            QVERIFY(m_form->TargetTextBox->text().size() <= 32);
        }
    }
}

void tst_Form1::inputWithOkWaitsForCheck_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");

    QTest::newRow("delay 99, FIRE! clicked with OK") << "DelayTextBox"
                                                     << "99"
                                                     << "fire"
                                                     << "20";
    QTest::newRow("delay a, FIRE! clicked with OK") << "DelayTextBox"
                                                    << "a"
                                                    << "fire"
                                                    << "10";
    QTest::newRow("delay 0, FIRE! clicked with OK") << "DelayTextBox"
                                                    << "0"
                                                    << "fire"
                                                    << "1";
    QTest::newRow("target emptied, FIRE! clicked with OK") << "TargetTextBox"
                                                           << ""
                                                           << "fire"
                                                           << "zib42zab";
    QTest::newRow("delay a, digit typed with OK") << "DelayTextBox"
                                                  << "a"
                                                  << "5"
                                                  << "10";
    QTest::newRow("target emptied, letter typed with OK") << "TargetTextBox"
                                                          << ""
                                                          << "q"
                                                          << "zib42zab";
}

// Input that arrives together with the click on OK reaches the console only
// once the check has made its replacement: no launch with the offending
// text, no second message for one edit. Input after the check goes through.
void tst_Form1::inputWithOkWaitsForCheck()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, input);
    QFETCH(QString, result);
    auto *edit = child<QLineEdit>(box.toLatin1());
    m_form->DelayTextBox->setText("1");

    QStringList launches;
    connect(m_form->CurrentRadioTextBox, &QLineEdit::textChanged, this, [&] {
        launches << m_form->DelayTextBox->text() + "|" + m_form->TargetTextBox->text();
    });
    QStringList booms;
    connect(m_form.get(), &Form1::resultRequested, this,
            [&] { booms << m_form->TargetTextBox->text(); });
    // A message the late input might bring up is dismissed by a timer of its
    // own, as the watcher's timer is still busy with the first one.
    QStringList furtherMessages;
    QTimer further;
    connect(&further, &QTimer::timeout, this, [&] {
        if (auto *extra = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            furtherMessages << extra->text();
            extra->reject();
        }
    });
    MessageBoxWatcher watcher([edit] { return edit->text(); },
                              [&] {
                                  further.start(100);
                                  if (input == "fire")
                                      QTest::mouseClick(m_form->FireButton, Qt::LeftButton);
                                  else
                                      QTest::keyClicks(edit, input);
                              });
    replaceText(edit, text, false);
    QTRY_COMPARE(edit->text(), result);
    QTest::qWait(200);

    QCOMPARE(watcher.seen.size(), 1);
    QCOMPARE(watcher.seen.first().replacedText, text);
    QCOMPARE(furtherMessages, QStringList());
    for (const QString &launch : launches) {
        const QString delay = launch.section('|', 0, 0);
        const std::optional<double> whole = inputrules::wholePart(delay);
        QVERIFY2(whole && *whole >= 1 && *whole <= 20, qPrintable(launch));
        QVERIFY2(!launch.section('|', 1).isEmpty(), qPrintable(launch));
    }
    QVERIFY2(!booms.contains(QString()), "the result names an empty target");
    QCOMPARE(edit->text(), result);

    m_form->TargetTextBox->setFocus();
    QTest::keyClick(m_form->TargetTextBox, Qt::Key_End);
    QTest::keyClicks(m_form->TargetTextBox, "x");
    QVERIFY(m_form->TargetTextBox->text().endsWith("x"));
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
