// SPDX-License-Identifier: MIT
#include "dialog.h"

#include "fonts.h"
#include "form1.h"
#include "keyboard.h"
#include "lazyicon.h"
#include "look.h"
#include "picture.h"
#include "player.h"
#include "scratchfiles.h"
#include "skiptaskbar.h"
#include "verdict.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

using look::Red;
using look::setUpLabel;
using look::White;

namespace {

// One icon for every result window: a new one per firing would leave its
// pictures behind in Qt's pixmap cache each time. Decoded when the desktop
// first asks for it.
QIcon fireballIcon()
{
    static const QIcon icon = LazyIcon::make(
        {QStringLiteral(":/icons/fireball.ico"), QStringLiteral(":/icons/fireball-64.png")},
        {{32, 32}, {64, 64}});
    return icon;
}

} // namespace

Dialog::Dialog(Form1 &console)
    : QWidget(nullptr)
    , BOOMLabel(new QLabel(this))
    , TargetLabel(new QLabel(this))
    , DedLabel(new QLabel(this))
    , PunishLabel(new QLabel(this))
    , DetailsLabel(new QLabel(this))
    , Image1(new QLabel(this))
    , OKButton(new QPushButton(this))
    , m_console(console)
{
    createWindow();
    createLabels();
    createPicture();
    createButton();
}

void Dialog::createWindow()
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("KABOOM!"));
    setWindowIcon(fireballIcon());
    // The hints leave the close box as the only button. An ordinary window,
    // not a tool or dialog window: Qt gives those, when they have no owner,
    // an invisible one that window managers reject, and desktops leave them
    // out of more than the taskbar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    new SkipTaskbar(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setGeometry(184, 250, 402, 213);
    setFixedSize(402, 213);
    setFont(standardFont());
    keyboard::showFocusFromStart(this);
}

void Dialog::createLabels()
{
    setUpLabel(BOOMLabel, "BOOMLabel", {8, 8, 177, 49}, QStringLiteral("BOOM!"), Red);
    setUpLabel(TargetLabel, "TargetLabel", {8, 40, 217, 25}, QStringLiteral("Label1"), White);
    setUpLabel(DedLabel, "DedLabel", {8, 56, 225, 73}, QStringLiteral("JUST GOT OBLITERATED!"),
               Red);
    setUpLabel(DetailsLabel, "DetailsLabel", {8, 120, 241, 17}, QStringLiteral("Label2"), Red);
    setUpLabel(PunishLabel, "PunishLabel", {8, 144, 257, 25},
               QStringLiteral("...and sent to zib's basement"), White);

    const QString system = QStringLiteral("System");
    BOOMLabel->setFont(pixelFont(system, 26, true));
    TargetLabel->setFont(pixelFont(system, 13, true));
    DedLabel->setFont(pixelFont(system, 26, true));
    PunishLabel->setFont(pixelFont(QStringLiteral("Small Fonts"), 18, false));

    BOOMLabel->setToolTip(QStringLiteral("pls zib"));
}

void Dialog::createPicture()
{
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(208, -24, 200, 282);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    showFireball(devicePixelRatioF());
    Image1->installEventFilter(this);
    Image1->setAccessibleName(QStringLiteral("Fireball"));
    Image1->setAccessibleDescription(
        QStringLiteral("A click, Space or Return plays a jungle call"));
    // A tab stop after OK, so the jungle call needs no mouse; its frame
    // marks the part of the picture inside the window.
    Image1->setFocusPolicy(Qt::TabFocus);
    new FocusMark(Image1, Image1->geometry().intersected(rect()).translated(-Image1->pos()));
}

void Dialog::createButton()
{
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(152, 176, 81, 25);
    OKButton->setText(QStringLiteral("OK"));
    keyboard::pressOnReturn(OKButton);
    QWidget::setTabOrder(OKButton, Image1);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
}

void Dialog::Form_Load()
{
    TempFolder = scratch::readTempFolder();
    JungleSoundPath = scratch::composePath(TempFolder, Sound::Jungle);
    scratch::write(JungleSoundPath, Sound::Jungle);

    const Verdict verdict =
        Verdict::compose(m_console.TargetTextBox->text(), m_console.CurrentRadioTextBox->text(),
                         m_console.PowerSlider->value());
    TargetLabel->setText(verdict.target);
    PunishLabel->setText(verdict.punish);
    DedLabel->setText(verdict.ded);
    DetailsLabel->setText(verdict.details);

    // The focus opens on OK: a screen reader finds the verdict there and on the window.
    const QString lines =
        QStringList{verdict.target, verdict.ded, verdict.details, verdict.punish}.join(u'\n');
    setAccessibleDescription(lines);
    OKButton->setAccessibleDescription(lines);
}

void Dialog::PlayJungleAudio()
{
    player::play(JungleSoundPath);
}

// QPixmap reads the first frame only, which is all the window ever shows. A
// denser screen gets the sharper copy of that frame, at the same size; any
// other the frame as it is.
void Dialog::showFireball(qreal ratio)
{
    if (ratio > 1)
        Image1->setPixmap(Picture::scaled(QImage(QStringLiteral(":/pictures/fireball-2x.png")),
                                          Image1->size(), ratio));
    else
        Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/fireball.gif")));
}

void Dialog::paintEvent(QPaintEvent *)
{
    // Below scale 1 the frame is shown as it is, at ratio 1.
    if (const std::optional<qreal> ratio =
            Picture::newRatio(this, Image1->pixmap().devicePixelRatio(), 1))
        showFireball(*ratio);
    // Painted rather than set in the palette, so the button keeps its standard colours.
    QPainter(this).fillRect(rect(), look::Black);
}

void Dialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        OKButton_Click();
    else
        QWidget::keyPressEvent(event);
}

bool Dialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Image1_Click();
            return true;
        }
    }
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // Only where the picture is the visible top control: not above the window's edge,
        // not under OKButton.
        const QPoint at = Image1->mapTo(this, mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && childAt(at) == Image1)
            Image1_Click();
    }
    return QWidget::eventFilter(watched, event);
}

void Dialog::Image1_Click()
{
    PlayJungleAudio();
}

void Dialog::OKButton_Click()
{
    close();
}
