// An include whose name a macro gives in quotes.
#define HEADER_NAME "QWidget"
#include HEADER_NAME
