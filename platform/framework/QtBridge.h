// Conversions between the framework's types and Qt's. Included only by the
// framework's own .cpp files (and platform code that embeds Qt widgets).
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "platform/framework/Graphics.h"

inline QString toQ(const String& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline String fromQ(const QString& s) { return s.toUtf8().toStdString(); }
QColor toQColor(TColor c);
TColor fromQColor(const QColor& c);
QFont toQFont(const TFont& f);
void fromQFont(TFont& f, const QFont& q);
