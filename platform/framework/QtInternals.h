// Framework-internal helpers shared by its .cpp files.
#pragma once

#include <QCursor>
#include <functional>

#include "platform/framework/Controls.h"

class QWidget;

// The control whose widget is `w` or the nearest parent widget that has one.
TControl* controlOfWidget(const QWidget* w);
QCursor qtCursor(TCursor c);
// Runs an event handler; an exception goes to Application->HandleException
// (Qt's event loop must never see one).
void dispatchGuarded(TObject* sender, const std::function<void()>& fn);
bool insideDispatch();
uint16_t vkFromQtKey(int key);
class QPainter;
// A plain widget whose paint event calls `paint` (painted controls use it).
QWidget* newPaintWidget(std::function<void(QPainter&)> paint);
// Paints a control through its canvas: font and brush from the control, then `paint`.
void paintThroughCanvas(QPainter& p, TControl* c, TCanvas* canvas, const std::function<void()>& paint);
int qtKeyFromVk(uint16_t vk);
