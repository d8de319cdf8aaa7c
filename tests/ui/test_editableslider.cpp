#include "editableslider.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

class TestEditableSlider : public QObject
{
    Q_OBJECT

    static void type(EditableSlider &s, const QString &text)
    {
        s.entry()->setText(text);
        QTest::keyClick(s.entry(), Qt::Key_Return);
    }

private slots:
    void dragUpdatesEntryOncePerChange()
    {
        EditableSlider s(10, 1100, 1, 30, Qt::Horizontal, nullptr, "<->");
        QCOMPARE(s.entry()->text(), QString("30"));
        QCOMPARE(s.height(), 40);
        QSignalSpy spy(&s, &EditableSlider::valueChanged);
        s.slider()->setValue(31);
        s.slider()->setValue(200);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), 200);
        QCOMPARE(s.entry()->text(), QString("200"));
    }

    void typedValuesMoveAndClamp()
    {
        EditableSlider s(10, 1100, 1, 30, Qt::Horizontal, nullptr, "<->");
        QSignalSpy spy(&s, &EditableSlider::valueChanged);
        type(s, " 250 ");
        QCOMPARE(s.slider()->value(), 250);
        QCOMPARE(s.entry()->text(), QString("250"));
        for (const auto &args : spy)
            QCOMPARE(args.at(0).toInt(), 250);

        type(s, "5000");
        QCOMPARE(s.slider()->value(), 1100);
        QCOMPARE(s.entry()->text(), QString("1100"));
        QCOMPARE(spy.last().at(0).toInt(), 1100);
        spy.clear();
        type(s, "5000"); // already at the top: entry rewritten, exactly one signal
        QCOMPARE(s.entry()->text(), QString("1100"));
        QCOMPARE(spy.count(), 1);
        type(s, "-7");
        QCOMPARE(s.value(), 10);
        QCOMPARE(s.entry()->text(), QString("10"));
    }

    void nonNumbersCountAsZeroAndSameValueIsIgnored()
    {
        EditableSlider a(1, 100, 1, 50, Qt::Horizontal, nullptr, "a");
        type(a, "abc");
        QCOMPARE(a.value(), 1);
        EditableSlider b(-100, 100, 1, 40, Qt::Horizontal, nullptr, "b");
        type(b, "1e3");
        QCOMPARE(b.value(), 0);
        QSignalSpy spy(&b, &EditableSlider::valueChanged);
        type(b, "zero"); // already 0: nothing happens, the text stays
        type(b, "0");
        b.entry()->setText("77"); // no Return: no effect until the slider moves
        QCOMPARE(spy.count(), 0);
        QCOMPARE(b.entry()->text(), QString("77"));
        b.slider()->setValue(11);
        QCOMPARE(b.entry()->text(), QString("11"));
    }

    void disablingGreysSliderAndEntryNotCaption()
    {
        EditableSlider s(10, 100, 1, 30, Qt::Horizontal, nullptr, "Smooth: ");
        s.setEnabled(false);
        QVERIFY(!s.slider()->isEnabled() && !s.entry()->isEnabled());
        QVERIFY(s.caption()->isEnabled() && s.isEnabled());
        s.setEnabled(true);
        QVERIFY(s.slider()->isEnabled() && s.entry()->isEnabled());
    }
};

QTEST_MAIN(TestEditableSlider)
#include "test_editableslider.moc"
