// The include directive spelled with a digraph.
%:include <QLabel>
