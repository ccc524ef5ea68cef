#include <QtTest>
class TestLookups : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestLookups)
#include "tst_lookups.moc"
