// A window file that uses Qt with no include of its own (a precompiled header brings it in)
// and includes it in the spellings a reading line by line misses: the check names each.
#define HEADER <QWidget>
#include HEADER
#include_next <QRegion>
#include /* a remark */ <QFont>
#include <QIm\
age>
static QWidget *shown = nullptr;
int Align() { return Qt::AlignLeft; }
// Let be: a QPainter in a remark, a name in a string, our own TQuickTable and a quality.
const char *text = "QString and Qt::red";
int quality = 0;
// A raw string's inner quote ends nothing; one in a delimiter holds a name that is no use.
const char *raw = R"(a " b)"; static QPen *pen = nullptr;
const char *framed = R"x(a "QMovie")x";
qsizetype count = 0;
