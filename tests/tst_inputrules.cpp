// SPDX-License-Identifier: MIT
#include "inputrules.h"

#include <QTest>

class tst_InputRules : public QObject {
    Q_OBJECT

private slots:
    void number_data();
    void number();
    void newsSentence_data();
    void newsSentence();
};

void tst_InputRules::number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << "7" << true << 7.0;
    QTest::newRow("leading zero") << "07" << true << 7.0;
    QTest::newRow("plus sign") << "+7" << true << 7.0;
    QTest::newRow("minus sign") << "-5" << true << -5.0;
    QTest::newRow("trailing point") << "7." << true << 7.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("blank before") << " 7" << true << 7.0;
    QTest::newRow("blanks around") << "  12  " << true << 12.0;
    QTest::newRow("minus zero") << "-0" << true << 0.0;
    QTest::newRow("fraction") << "19.99" << true << 19.99;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank only") << " " << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("two signs") << "+-1" << false << 0.0;
    QTest::newRow("sign after digits") << "5-" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("letters") << "ab" << false << 0.0;
    QTest::newRow("exponent") << "1e1" << false << 0.0;
    QTest::newRow("hex") << "0x1" << false << 0.0;
    QTest::newRow("comma decimal") << "1,5" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("blank after sign") << "- 5" << false << 0.0;
    QTest::newRow("tab before") << "\t7" << false << 0.0;
    QTest::newRow("no-break space") << QString(QChar(0x00a0)) + "7" << false << 0.0;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << false << 0.0;
    QTest::newRow("fullwidth digit") << QString(QChar(0xff17)) << false << 0.0;
    QTest::newRow("infinity word") << "inf" << false << 0.0;
    QTest::newRow("nan word") << "nan" << false << 0.0;
}

// The check and the conversion must agree: whatever is accepted converts,
// and to the value a reader of the text would expect.
void tst_InputRules::number()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);

    QCOMPARE(inputrules::isNumber(text), accepted);
    const std::optional<double> converted = inputrules::toNumber(text);
    QCOMPARE(converted.has_value(), accepted);
    if (accepted) {
        QCOMPARE(converted, std::optional(value));
        QCOMPARE(inputrules::wholePart(text), std::optional(std::floor(value)));
    }
}

void tst_InputRules::newsSentence_data()
{
    QTest::addColumn<int>("power");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("sentence");

    QTest::newRow("start values")
        << 1 << "Penalty Box"
        << "zib42zab"
        << "10"
        << "Launching a Power 1 Penalty Box Laser to zib42zab after 10 seconds.";
    QTest::newRow("ban") << 3 << "BAN"
                         << "zib42zab"
                         << "10"
                         << "Launching a Power 3 BAN Laser to zib42zab after 10 seconds.";
    QTest::newRow("delay kept as typed") << 7 << "Kick"
                                         << "zib42zab"
                                         << "07"
                                         << "Launching a Power 7 Kick Laser to zib42zab after 07 "
                                            "seconds.";
    QTest::newRow("no singular") << 10 << "Kick"
                                 << "x"
                                 << "1"
                                 << "Launching a Power 10 Kick Laser to x after 1 seconds.";
    QTest::newRow("target untrimmed") << 2 << "Kick"
                                      << "  a b  "
                                      << " 7"
                                      << "Launching a Power 2 Kick Laser to   a b   after  7 "
                                         "seconds.";
    QTest::newRow("negative power plain") << -5 << "Kick"
                                          << "t"
                                          << "3"
                                          << "Launching a Power -5 Kick Laser to t after 3 "
                                             "seconds.";
}

void tst_InputRules::newsSentence()
{
    QFETCH(int, power);
    QFETCH(QString, action);
    QFETCH(QString, target);
    QFETCH(QString, delay);
    QFETCH(QString, sentence);
    QCOMPARE(inputrules::newsSentence(power, action, target, delay), sentence);
}

QTEST_GUILESS_MAIN(tst_InputRules)
#include "tst_inputrules.moc"
