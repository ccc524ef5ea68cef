#include <QtTest>
class TestLoading : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestLoading)
#include "tst_loading.moc"
