// Qt's functions and types by their shape: q or Qt followed by a capital, and its string
// helpers; none is in a list of names.
unsigned colour = qRgb(1, 2, 3) + qRed(colour) + qGray(colour);
auto pair = qMakePair(1, 2);
void Drop(int *list) { qDeleteAll(list); }
double side = qHypot(3.0, 4.0) + qSin(0.5);
unsigned length = qstrlen("text");
QtMsgType kind = QtWarningMsg;
auto later = QtConcurrent::run(nullptr);
