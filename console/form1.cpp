// SPDX-License-Identifier: MIT
#include "form1.h"

#include "ending.h"
#include "failure.h"
#include "fonts.h"
#include "inputrules.h"
#include "keyboard.h"
#include "lazyicon.h"
#include "look.h"
#include "messagebox.h"
#include "optionstyle.h"
#include "picture.h"
#include "player.h"
#include "scratchfiles.h"
#include "timer.h"
#include "titlelabel.h"
#include "updown.h"
#include "waitclock.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace {

using look::Black;
using look::Red;
using look::White;

// A window that starts hidden is given its icon this long after it is made.
constexpr int IconLatestMs = 500;

template <typename W> W *make(QWidget *parent, const char *name, const QRect &geometry)
{
    W *widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// Headings draw letters only, over the picture; they never grow, wrap at
// the label's width and clip what falls outside it.
template <typename L = QLabel>
QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text,
                  const QFont &font, const QColor &color, Qt::Alignment alignment)
{
    auto *label = new L(parent);
    look::setUpLabel(label, name, geometry, text, color, alignment);
    label->setFont(font);
    label->setAutoFillBackground(false);
    return label;
}

QRadioButton *makeOption(QWidget *parent, const char *name, int top, const QString &text)
{
    auto *option = make<QRadioButton>(parent, name, QRect(16, top, 81, 33));
    option->setText(text);
    option->setAutoFillBackground(true);
    QPalette palette = option->palette();
    palette.setColor(QPalette::Window, Black);
    palette.setColor(QPalette::Button, Black);
    palette.setColor(QPalette::WindowText, White);
    option->setPalette(palette);
    return option;
}

// The application icon: the palette pictures of the ICO file, and a large
// one for docks. Made once; decoded when the desktop first asks for it.
QIcon applicationIcon()
{
    static const QIcon icon = LazyIcon::make(
        {QStringLiteral(":/icons/laser.ico"), QStringLiteral(":/icons/laser-256.png")},
        {{32, 32}, {16, 16}, {48, 48}, {256, 256}});
    return icon;
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , Image1(new Picture(QStringLiteral(":/pictures/background-1x.rgbx"),
                         QStringLiteral(":/pictures/background.bmp"), QRect(0, 0, 433, 249), this))
    , Label1(makeLabel<TitleLabel>(
          this, "Label1", QRect(24, 32, 241, 49), QStringLiteral("Vantory Orbital Laser"),
          installedPixelFont(QStringLiteral("Terminal"), 24, false), White, Qt::AlignHCenter))
    , PowerLabel(makeLabel(this, "PowerLabel", QRect(288, 8, 129, 33), QStringLiteral("Power"),
                           installedPixelFont(QStringLiteral("System"), 26, true), White,
                           Qt::AlignHCenter))
    , PowerSlider(make<QSlider>(this, "PowerSlider", QRect(288, 40, 129, 41)))
    , TargetLabel(makeLabel(this, "TargetLabel", QRect(200, 128, 209, 33), QStringLiteral("Target"),
                            installedPixelFont(QStringLiteral("System"), 26, true), White,
                            Qt::AlignHCenter))
    , TargetTextBox(make<QLineEdit>(this, "TargetTextBox", QRect(200, 160, 209, 25)))
    , PenaltyBoxRadio(makeOption(this, "PenaltyBoxRadio", 88, QStringLiteral("Penalty Box")))
    , KickRadio(makeOption(this, "KickRadio", 120, QStringLiteral("Kick")))
    , BanRadio(makeOption(this, "BanRadio", 152, QStringLiteral("Ban")))
    , DelayLabel(makeLabel(this, "DelayLabel", QRect(0, 192, 73, 25), QStringLiteral("Delay"),
                           installedPixelFont(QStringLiteral("System"), 13, true), White,
                           Qt::AlignHCenter))
    , DelayTextBox(make<QLineEdit>(this, "DelayTextBox", QRect(16, 208, 25, 25)))
    , DelayUpDown(new UpDown(DelayTextBox, 1, 20, this))
    , NewsLabel(makeLabel(this, "NewsLabel", QRect(72, 192, 345, 11),
                          QStringLiteral("PLACEHOLDERPLACEHOLDERZIBPLSGIVESERVERPLACEHOLDERPLACE"),
                          installedPixelFont(QStringLiteral("Small Fonts"), 9, false), Red,
                          Qt::AlignLeft))
    , ProgressBar1(make<QProgressBar>(this, "ProgressBar1", QRect(72, 208, 257, 25)))
    , FireButton(make<QPushButton>(this, "FireButton", QRect(336, 208, 81, 25)))
    , CurrentRadioTextBox(make<QLineEdit>(this, "CurrentRadioTextBox", QRect(8, 8, 113, 25)))
    , Timer1(new Timer(this))
{
    createWindow();
    createInputs();
    createOptions();
    createCountdown();
    applyStacking();
    applyTabOrder();
    applyAccessibleNames();
    connectHandlers();
    Form_Load();
}

Form1::~Form1()
{
    Form_Terminate();
}

void Form1::createWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantory Orbital Laser - qelmor edition:tm:"));
    // On X11 a window's icon is decoded and handed to the desktop, every
    // size of it, as soon as it is set, which would hold up the first frame
    // by a few milliseconds. There the icon is set just after that frame, too
    // soon after for anyone to see the difference (or a moment after the
    // start, for a window that starts hidden).
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        Image1->installEventFilter(this);
        QTimer::singleShot(IconLatestMs, this, &Form1::showIcon);
    } else {
        showIcon();
    }
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(430, 244);
    setCursor(Qt::ArrowCursor);
    setFont(standardFont());
    keyboard::showFocusFromStart(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setEnabled(false);
}

void Form1::createInputs()
{
    // Input controls paint their own rectangle over the picture, as the
    // slider's track and ticks would be lost on the dark scene otherwise.
    PowerSlider->setAutoFillBackground(true);
    PowerSlider->setOrientation(Qt::Horizontal);
    PowerSlider->setRange(1, 10);
    PowerSlider->setValue(1);
    PowerSlider->setSingleStep(1);
    PowerSlider->setPageStep(5);
    PowerSlider->setTickPosition(QSlider::TicksBelow);
    PowerSlider->setTickInterval(1);
    PowerSlider->setToolTip(QStringLiteral(
        "The Power that the Ultrasonic Infrared Orbital Laser is gonna launch with"));

    TargetTextBox->setMaxLength(32);
    TargetTextBox->setAlignment(Qt::AlignCenter);
    TargetTextBox->setText(inputrules::DefaultTarget);

    DelayTextBox->setMaxLength(2);
    DelayTextBox->setText(inputrules::DefaultDelay);
    DelayUpDown->setObjectName(QStringLiteral("DelayUpDown"));
    DelayUpDown->setGeometry(41, 208, 16, 25);

    CurrentRadioTextBox->setText(QStringLiteral("zib's basement"));
    CurrentRadioTextBox->setVisible(false);
    CurrentRadioTextBox->setEnabled(false);
}

void Form1::createOptions()
{
    BanRadio->setFont(installedPixelFont(QStringLiteral("System"), 13, true));
    look::setTextColor(BanRadio, Red);
    PenaltyBoxRadio->setChecked(true);
    auto *optionStyle = new OptionStyle(this);
    // Tab enters the group at its selected button; the arrow keys move within it.
    for (QRadioButton *option : options()) {
        option->setStyle(optionStyle);
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        connect(option, &QRadioButton::toggled, option, [option](bool checked) {
            option->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
        });
    }
}

void Form1::createCountdown()
{
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);

    FireButton->setText(QStringLiteral("FIRE!"));
    FireButton->setFont(installedPixelFont(QStringLiteral("Terminal"), 12, true, true));
    FireButton->setCursor(Qt::CrossCursor);
    FireButton->setAutoDefault(false);
    keyboard::pressOnReturn(FireButton);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setEnabled(true);
    Timer1->setInterval(0);
}

// Later siblings paint over earlier ones; raise from the bottom up. The
// option buttons stack in their own order, the lowest on top.
void Form1::applyStacking()
{
    QList<QWidget *> bottomUp = {Image1,       PowerLabel,   DelayLabel,  Label1,
                                 NewsLabel,    TargetLabel,  PowerSlider, DelayUpDown,
                                 DelayTextBox, ProgressBar1, FireButton,  TargetTextBox};
    for (QRadioButton *option : options())
        bottomUp << option;
    bottomUp << CurrentRadioTextBox;
    for (QWidget *widget : bottomUp)
        widget->raise();
}

void Form1::applyTabOrder()
{
    QList<QWidget *> order = {PowerSlider, DelayUpDown, DelayTextBox, FireButton, TargetTextBox};
    for (QRadioButton *option : options())
        order << option;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    PowerSlider->setFocus();
}

// What a screen reader says for each control. The headings above the inputs
// are their buddies, which also labels each input with its heading.
void Form1::applyAccessibleNames()
{
    PowerLabel->setBuddy(PowerSlider);
    TargetLabel->setBuddy(TargetTextBox);
    DelayLabel->setBuddy(DelayTextBox);

    Image1->setAccessibleName(QStringLiteral("A satellite firing a laser at the Earth"));
    PowerSlider->setAccessibleName(PowerLabel->text());
    PowerSlider->setAccessibleDescription(PowerSlider->toolTip());
    TargetTextBox->setAccessibleName(TargetLabel->text());
    TargetTextBox->setAccessibleDescription(
        QStringLiteral("Who the laser hits, up to 32 characters"));
    DelayTextBox->setAccessibleName(DelayLabel->text());
    DelayTextBox->setAccessibleDescription(
        QStringLiteral("Seconds from FIRE! to the blast, 1 to 20"));
    DelayUpDown->setAccessibleName(QStringLiteral("Delay spinner"));
    DelayUpDown->setAccessibleDescription(
        QStringLiteral("The Up and Down keys add or take away one second"));
    ProgressBar1->setAccessibleName(QStringLiteral("Countdown"));
    ProgressBar1->setAccessibleDescription(
        QStringLiteral("Fills one step a second until the laser fires"));
    FireButton->setAccessibleDescription(QStringLiteral("Starts the countdown"));
}

void Form1::connectHandlers()
{
    connect(TargetTextBox, &QLineEdit::textChanged, this, &Form1::TargetTextBox_Change);
    connect(DelayTextBox, &QLineEdit::textChanged, this, &Form1::DelayTextBox_Change);
    connect(PowerSlider, &QSlider::valueChanged, this, &Form1::PowerSlider_Change);
    connect(PenaltyBoxRadio, &QRadioButton::clicked, this, &Form1::PenaltyBoxRadio_Click);
    connect(KickRadio, &QRadioButton::clicked, this, &Form1::KickRadio_Click);
    connect(BanRadio, &QRadioButton::clicked, this, &Form1::BanRadio_Click);
    connect(FireButton, &QPushButton::clicked, this, &Form1::FireButton_Click);
    connect(Timer1, &Timer::timeout, this, &Form1::Timer1_Timer);
}

void Form1::Form_Load()
{
    const bool written = guard([this] {
        TempFolder = scratch::readTempFolder();
        CountdownSoundPath = scratch::composePath(TempFolder, Sound::Countdown);
        scratch::write(CountdownSoundPath, Sound::Countdown);
        BoomSoundPath = scratch::composePath(TempFolder, Sound::Boom);
        scratch::write(BoomSoundPath, Sound::Boom);
    });
    if (!written)
        return;
    SelectedAction = inputrules::PenaltyBoxAction;
    UpdateNews();
}

// The normal end's way into the program's one clean-up path, which deletes
// the scratch files.
void Form1::Form_Terminate()
{
    ending::cleanUp();
}

void Form1::UpdateNews()
{
    NewsLabel->setText(inputrules::newsSentence(PowerSlider->value(), SelectedAction,
                                                TargetTextBox->text(), DelayTextBox->text()));
}

void Form1::TargetTextBox_Change()
{
    // The length is a 16-bit number by definition. The box holds at most 32 characters, so
    // the clamp never acts; it keeps the narrowing from ever wrapping a long text into a
    // negative length. tst_form1's targetEdit pins the length held.
    TextLength = qint16(qMin<qsizetype>(TargetTextBox->text().size(), 32767));
    if (TextLength < 1) {
        showMessage(this, inputrules::NoTargetMessage);
        TargetTextBox->setText(inputrules::DefaultTarget);
    }
    UpdateNews();
}

void Form1::DelayTextBox_Change()
{
    if (!inputrules::isNumber(DelayTextBox->text())) {
        showMessage(this, inputrules::NotNumberMessage);
        DelayTextBox->setText(inputrules::DefaultDelay);
    }
    if (inputrules::wholePart(DelayTextBox->text()).value_or(1) > 20) {
        showMessage(this, inputrules::TooLongMessage);
        DelayTextBox->setText(inputrules::MaxDelay);
    } else if (inputrules::wholePart(DelayTextBox->text()).value_or(1) < 1) {
        showMessage(this, inputrules::TooShortMessage);
        DelayTextBox->setText(inputrules::MinDelay);
    }
    UpdateNews();
}

void Form1::PowerSlider_Change()
{
    UpdateNews();
}

void Form1::PenaltyBoxRadio_Click()
{
    SelectedAction = inputrules::PenaltyBoxAction;
    UpdateNews();
}

void Form1::KickRadio_Click()
{
    SelectedAction = inputrules::KickAction;
    UpdateNews();
}

void Form1::BanRadio_Click()
{
    SelectedAction = inputrules::BanAction;
    UpdateNews();
}

void Form1::PlayCountdownAudio()
{
    player::play(CountdownSoundPath);
}

void Form1::PlayBoomAudio()
{
    player::play(BoomSoundPath);
}

// The launch does not return at once: it keeps processing events for two seconds
// (WaitSeconds), so that the first ticks run inside it. Whatever the event loop dispatches
// may run in there: Timer1_Timer, the boom included, and with it the result window's show
// and load (resultRequested); painting; the result window's own handlers; close requests,
// and the signals the program turns into closes. Meanwhile the window and its inputs are
// disabled, so input to the console does nothing. When the wait returns the window is
// enabled while its inputs stay locked until the boom, on purpose: the console can be moved
// or closed during the countdown, and nothing the verdict reads at the boom can change. With
// a delay of 1 the boom may come inside the wait, and the inputs are enabled already.
// m_waiting, m_closeDeferred, the closeDeferred signal (see closeEvent) and Launcher's
// queued closeOtherWindows exist only because of this wait.
void Form1::FireButton_Click()
{
    // Whatever brought the click here, a delay that fails the check is never launched.
    const std::optional<double> delay = inputrules::wholePart(DelayTextBox->text());
    if (!delay || *delay < 1 || *delay > 20)
        return;
    ProgressBar1->setValue(0);
    // The maximum is the delay in single precision, as Timer1_Timer compares it. The box
    // holds a whole number from 1 to 20 here, exact in a float, so the bar's int gets it
    // whole. It converts as the check does, so "07", "9." and "+8" count down as accepted
    // (tst_firing's delayConvertsAsAccepted).
    ProgressBar1->setMaximum(int(float(inputrules::toNumber(DelayTextBox->text()).value_or(1))));
    Timer1->setEnabled(true);
    Timer1->setInterval(1000);
    setCursor(Qt::WaitCursor);
    CurrentRadioTextBox->setText(SelectedAction);
    PlayCountdownAudio();
    DisableAll();
    WaitSeconds(2.0f);
    setEnabled(true);
    if (m_closeDeferred) {
        m_closeDeferred = false;
        close();
    }
}

// Value and maximum are compared as single-precision numbers, for equality: both are whole
// numbers up to 20, exact in a float, so the tick that finds the bar full is the boom and
// every earlier one raises the bar by one. tst_firing's countdown pins each tick's value.
void Form1::Timer1_Timer()
{
    const auto maximum = float(ProgressBar1->maximum());
    const auto value = float(ProgressBar1->value());
    if (maximum == value) {
        ProgressBar1->setValue(0);
        setCursor(Qt::ArrowCursor);
        PlayBoomAudio();
        EnableAll();
        Timer1->setEnabled(false);
        emit resultRequested();
    } else {
        ProgressBar1->setValue(int(value + 1));
    }
}

// A locked input loses the keyboard focus; unlocking gives it back, so that
// a keyboard user is where they were (on FIRE!, to fire again).
void Form1::DisableAll()
{
    m_focusBeforeLock = focusWidget();
    for (QWidget *input : inputs())
        input->setEnabled(false);
    setEnabled(false);
}

void Form1::EnableAll()
{
    setEnabled(true);
    for (QWidget *input : inputs())
        input->setEnabled(true);
    if (m_focusBeforeLock)
        m_focusBeforeLock->setFocus(Qt::OtherFocusReason);
}

QList<QRadioButton *> Form1::options() const
{
    return {PenaltyBoxRadio, KickRadio, BanRadio};
}

QList<QWidget *> Form1::inputs() const
{
    QList<QWidget *> locked = {DelayUpDown, DelayTextBox};
    for (QRadioButton *option : options())
        locked << option;
    return locked << PowerSlider << TargetTextBox << FireButton;
}

// The launch's nested wait (see FireButton_Click): every pass processes all pending events,
// so the handlers they reach run inside it; closeEvent reads m_waiting to hold closes back.
void Form1::WaitSeconds(float seconds)
{
    SystemClock clock;
    m_waiting = true;
    pollWait(seconds, clock, [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    m_waiting = false;
}

void Form1::showIcon()
{
    if (windowIcon().cacheKey() != applicationIcon().cacheKey())
        setWindowIcon(applicationIcon());
}

// The picture fills the window, so its first paint is the window's first frame.
bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::Paint) {
        Image1->removeEventFilter(this);
        // Queued: the frame is finished and on its way to the screen first.
        QTimer::singleShot(0, this, &Form1::showIcon);
    }
    return QWidget::eventFilter(watched, event);
}

// The locked console stays on screen until its wait returns: a close request meanwhile is
// held back and carried out then (tst_firing's closeDuringLockedWait). Accepting it would
// destroy nothing, as the console has no WA_DeleteOnClose and belongs to Launcher; it would
// hide the window under its still running handler and, were it the last window, have the
// application quit once that handler returns. A closed console takes its countdown with it,
// and at once when the close is held back, so no boom and no result window come from a
// console that is being closed.
void Form1::closeEvent(QCloseEvent *event)
{
    Timer1->setEnabled(false);
    if (m_waiting) {
        m_closeDeferred = true;
        event->ignore();
        emit closeDeferred();
        return;
    }
    event->accept();
}
