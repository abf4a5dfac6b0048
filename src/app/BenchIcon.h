// The bench's own icon: a cheque going into a desk scanner.
#pragma once

#include <QIcon>

QIcon BenchIcon();
