#include <QtWidgets/QWidget>
int probe() { return sizeof(QWidget); }
