// SPDX-License-Identifier: MIT
#include "verdict.h"

#include <QTest>

class tst_Verdict : public QObject {
    Q_OBJECT

private slots:
    void compose_data();
    void compose();
};

void tst_Verdict::compose_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("power");
    QTest::addColumn<QString>("ded");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QString>("punish");

    const QString shot = QStringLiteral("JUST GOT SHOT!");
    const QString obliterated = QStringLiteral("JUST GOT OBLITERATED!!!");
    const QString penaltyBox = QStringLiteral("...and sent to the Penalty Box!");

    QTest::newRow("penalty box, power 1")
        << "zib42zab"
        << "Penalty Box" << 1 << shot << "with a Power 1 LASER!" << penaltyBox;
    QTest::newRow("kick, power 4, last shot") << "zib42zab"
                                              << "Kick" << 4 << shot << "with a Power 4 LASER!"
                                              << "...and got hit with a Kick!";
    QTest::newRow("ban, power 5, first obliterated")
        << "zib42zab"
        << "BAN" << 5 << obliterated << "with a Power 5 LASER!!!"
        << "...and got hit with a BAN!";
    QTest::newRow("penalty box, power 10")
        << "zib42zab"
        << "Penalty Box" << 10 << obliterated << "with a Power 10 LASER!!!" << penaltyBox;
    QTest::newRow("penalty box in lower case is an action word")
        << "zib42zab"
        << "penalty box" << 1 << shot << "with a Power 1 LASER!"
        << "...and got hit with a penalty box!";
    QTest::newRow("penalty box with a trailing blank is an action word")
        << "zib42zab"
        << "Penalty Box " << 1 << shot << "with a Power 1 LASER!"
        << "...and got hit with a Penalty Box !";
    QTest::newRow("empty action word") << "zib42zab"
                                       << "" << 1 << shot << "with a Power 1 LASER!"
                                       << "...and got hit with a !";
    QTest::newRow("empty target") << ""
                                  << "Kick" << 3 << shot << "with a Power 3 LASER!"
                                  << "...and got hit with a Kick!";
    QTest::newRow("blank-padded target kept as typed")
        << "  zib 42  "
        << "Kick" << 3 << shot << "with a Power 3 LASER!"
        << "...and got hit with a Kick!";
    QTest::newRow("power 0") << "zib42zab"
                             << "Kick" << 0 << shot << "with a Power 0 LASER!"
                             << "...and got hit with a Kick!";
    QTest::newRow("negative power has a minus sign only")
        << "zib42zab"
        << "Kick" << -7 << shot << "with a Power -7 LASER!"
        << "...and got hit with a Kick!";
    QTest::newRow("largest power")
        << "zib42zab"
        << "Kick" << 2147483647 << obliterated << "with a Power 2147483647 LASER!!!"
        << "...and got hit with a Kick!";
}

void tst_Verdict::compose()
{
    QFETCH(QString, target);
    QFETCH(QString, action);
    QFETCH(int, power);

    const Verdict verdict = Verdict::compose(target, action, power);

    QCOMPARE(verdict.target, target);
    QTEST(verdict.ded, "ded");
    QTEST(verdict.details, "details");
    QTEST(verdict.punish, "punish");
}

QTEST_GUILESS_MAIN(tst_Verdict)
#include "tst_verdict.moc"
