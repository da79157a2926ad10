// Our own names that begin as Qt's do, and Qt's names in comments and strings: none is a use.
// qRgb, QWidget and QtWarningMsg in a remark.
const char *text = "qDeleteAll and QtConcurrent::run";
int quality = 0, qsomething = 0;
struct TQuick {};
#define OWN_TYPE int
OWN_TYPE counted = 0;
