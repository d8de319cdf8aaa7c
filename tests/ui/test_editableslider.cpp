#include "editableslider.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

class TestEditableSlider : public QObject
{
    Q_OBJECT

    static void typeAndReturn(EditableSlider &s, const QString &text)
    {
        s.entry()->setText(text);
        QTest::keyClick(s.entry(), Qt::Key_Return);
    }

private slots:
    void startsAtGivenValueWithoutSignal()
    {
        EditableSlider s(10, 1100, 1, 30, Qt::Horizontal, nullptr, "<->");
        QCOMPARE(s.value(), 30);
        QCOMPARE(s.slider()->value(), 30);
        QCOMPARE(s.entry()->text(), QString("30"));
        QCOMPARE(s.caption()->text(), QString("<->"));
        QCOMPARE(s.height(), 40);
        QCOMPARE(s.slider()->minimum(), 10);
        QCOMPARE(s.slider()->maximum(), 1100);
    }

    void draggingUpdatesEntryAndEmitsOncePerChange()
    {
        EditableSlider s(10, 1100, 1, 30, Qt::Horizontal, nullptr, "<->");
        QSignalSpy spy(&s, &EditableSlider::valueChanged);
        s.slider()->setValue(31);
        s.slider()->setValue(200);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), 31);
        QCOMPARE(spy.at(1).at(0).toInt(), 200);
        QCOMPARE(s.entry()->text(), QString("200"));
        QCOMPARE(s.value(), 200);
    }

    void typedValueInRangeMovesSlider()
    {
        EditableSlider s(10, 1100, 1, 30, Qt::Horizontal, nullptr, "<->");
        QSignalSpy spy(&s, &EditableSlider::valueChanged);
        typeAndReturn(s, " 250 ");
        QCOMPARE(s.slider()->value(), 250);
        QCOMPARE(s.entry()->text(), QString("250"));
        QVERIFY(spy.count() >= 1);
        for (const auto &args : spy)
            QCOMPARE(args.at(0).toInt(), 250);
    }

    void typedValuesAreClampedAtBothEnds()
    {
        EditableSlider s(10, 1100, 1, 30, Qt::Horizontal, nullptr, "<->");
        QSignalSpy spy(&s, &EditableSlider::valueChanged);
        typeAndReturn(s, "5000");
        QCOMPARE(s.slider()->value(), 1100);
        QCOMPARE(s.entry()->text(), QString("1100"));
        QCOMPARE(spy.last().at(0).toInt(), 1100);

        // Already at the top: the slider does not move, the entry is rewritten, one signal.
        spy.clear();
        typeAndReturn(s, "5000");
        QCOMPARE(s.slider()->value(), 1100);
        QCOMPARE(s.entry()->text(), QString("1100"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1100);

        spy.clear();
        typeAndReturn(s, "-7");
        QCOMPARE(s.slider()->value(), 10);
        QCOMPARE(s.entry()->text(), QString("10"));
        QCOMPARE(spy.last().at(0).toInt(), 10);
    }

    void nonNumbersCountAsZero()
    {
        EditableSlider a(1, 100, 1, 50, Qt::Horizontal, nullptr, "a");
        typeAndReturn(a, "abc");
        QCOMPARE(a.value(), 1);
        QCOMPARE(a.entry()->text(), QString("1"));

        EditableSlider b(-100, 100, 1, 40, Qt::Horizontal, nullptr, "b");
        typeAndReturn(b, "1e3");
        QCOMPARE(b.value(), 0);
        QCOMPARE(b.entry()->text(), QString("0"));

        // Current value already 0: nothing happens and the text stays.
        QSignalSpy spy(&b, &EditableSlider::valueChanged);
        typeAndReturn(b, "zero");
        QCOMPARE(spy.count(), 0);
        QCOMPARE(b.entry()->text(), QString("zero"));
        QCOMPARE(b.slider()->value(), 0);
    }

    void sameValueOrNoReturnDoesNothing()
    {
        EditableSlider s(-100, 100, 1, 10, Qt::Horizontal, nullptr, "<z>");
        QSignalSpy spy(&s, &EditableSlider::valueChanged);
        typeAndReturn(s, "10");
        QCOMPARE(spy.count(), 0);

        s.entry()->setText("77"); // typed, no Return
        QCOMPARE(spy.count(), 0);
        QCOMPARE(s.value(), 10);
        QCOMPARE(s.entry()->text(), QString("77"));
        s.slider()->setValue(11); // the next slider move rewrites the entry
        QCOMPARE(s.entry()->text(), QString("11"));
    }

    void disablingGreysSliderAndEntryNotCaption()
    {
        EditableSlider s(10, 100, 1, 30, Qt::Horizontal, nullptr, "Smooth: ");
        s.setEnabled(false);
        QVERIFY(!s.slider()->isEnabled());
        QVERIFY(!s.entry()->isEnabled());
        QVERIFY(s.caption()->isEnabled());
        QVERIFY(s.isEnabled());
        s.setEnabled(true);
        QVERIFY(s.slider()->isEnabled());
        QVERIFY(s.entry()->isEnabled());
    }
};

QTEST_MAIN(TestEditableSlider)
#include "test_editableslider.moc"
