// A window file that reaches Qt itself, in every spelling: the layer check must refuse it.
#include <QImage>
#include <qapplication.h>
#include "QApplication"
#include <QtWidgets/QWidget>
#include "QString"
#include <qglobal.h>
#include <qt6/QtCore/qstring.h>
// Ours and the library's, though their names begin alike: let be.
#include "editor/quick.h"
#include "quick.h"
#include <queue>
#include <quadmath.h>
