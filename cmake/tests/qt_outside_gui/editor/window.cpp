// A window file that reaches Qt itself: the layer check must refuse it.
#include <QImage>
