#include "app/BenchIcon.h"

QIcon BenchIcon() { return QIcon(QStringLiteral(":/resources/Varnw.png")); }
