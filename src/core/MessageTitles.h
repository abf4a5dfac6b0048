// Titles and fixed texts of the bench's own message boxes.
#pragma once

#include <QString>

inline const QString DemoTitle = QStringLiteral("Varnw demo test");
inline const QString ErrorTitle = QStringLiteral("Varn ERROR");
// What a command says when it does not serve the unit type chosen.
inline const QString NotImplementedText = QStringLiteral("Feature NOT yet implemented !");
