#include "offscreen_test_main.h"
class T : public QObject {
    Q_OBJECT
};
DISSIM_OFFSCREEN_TEST_MAIN(T)
#include "real_dialogs_test.moc"
