// The platform may use Qt.
#include <QImage>
