// SPDX-License-Identifier: MIT
#include "dialog.h"
#include "dialoghost.h"
#include "failure.h"
#include "form1.h"
#include "resultconsole.h"
#include "updown.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

// Both windows as a screen reader meets them through Qt's accessibility
// interface: every control a user can reach has a name, the headings label
// their inputs, and the verdict can be read from the focused OK button.
class tst_Accessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void namesAndDescriptions_data();
    void namesAndDescriptions();
    void headingsLabelTheirInputs_data();
    void headingsLabelTheirInputs();
    void verdictIsReadFromOk_data();
    void verdictIsReadFromOk();

private:
    QWidget *window(const QString &which) const;

    QTemporaryDir m_temp;
    std::unique_ptr<Form1> m_console;
    std::unique_ptr<DialogHost> m_host;
};

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// What a user can act on or must be told about: inputs, buttons, the bar and pictures.
bool reachable(QAccessibleInterface *node)
{
    static const QList<QAccessible::Role> roles = {
        QAccessible::Button,  QAccessible::RadioButton,  QAccessible::Slider,
        QAccessible::SpinBox, QAccessible::EditableText, QAccessible::ProgressBar,
        QAccessible::Graphic, QAccessible::CheckBox};
    return node->state().focusable || roles.contains(node->role());
}

void collectUnnamed(QAccessibleInterface *node, QStringList &unnamed, QStringList &seen)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (!child || child->state().invisible)
            continue;
        const QString id = child->object() ? child->object()->objectName() : QString();
        if (reachable(child)) {
            seen << id;
            if (child->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << QStringLiteral("%1 (role %2)").arg(id).arg(int(child->role()));
        }
        collectUnnamed(child, unnamed, seen);
    }
}

} // namespace

void tst_Accessibility::initTestCase()
{
    QVERIFY(m_temp.isValid());
    qputenv("TEMP", m_temp.path().toLocal8Bit());
    setFailureReport([](const Failure &failure) { QFAIL(qPrintable(failure.description)); });
}

void tst_Accessibility::init()
{
    m_console = std::make_unique<Form1>();
    m_host = std::make_unique<DialogHost>(*m_console);
    setConsole(*m_console, QStringLiteral("zib42zab"), QStringLiteral("Kick"), 7);
    m_console->show();
    m_host->Show();
    QVERIFY(m_host->dialog());
    QVERIFY(QTest::qWaitForWindowActive(m_host->dialog()));
}

void tst_Accessibility::cleanup()
{
    m_host.reset();
    m_console.reset();
}

QWidget *tst_Accessibility::window(const QString &which) const
{
    if (which == QLatin1String("console"))
        return m_console.get();
    return m_host->dialog();
}

void tst_Accessibility::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("controls");
    QTest::newRow("console")
        << "console"
        << QStringList{"PowerSlider",     "DelayUpDown",  "",           "",
                       "DelayTextBox",    "ProgressBar1", "FireButton", "TargetTextBox",
                       "PenaltyBoxRadio", "KickRadio",    "BanRadio"};
    QTest::newRow("result window") << "result" << QStringList{"Image1", "OKButton"};
}

// The whole tree, as a screen reader walks it: nothing a user can reach is nameless.
void tst_Accessibility::everyControlIsNamed()
{
    QFETCH(QString, which);
    QFETCH(QStringList, controls);
    QAccessibleInterface *root = accessible(window(which));
    QVERIFY(root);
    QVERIFY(!root->text(QAccessible::Name).isEmpty());
    QStringList unnamed;
    QStringList seen;
    collectUnnamed(root, unnamed, seen);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    seen.sort();
    controls.sort();
    QCOMPARE(seen, controls);
}

void tst_Accessibility::namesAndDescriptions_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // a part of it

    QTest::newRow("PowerSlider") << "console"
                                 << "PowerSlider" << int(QAccessible::Slider) << "Power"
                                 << "The Power that the Ultrasonic Infrared";
    QTest::newRow("TargetTextBox") << "console"
                                   << "TargetTextBox" << int(QAccessible::EditableText) << "Target"
                                   << "32 characters";
    QTest::newRow("DelayTextBox") << "console"
                                  << "DelayTextBox" << int(QAccessible::EditableText) << "Delay"
                                  << "1 to 20";
    QTest::newRow("DelayUpDown") << "console"
                                 << "DelayUpDown" << int(QAccessible::Client) << "Delay spinner"
                                 << "one second";
    QTest::newRow("ProgressBar1") << "console"
                                  << "ProgressBar1" << int(QAccessible::ProgressBar) << "Countdown"
                                  << "one step a second";
    QTest::newRow("FireButton") << "console"
                                << "FireButton" << int(QAccessible::Button) << "FIRE!"
                                << "countdown";
    QTest::newRow("result Image1") << "result"
                                   << "Image1" << int(QAccessible::Graphic) << "Fireball"
                                   << "jungle call";
}

void tst_Accessibility::namesAndDescriptions()
{
    QFETCH(QString, which);
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    auto *widget = window(which)->findChild<QWidget *>(control);
    QVERIFY(widget);
    QAccessibleInterface *node = accessible(widget);
    QVERIFY(node);
    QCOMPARE(int(node->role()), role);
    QCOMPARE(node->text(QAccessible::Name), name);
    QVERIFY2(node->text(QAccessible::Description).contains(description),
             qPrintable(node->text(QAccessible::Description)));
}

void tst_Accessibility::headingsLabelTheirInputs_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("input");
    QTest::newRow("Power") << "PowerLabel"
                           << "PowerSlider";
    QTest::newRow("Target") << "TargetLabel"
                            << "TargetTextBox";
    QTest::newRow("Delay") << "DelayLabel"
                           << "DelayTextBox";
}

void tst_Accessibility::headingsLabelTheirInputs()
{
    QFETCH(QString, heading);
    QFETCH(QString, input);
    auto *label = m_console->findChild<QLabel *>(heading);
    auto *widget = m_console->findChild<QWidget *>(input);
    QVERIFY(label && widget);
    QCOMPARE(label->buddy(), widget);
    const auto relations = accessible(widget)->relations(QAccessible::Label);
    QCOMPARE(relations.size(), 1);
    QCOMPARE(relations.first().first->object(), label);
}

void tst_Accessibility::verdictIsReadFromOk_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("power");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("Kick, power 7") << "zib42zab"
                                   << "Kick" << 7
                                   << "zib42zab\nJUST GOT OBLITERATED!!!\nwith a Power 7 "
                                      "LASER!!!\n...and got hit with a Kick!";
    QTest::newRow("Penalty Box, power 1")
        << " x y "
        << "Penalty Box" << 1
        << " x y \nJUST GOT SHOT!\nwith a Power 1 LASER!\n...and sent to the Penalty Box!";
}

// The window opens with the focus on OK; the four verdict lines are its
// description and the window's, in the order they stand on the screen.
void tst_Accessibility::verdictIsReadFromOk()
{
    QFETCH(QString, target);
    QFETCH(QString, action);
    QFETCH(int, power);
    QFETCH(QString, verdict);
    m_host->dialog()->close();
    QTRY_VERIFY(!m_host->dialog());
    setConsole(*m_console, target, action, power);
    m_host->Show();
    Dialog *dialog = m_host->dialog();
    QVERIFY(QTest::qWaitForWindowActive(dialog));

    QCOMPARE(QApplication::focusWidget(), dialog->OKButton);
    QAccessibleInterface *focused = accessible(dialog)->focusChild();
    QVERIFY(focused);
    QCOMPARE(focused->object(), dialog->OKButton);
    QCOMPARE(focused->text(QAccessible::Name), QStringLiteral("OK"));
    QCOMPARE(focused->text(QAccessible::Description), verdict);
    QCOMPARE(accessible(dialog)->text(QAccessible::Description), verdict);
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
